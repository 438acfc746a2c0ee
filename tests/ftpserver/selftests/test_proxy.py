"""The firewall proxy: its own login, then control and data relayed."""

import ftplib
import io
import re
import socket
import unittest

from harness import Proxy, Server, payload
from loopback import loopback_address, split_host_port


class ProxyRelayTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server()
        cls.proxy = Proxy()
        cls.data = payload(150000)
        cls.server.write_file('f.bin', cls.data)

    @classmethod
    def tearDownClass(cls):
        cls.proxy.close()
        cls.server.close()

    def connect(self):
        ftp = ftplib.FTP(timeout=5)
        ftp.connect('127.0.0.1', self.proxy.port)
        self.assertIn('firewall', ftp.getwelcome())
        return ftp

    def login(self, target=None):
        ftp = self.connect()
        self.assertTrue(ftp.sendcmd('USER fwuser').startswith('331'))
        self.assertTrue(ftp.sendcmd('PASS fwpass').startswith('230'))
        target = target or '%s@127.0.0.1:%d' % (Server.USER, self.server.port)
        self.assertTrue(ftp.sendcmd('USER ' + target).startswith('331'))
        self.assertTrue(ftp.sendcmd('PASS ' + Server.PASSWORD).startswith('230'))
        return ftp

    def test_login_reaches_the_real_server(self):
        before = len(self.server.commands())
        ftp = self.login()
        self.assertEqual(ftp.pwd(), '/')
        ftp.quit()
        self.assertEqual(self.server.commands()[before:],
                         ['USER tavo', 'PASS secret', 'PWD', 'QUIT'])

    def test_passive_list_retr_and_stor(self):
        ftp = self.login()
        self.assertIn('f.bin', ftp.nlst())
        lines = []
        ftp.retrlines('LIST', lines.append)
        self.assertTrue(any(line.endswith(' f.bin') for line in lines))
        received = io.BytesIO()
        ftp.retrbinary('RETR f.bin', received.write)
        self.assertEqual(received.getvalue(), self.data)
        ftp.storbinary('STOR up-passive.bin', io.BytesIO(self.data[::-1]))
        ftp.quit()
        self.assertEqual(self.server.read_file('up-passive.bin'), self.data[::-1])

    def test_passive_reply_names_the_proxy(self):
        before = len(self.server.commands())
        ftp = self.login()
        server_side = self.server.commands()  # nothing of the proxy leaks here
        self.assertNotIn('USER fwuser', server_side[before:])
        ftp.voidcmd('TYPE I')
        for command in ('PASV', 'EPSV'):
            reply = ftp.sendcmd(command)
            if command == 'PASV':
                numbers = [int(n) for n in re.search(r'\(([\d,]+)\)', reply).group(1).split(',')]
                self.assertEqual(numbers[:4], [127, 0, 0, 1])
                port = numbers[4] * 256 + numbers[5]
            else:
                port = int(re.search(r'\(\|\|\|(\d+)\|\)', reply).group(1))
            self.assertNotEqual(port, self.server.port)
            with socket.create_connection(('127.0.0.1', port), timeout=5) as data:
                ftp.sendcmd('RETR f.bin')
                received = bytearray()
                while chunk := data.recv(65536):
                    received += chunk
            self.assertTrue(ftp.voidresp().startswith('226'))
            self.assertEqual(bytes(received), self.data)
        ftp.quit()

    def test_active_retr_and_stor_go_through_a_proxy_listener(self):
        before = len(self.server.commands())
        ftp = self.login()
        ftp.set_pasv(False)
        received = io.BytesIO()
        ftp.retrbinary('RETR f.bin', received.write)
        self.assertEqual(received.getvalue(), self.data)
        ftp.storbinary('STOR up-active.bin', io.BytesIO(self.data))
        client_port = ftp.sock.getsockname()[1]
        ftp.quit()
        self.assertEqual(self.server.read_file('up-active.bin'), self.data)
        ports = [c for c in self.server.commands()[before:] if c.startswith('PORT ')]
        self.assertEqual(len(ports), 2)
        for line in ports:
            self.assertTrue(line.startswith('PORT 127,0,0,1,'), line)
            self.assertNotEqual(line, 'PORT 127,0,0,1,%d,%d' % divmod(client_port, 256))

    def test_server_drop_reaches_the_client(self):
        self.assertEqual(self.server.control('DROP RETR 1000'), 'OK')
        try:
            ftp = self.login()
            received = io.BytesIO()
            with self.assertRaises((EOFError, ftplib.error_temp, OSError)):
                ftp.retrbinary('RETR f.bin', received.write)
                ftp.sendcmd('NOOP')
            self.assertEqual(received.getvalue(), self.data[:1000])
            ftp.close()
        finally:
            self.server.control('CLEAR')


class ProxyLoginTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server()
        cls.proxy = Proxy('--require-account', '--user', 'gate', '--password', 'keeper')

    @classmethod
    def tearDownClass(cls):
        cls.proxy.close()
        cls.server.close()

    def connect(self):
        ftp = ftplib.FTP(timeout=5)
        ftp.connect('127.0.0.1', self.proxy.port)
        return ftp

    def test_account_is_asked_after_the_password(self):
        ftp = self.connect()
        self.assertTrue(ftp.sendcmd('USER gate').startswith('331'))
        self.assertTrue(ftp.sendcmd('PASS keeper').startswith('332'))
        self.assertTrue(ftp.sendcmd('ACCT anything').startswith('230'))
        self.assertTrue(ftp.sendcmd('USER %s@localhost:%d' % (Server.USER, self.server.port))
                        .startswith('331'))
        self.assertTrue(ftp.sendcmd('PASS ' + Server.PASSWORD).startswith('230'))
        ftp.quit()

    def test_wrong_proxy_credentials_and_early_commands_are_refused(self):
        ftp = self.connect()
        for command in ('PWD', 'USER %s@127.0.0.1:%d' % (Server.USER, self.server.port),
                        'USER nobody'):
            with self.assertRaisesRegex(ftplib.error_perm, '^530'):
                ftp.sendcmd(command)
        ftp.sendcmd('USER gate')
        with self.assertRaisesRegex(ftplib.error_perm, '^530'):
            ftp.sendcmd('PASS wrong')
        ftp.quit()

    def test_non_loopback_and_unreachable_servers_are_refused(self):
        ftp = self.connect()
        ftp.sendcmd('USER gate')
        self.assertTrue(ftp.sendcmd('PASS keeper').startswith('332'))
        ftp.sendcmd('ACCT x')
        # Unspecified addresses are not loopback, yet stay on this machine
        # should the check ever break.
        for target in ('0.0.0.0', '[::]:21', '0.0.0.0:%d' % self.server.port):
            with self.assertRaisesRegex(ftplib.error_perm, '^530 Refused'):
                ftp.sendcmd('USER tavo@' + target)
        with socket.socket() as unused:
            unused.bind(('127.0.0.1', 0))  # bound, not listening: refuses
            with self.assertRaisesRegex(ftplib.error_perm, '^530 Cannot reach'):
                ftp.sendcmd('USER tavo@127.0.0.1:%d' % unused.getsockname()[1])
        # Still usable afterwards.
        self.assertTrue(ftp.sendcmd('USER tavo@127.0.0.1:%d' % self.server.port)
                        .startswith('331'))
        ftp.close()


class LoopbackCheckTest(unittest.TestCase):
    def test_only_literal_loopback_addresses_pass(self):
        self.assertEqual(loopback_address('127.0.0.1'), '127.0.0.1')
        self.assertEqual(loopback_address('127.3.4.5'), '127.3.4.5')
        self.assertEqual(loopback_address('::1'), '::1')
        self.assertEqual(loopback_address('LOCALHOST'), '127.0.0.1')
        for host in ('192.0.2.1', '10.0.0.1', '0.0.0.0', '::', 'example.com',
                     'localhost.example.com', '127.0.0.1.example.com', ''):
            self.assertIsNone(loopback_address(host), host)

    def test_host_port_forms(self):
        self.assertEqual(split_host_port('127.0.0.1', 21), ('127.0.0.1', 21))
        self.assertEqual(split_host_port('127.0.0.1:2121', 21), ('127.0.0.1', 2121))
        self.assertEqual(split_host_port('[::1]:2121', 21), ('::1', 2121))
        self.assertEqual(split_host_port('[::1]', 21), ('::1', 21))
        self.assertEqual(split_host_port('::1', 21), ('::1', 21))
        for bad in ('127.0.0.1:0', '127.0.0.1:x', '[::1', '[::1]x', ':21', '127.0.0.1:70000'):
            with self.assertRaises(ValueError, msg=bad):
                split_host_port(bad, 21)


if __name__ == '__main__':
    unittest.main()
