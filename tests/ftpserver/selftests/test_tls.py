"""FTP over TLS: explicit and implicit, and vsftpd's strict switches."""

import ftplib
import shutil
import socket
import ssl
import tempfile
import unittest

import makecerts
from harness import TIMEOUT, Server


class ResumingFTP(ftplib.FTP_TLS):
    """A client that resumes the control connection's session on its data
    connections, as servers with session reuse required insist."""

    def ntransfercmd(self, cmd, rest=None):
        conn, size = ftplib.FTP.ntransfercmd(self, cmd, rest)
        if self._prot_p:
            conn = self.context.wrap_socket(conn, server_hostname=self.host, session=self.sock.session)
        return conn, size


class TlsCase(unittest.TestCase):
    """A test CA and certificates for the class's servers and clients."""

    @classmethod
    def setUpClass(cls):
        cls.certs = tempfile.mkdtemp(prefix='tavo-certs-selftest-')
        makecerts.main(cls.certs)
        cls.context = ssl.create_default_context(cafile=cls.certs + '/ca.pem')

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.certs, ignore_errors=True)

    def server(self, *switches):
        return Server('--tls', self.certs + '/server.pem', self.certs + '/server.key', *switches)

    def client(self, server, kind=ftplib.FTP_TLS):
        ftp = kind(context=self.context, timeout=TIMEOUT)
        ftp.connect('127.0.0.1', server.port)
        return ftp


class TlsTest(TlsCase):
    def test_data_connections_resume_the_session_when_required(self):
        with self.server('--tls-required', '--require-reuse') as server:
            server.write_file('a.bin', b'x' * 100000)
            ftp = self.client(server)
            with self.assertRaisesRegex(ftplib.error_perm, '^550 SSL/TLS required'):
                ftp.login(Server.USER, Server.PASSWORD, secure=False)
            ftp.close()

            # A data connection with a fresh session is refused as vsftpd does.
            ftp = self.client(server)
            ftp.login(Server.USER, Server.PASSWORD)
            ftp.prot_p()
            with self.assertRaises((ftplib.error_perm, ssl.SSLError, OSError)):
                ftp.retrbinary('RETR a.bin', lambda _: None)
            ftp.close()
            self.assertEqual(server.control('TLS'), 'OK 1 0 0')

            ftp = self.client(server, ResumingFTP)
            ftp.login(Server.USER, Server.PASSWORD)
            ftp.prot_p()
            got = []
            ftp.retrbinary('RETR a.bin', got.append)
            self.assertEqual(b''.join(got), b'x' * 100000)
            ftp.prot_c()
            self.assertEqual(ftp.nlst(), ['a.bin'])
            ftp.quit()
            self.assertEqual(server.control('TLS'), 'OK 2 1 1')

    def test_implicit_tls_greets_after_the_handshake(self):
        with self.server('--implicit') as server:
            raw = socket.create_connection(('127.0.0.1', server.port), timeout=TIMEOUT)
            with self.context.wrap_socket(raw, server_hostname='127.0.0.1') as tls:
                self.assertTrue(tls.recv(1024).startswith(b'220 '))
                tls.sendall(b'AUTH TLS\r\n')
                self.assertTrue(tls.recv(1024).startswith(b'503 '))

    def test_without_tls_auth_is_unknown(self):
        with Server() as server:
            ftp = server.client(login=False)
            with self.assertRaisesRegex(ftplib.error_perm, '^500'):
                ftp.sendcmd('AUTH TLS')
            ftp.close()


class SscnTest(TlsCase):
    """Server to server copies over TLS: SSCN ON makes one server the TLS
    client of the data connection between the two."""

    def client(self, server, kind=ResumingFTP):
        ftp = super().client(server, kind)
        ftp.login(Server.USER, Server.PASSWORD)
        ftp.prot_p()
        return ftp

    def test_copy_between_servers_with_one_as_tls_client(self):
        # The sending server connects as TLS client, so it needs no session
        # to resume; the listening one is the copy's plain TLS server.
        data = bytes(range(256)) * 12000
        with self.server('--sscn', '--require-reuse') as source, self.server('--sscn') as dest:
            source.write_file('a.bin', data)
            src, dst = self.client(source), self.client(dest)
            self.assertIn(' SSCN', src.sendcmd('FEAT'))
            self.assertEqual(src.sendcmd('SSCN'), '200 SSCN:SERVER METHOD')
            self.assertEqual(src.sendcmd('SSCN ON'), '200 SSCN:CLIENT METHOD')
            host, port = ftplib.parse227(dst.sendcmd('PASV'))
            src.sendcmd('PORT 127,0,0,1,%d,%d' % (port // 256, port % 256))
            dst.putcmd('STOR c.bin')
            src.putcmd('RETR a.bin')
            for ftp in (dst, src, src, dst):
                ftp.getresp()
            self.assertEqual(dest.read_file('c.bin'), data)
            self.assertEqual(src.sendcmd('SSCN OFF'), '200 SSCN:SERVER METHOD')
            # The client's own transfers resume its session again.
            got = []
            src.retrbinary('RETR a.bin', got.append)
            self.assertEqual(b''.join(got), data)
            self.assertEqual((source.control('TLS'), dest.control('TLS')), ('OK 2 1 0', 'OK 1 0 0'))
            src.quit()
            dst.quit()

    def test_without_the_switch_sscn_is_unknown(self):
        with self.server() as server:
            ftp = self.client(server)
            self.assertNotIn('SSCN', ftp.sendcmd('FEAT'))
            with self.assertRaisesRegex(ftplib.error_perm, '^500'):
                ftp.sendcmd('SSCN ON')
            ftp.quit()
