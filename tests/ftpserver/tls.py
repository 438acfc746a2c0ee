"""FTP over TLS for the test server: explicit (AUTH TLS) or implicit, with
vsftpd's strict ways as switches.

  - tls_required: USER and PASS are refused before AUTH TLS (vsftpd's
    force_local_logins_ssl).
  - require_reuse: a protected data connection whose TLS session was not
    resumed from the control connection's is refused with vsftpd's "522 SSL
    connection failed: session reuse required" (require_ssl_reuse), which
    keeps anyone but the client from taking the data connection over.
  - implicit: TLS from the first byte; the greeting comes after the
    handshake.

What the data connections did is counted for the TLS control request:
protected ones, how many of them resumed the session, and clear ones.
"""

import threading

from OpenSSL import SSL
from pyftpdlib.handlers import SSLConnection, TLS_FTPHandler

from dtp import DroppingDTPHandler

REUSE_REFUSED = '522 SSL connection failed: session reuse required'


class DataStats:
    def __init__(self):
        self._lock = threading.Lock()
        self._protected = self._resumed = self._clear = 0

    def count(self, protected, resumed=False):
        with self._lock:
            if protected:
                self._protected += 1
                self._resumed += 1 if resumed else 0
            else:
                self._clear += 1

    def counts(self):
        with self._lock:
            return self._protected, self._resumed, self._clear


DATA_STATS = DataStats()


def _session_reused(connection):
    # pyOpenSSL has no public call for it.
    return bool(SSL._lib.SSL_session_reused(connection._ssl))


class TlsDTPHandler(SSLConnection, DroppingDTPHandler):
    """The test bed's data connection with TLS when PROT P is in force."""

    def __init__(self, sock, cmd_channel):
        super().__init__(sock, cmd_channel)
        self._protected = bool(cmd_channel._prot)
        if self._protected:
            self.secure_connection(cmd_channel.ssl_context)
        else:
            DATA_STATS.count(False)

    def __repr__(self):
        return DroppingDTPHandler.__repr__(self)

    def use_sendfile(self):
        return False

    def readable(self):
        # A client may start TLS before it sends the transfer's command
        # (curl does); the base class takes early bytes for a hang-up.
        if self._ssl_accepting and not self._initialized:
            return True
        return super().readable()

    def handle_ssl_established(self):
        resumed = _session_reused(self.socket)
        DATA_STATS.count(True, resumed)
        if self.cmd_channel.require_reuse and not resumed:
            self._resp = ()
            self.cmd_channel.respond(REUSE_REFUSED)
            self._error = True  # no TLS shutdown on a connection refused
            self.close()

    def handle_failed_ssl_handshake(self):
        self.cmd_channel.respond('522 SSL handshake failed.')
        self.close()


def make_context(certfile, keyfile):
    context = SSL.Context(SSL.TLS_METHOD)
    context.set_min_proto_version(SSL.TLS1_2_VERSION)
    context.use_certificate_chain_file(certfile)
    context.use_privatekey_file(keyfile)
    context.set_options(SSL.OP_NO_COMPRESSION)
    # Resumption needs a session id context; the cache serves TLS 1.2
    # clients that resume by id, tickets serve the rest.
    context.set_session_id(b'tavo-test-bed')
    context.set_session_cache_mode(SSL.SESS_CACHE_SERVER)
    return context


def tls_handler_class(base, context, required, require_reuse, implicit):
    """A TLS variant of the test bed's handler class `base`."""

    class TlsHandler(base, TLS_FTPHandler):
        ssl_context = context
        dtp_handler = TlsDTPHandler
        tls_control_required = required
        _greeted = False

        def handle(self):
            if implicit:
                self.secure_connection(self.ssl_context)
            else:
                super().handle()

        def handle_ssl_established(self):
            if implicit and not self._greeted:
                self._greeted = True
                super().handle()

        def ftp_AUTH(self, line):
            if implicit:
                self.respond('503 Already using TLS.')
                return
            super().ftp_AUTH(line)

    TlsHandler.require_reuse = require_reuse
    return TlsHandler
