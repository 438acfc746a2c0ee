"""The FTP session of the test server: pyftpdlib's handler plus fault hooks.

Every received line is logged for COMMANDS before anything else happens, so
tests see exactly what a client sent, failed commands included.
"""

import ipaddress
import os

from pyftpdlib.filesystems import FilesystemError
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.log import logger

from dtp import DroppingDTPHandler
from listing import MadeUpNames, windows_listing
from mlsd_facts import RealFactsFS
from replies import DelayedRepliesMixin

FOREIGN_PASV_ADDRESS = '127.0.0.2'  # loopback, but nothing listens there
ENDLESS_INTERVAL = 0.1  # seconds between the lines of a reply that never ends



def _commands(commands, epsv, mlsd):
    """The handler's commands less the switched-off ones; FEAT follows them."""
    dropped = set() if epsv else {'EPSV'}
    if not mlsd:
        dropped |= {'MLSD', 'MLST'}
    return {k: v for k, v in commands.items() if k not in dropped}


class TestBedHandler(DelayedRepliesMixin, FTPHandler):
    faults = None  # set by make_handler_class()

    banner = 'Tavo test FTP server ready.'
    dtp_handler = DroppingDTPHandler
    abstracted_fs = RealFactsFS
    # Server to server copies: the data peer is another server, not the client.
    permit_foreign_addresses = True
    permit_privileged_ports = True
    use_sendfile = False  # drops count every byte sent
    unicode_errors = 'surrogateescape'  # names that are not UTF-8 round-trip
    auth_failed_timeout = 0  # tests of wrong passwords need not wait
    timeout = 120  # an idle client is disconnected after this long

    def __init__(self, conn, server, ioloop=None):
        self._init_delayed_replies()
        self._counted = False
        self._held = []  # commands not read yet (ABOR late: an upload runs)
        super().__init__(conn, server, ioloop)

    # --- connection life

    def handle(self):
        self.faults.connection_opened()
        self._counted = True
        self.answering('CONNECT')
        endless = self.faults.endless_for('CONNECT')
        if endless:
            self._talk_forever('CONNECT', endless)
            return
        code = self.faults.take_failure('CONNECT')
        if code is None:
            super().handle()
            return
        self.respond('%d Service not available (test fault).' % code)
        if code >= 400:
            self.close_when_done()

    def close(self):
        if self._counted:
            self._counted = False
            self.faults.connection_closed()
        super().close()

    # --- commands

    def pre_process_command(self, line, cmd, arg):
        self.faults.record_command(line)
        if self._held or (self.faults.abor() == 'late' and self._receiving()):
            # Like vsftpd, which reads no command while it takes an upload:
            # what comes meanwhile is answered once the upload has ended.
            self._held.append((line, cmd, arg))
            return
        self._process_command_line(line, cmd, arg)

    def _receiving(self):
        channel = self.data_channel
        return channel is not None and channel.receive and not channel._closed

    def _on_dtp_close(self):
        super()._on_dtp_close()
        while self._held and not self._receiving() and not self._closed:
            self._process_command_line(*self._held.pop(0))

    def _talk_forever(self, command, kind):
        """Answers `command` (or greets) with a reply that never ends."""
        if kind == 'prelim':
            line = '120 Service ready in a moment.' if command == 'CONNECT' else '150 Still working on it.'
        else:
            code = {'CONNECT': 220, 'PASS': 230}.get(command, 200)
            self.push('%d-Here is some news.\r\n' % code)
            line = '%d-And there is more.' % code

        def next_line():
            if self._closed:
                return
            self.push(line + '\r\n')
            self.ioloop.call_later(ENDLESS_INTERVAL, next_line, _errback=self.handle_error)
        next_line()

    def _process_command_line(self, line, cmd, arg):
        self.answering(cmd)
        endless = self.faults.endless_for(cmd)
        if endless:
            self._talk_forever(cmd, endless)
            return
        # The class's table: the TLS handler's has AUTH, PBSZ and PROT too.
        self.proto_cmds = _commands(type(self).proto_cmds, self.faults.epsv_enabled(), self.faults.mlsd_enabled())
        code = self.faults.take_failure(cmd)
        if code is None:
            super().pre_process_command(line, cmd, arg)
            return
        self.respond('%d %s failed (test fault).' % (code, cmd))
        if code == 421:
            self.close_when_done()

    def ftp_ABOR(self, line):
        if self.faults.abor() != 'single':
            super().ftp_ABOR(line)
            return
        # As pure-ftpd: one final reply, whether or not a transfer was
        # running; a running one ends with a statistics line (150) only. A
        # passive port, or an idle data connection to it, stays until the
        # next PASV or EPSV.
        channel = self.data_channel
        if channel is not None and channel.transfer_in_progress():
            channel._resp = ('150 %d bytes moved before the transfer stopped.' % channel.get_transmitted_bytes(),
                             logger.info)
            channel.close()
            self.data_channel = None
        self.respond("226 Since you see this ABOR must've succeeded.")

    def ftp_OPTS(self, line):
        # FEAT announces UTF8, so accept the switch clients send for it.
        if line.upper() in ('UTF8 ON', 'UTF8', 'UTF8 OFF'):
            self.respond('200 Always in UTF8 mode.')
            return
        super().ftp_OPTS(line)

    def ftp_PASV(self, line):
        self.masquerade_address = FOREIGN_PASV_ADDRESS if self.faults.foreign_pasv() else None
        super().ftp_PASV(line)

    def ftp_RETR(self, file):
        # Like vsftpd, wu-ftpd and most others, name the whole file's size
        # (after a REST too) in the reply that opens the data connection.
        announce = self.faults.announce()
        if announce == 'real':
            try:
                announce = self.fs.getsize(file)
            except (OSError, FilesystemError):
                announce = None
        self._announced_size = announce
        try:
            return super().ftp_RETR(file)
        finally:
            self._announced_size = None

    def respond(self, resp, *args, **kwargs):
        size = getattr(self, '_announced_size', None)
        if size is not None and resp[:4] in ('150 ', '125 '):
            # Always 150, as those servers send (pyftpdlib says 125 when
            # the data connection came first).
            resp = '150 Opening BINARY mode data connection (%d bytes).' % size
            self._announced_size = None
        super().respond(resp, *args, **kwargs)

    def _make_eport(self, ip, port):
        # Foreign data addresses are allowed for server to server copies,
        # but the test bed never connects anywhere except loopback.
        try:
            loopback = ipaddress.ip_address(ip.split('%')[0]).is_loopback
        except ValueError:
            loopback = False
        if not loopback:
            self.respond('501 Test server connects to loopback addresses only.')
            return
        super()._make_eport(ip, port)

    # Other servers' ways with a folder they cannot open: an empty listing,
    # and a success reply that says so only in its text (vsftpd) or not at
    # all (pure-ftpd lists a missing folder as a pattern with no matches).
    LIST_FAILED_REPLIES = {
        'vsftpd': '226 Transfer done (but failed to open directory).',
        'empty': '226 0 matches total',
    }

    def _made_up_listing(self, path, cmd):
        """With HUGELIST, a folder lists made-up names; True when it did."""
        count = self.faults.huge_list()
        if not count or not self._listable(path) or not self.fs.isdir(path):
            return False
        self.push_dtp_data(MadeUpNames(count, cmd == 'LIST'), isproducer=True, cmd=cmd)
        return True

    def ftp_NLST(self, path):
        if self._made_up_listing(path, 'NLST'):
            return path
        return super().ftp_NLST(path)

    def ftp_MDTM(self, path):
        stamp = self.faults.mdtm()
        if stamp is None:
            return super().ftp_MDTM(path)
        self.respond('213 %s' % stamp)
        return path

    def ftp_LIST(self, path):
        if self._made_up_listing(path, 'LIST'):
            return path
        final = self.LIST_FAILED_REPLIES.get(self.faults.list_errors())
        if final and not self._listable(path):
            self.dtp_final_reply = final
            self.push_dtp_data(b'', cmd='LIST')
            return path
        style = self.faults.list_style()
        if style == 'unix':
            return super().ftp_LIST(path)
        try:
            if self.fs.isdir(path):
                names = sorted(self.run_as_current_user(self.fs.listdir, path))
                entries = [(n, self.fs.lstat(os.path.join(path, n))) for n in names]
            else:
                entries = [(os.path.basename(path), self.fs.lstat(path))]
        except (OSError, FilesystemError) as err:
            self.respond('550 %s.' % (getattr(err, 'strerror', None) or err))
            return None
        data = windows_listing(style, entries).encode('utf8', self.unicode_errors)
        self.push_dtp_data(data, cmd='LIST')
        return path


    def _listable(self, path):
        try:
            self.run_as_current_user(self.fs.listdir, path) if self.fs.isdir(path) else self.fs.lstat(path)
            return True
        except (OSError, FilesystemError):
            return False


def make_handler_class(faults, authorizer, idle_timeout):
    """A handler class bound to one server's fault table and users."""
    return type('Handler', (TestBedHandler,), {
        'faults': faults,
        'authorizer': authorizer,
        'timeout': idle_timeout,
    })
