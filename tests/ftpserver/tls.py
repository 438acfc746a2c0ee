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
  - sscn: the SSCN command (FEAT lists it). "SSCN ON" makes this server the
    TLS client of its data connections, whichever side opens them, so that
    two servers can copy between each other over TLS; "SSCN OFF" makes it
    the TLS server again, "SSCN" alone tells which it is. Without the switch
    SSCN is an unknown command, as on vsftpd.

What the data connections did is counted for the TLS control request:
protected ones, how many of them resumed the session, and clear ones.
"""

import threading

from OpenSSL import SSL
from pyftpdlib.handlers import SSLConnection, TLS_FTPHandler

from dtp import DroppingDTPHandler

REUSE_REFUSED = '522 SSL connection failed: session reuse required'
SSCN_REPLIES = {True: '200 SSCN:CLIENT METHOD', False: '200 SSCN:SERVER METHOD'}


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
        # After SSCN ON the peer is another server, the TLS server here.
        self._tls_client = self._protected and cmd_channel.sscn_client
        if self._protected:
            self.secure_connection(cmd_channel.ssl_context)
            if self._tls_client and not self._closed:
                self.socket.set_connect_state()
                # The client speaks first; nothing else would start it.
                with self._handle_ssl_want_rw():
                    self._do_ssl_handshake()
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
        # As TLS client, the server's session tickets follow the handshake,
        # before or during a download: no hang-up either, but read at once,
        # as the base class would not.
        if (self._tls_client and self._ssl_established and not self.receive
                and not (self._ssl_want_read or self._ssl_closing)):
            if self._take_unread_records():
                self.close()
            return False
        return super().readable()

    def close(self):
        # A socket closed with unread bytes resets the connection, which
        # can cost the receiving server the file's last bytes.
        if self._tls_client and self._ssl_established and not self._error:
            self._take_unread_records()
        super().close()

    def _take_unread_records(self):
        """Reads what has come without waiting; True when the peer is gone."""
        try:
            while self.socket.recv(65536):
                pass  # no data is expected from the receiving end
            return True
        except SSL.WantReadError:
            return False
        except (SSL.Error, OSError):
            return True

    def handle_ssl_established(self):
        resumed = _session_reused(self.socket)
        DATA_STATS.count(True, resumed)
        # Only a client can resume, and the session to resume is the one of
        # our own client's control connection: as the TLS client of another
        # server there is none.
        if self.cmd_channel.require_reuse and not resumed and not self._tls_client:
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


def tls_handler_class(base, context, required, require_reuse, implicit, sscn=False):
    """A TLS variant of the test bed's handler class `base`."""

    class TlsHandler(base, TLS_FTPHandler):
        ssl_context = context
        dtp_handler = TlsDTPHandler
        tls_control_required = required
        sscn_client = False  # SSCN ON: TLS client of the data connections
        _greeted = False

        def __init__(self, conn, server, ioloop=None):
            super().__init__(conn, server, ioloop)
            if sscn and hasattr(self, '_extra_feats'):
                self._extra_feats = self._extra_feats + ['SSCN']

        def flush_account(self):
            super().flush_account()
            self.sscn_client = False

        def ftp_SSCN(self, line):
            if not isinstance(self.socket, SSL.Connection):
                self.respond('503 SSCN not allowed on insecure control connection.')
                return
            arg = line.strip().upper()
            if arg in ('ON', 'OFF'):
                self.sscn_client = arg == 'ON'
            elif arg:
                self.respond('501 Syntax: SSCN [ON|OFF].')
                return
            self.respond(SSCN_REPLIES[self.sscn_client])

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
    if sscn:
        TlsHandler.proto_cmds = dict(TlsHandler.proto_cmds, SSCN=dict(
            perm=None, auth=True, arg=None, help='Syntax: SSCN [ON|OFF] (TLS client or server on data).'))
    return TlsHandler
