"""Login, control requests and running several servers side by side."""

import ftplib
import os
import select
import unittest

from harness import TIMEOUT, Server, ServerTestCase


class LoginTest(unittest.TestCase):
    def test_user_logs_in_and_sees_the_root(self):
        with Server() as server:
            server.write_file('hello.txt', b'hi')
            ftp = server.client()
            self.assertEqual(ftp.pwd(), '/')
            self.assertEqual(ftp.nlst(), ['hello.txt'])
            self.assertTrue(ftp.getwelcome().startswith('220 '))
            ftp.quit()

    def test_wrong_password_and_anonymous_are_refused_by_default(self):
        with Server() as server:
            ftp = server.client(login=False)
            with self.assertRaisesRegex(ftplib.error_perm, '^530'):
                ftp.login(Server.USER, 'wrong')
            with self.assertRaisesRegex(ftplib.error_perm, '^530'):
                ftp.login()
            ftp.close()

    def test_anonymous_may_write_when_enabled(self):
        with Server(anonymous=True) as server:
            ftp = server.client(login=False)
            ftp.login()
            ftp.mkd('incoming')
            ftp.quit()
            self.assertTrue(os.path.isdir(os.path.join(server.root, 'incoming')))

    def test_several_users_from_arguments(self):
        with Server('--user', 'other:pw:with:colons') as server:
            ftp = server.client(login=False)
            ftp.login('other', 'pw:with:colons')
            ftp.quit()

    def test_utf8_names_and_feat(self):
        with Server() as server:
            ftp = server.client()
            ftp.encoding = 'utf-8'
            self.assertIn('UTF8', ftp.sendcmd('FEAT'))
            self.assertTrue(ftp.sendcmd('OPTS UTF8 ON').startswith('200'))
            ftp.mkd('Grüße ñ 日本')
            self.assertEqual(ftp.nlst(), ['Grüße ñ 日本'])
            ftp.quit()


class ControlChannelTest(ServerTestCase):
    LOGIN = False

    def test_commands_lists_lines_as_sent_in_order(self):
        before = len(self.server.commands())
        ftp = self.server.client()
        with self.assertRaises(ftplib.error_perm):
            ftp.sendcmd('RETR a b.txt')
        ftp.sendcmd('NOOP')
        ftp.quit()
        self.assertEqual(self.server.commands()[before:],
                         ['USER tavo', 'PASS secret', 'RETR a b.txt', 'NOOP', 'QUIT'])

    def test_connections_counts_open_control_connections(self):
        self.server.wait_for_connections(0)
        first, second = self.server.client(), self.server.client(login=False)
        self.assertEqual(self.server.wait_for_connections(2), 2)
        first.quit()
        second.close()
        self.assertEqual(self.server.wait_for_connections(0), 0)

    def test_bad_requests_get_err_and_change_nothing(self):
        for request in ('BOGUS', 'FAIL RETR', 'FAIL RETR x 550', 'FAIL RETR 1 999',
                        'DROP LIST 10', 'DELAY PWD soon', 'LIST vms', 'EPSV maybe',
                        'PASVADDR elsewhere', ''):
            self.assertTrue(self.server.control(request).startswith('ERR'), request)
        ftp = self.server.client()
        self.assertEqual(ftp.pwd(), '/')
        ftp.quit()

    def test_clear_turns_every_fault_off(self):
        for request in ('FAIL PWD 5 550', 'DELAY PWD 5', 'LIST dos', 'EPSV off',
                        'PASVADDR foreign', 'DROP RETR 0'):
            self.assertEqual(self.server.control(request), 'OK')
        self.assertEqual(self.server.control('CLEAR'), 'OK')
        self.server.write_file('f', b'data')
        ftp = self.server.client(timeout=2)
        self.assertEqual(ftp.pwd(), '/')
        self.assertTrue(ftp.sendcmd('EPSV').startswith('229'))
        self.assertIn('127,0,0,1', ftp.sendcmd('PASV'))
        lines = []
        ftp.retrlines('LIST', lines.append)
        self.assertTrue(lines[0].startswith('-rw'))
        chunks = []
        ftp.retrbinary('RETR f', chunks.append)
        self.assertEqual(b''.join(chunks), b'data')
        ftp.quit()


class ProcessLifeTest(unittest.TestCase):
    def test_two_servers_side_by_side(self):
        with Server() as one, Server() as two:
            self.assertNotEqual(one.port, two.port)
            one.write_file('only-in-one', b'1')
            a, b = one.client(), two.client()
            self.assertEqual(a.nlst(), ['only-in-one'])
            self.assertEqual(b.nlst(), [])
            self.assertEqual(one.control('FAIL PWD 1 550'), 'OK')
            self.assertEqual(b.pwd(), '/')  # faults are per server
            with self.assertRaises(ftplib.error_perm):
                a.pwd()
            a.quit()
            b.quit()

    def test_exits_when_stdin_closes(self):
        server = Server()
        try:
            server.process.stdin.close()
            self.assertEqual(server.process.wait(TIMEOUT), 0)
        finally:
            server.close()

    def test_exits_on_sigterm_with_a_client_connected(self):
        with Server() as server:
            ftp = server.client()
            server.process.terminate()
            self.assertNotEqual(server.process.wait(TIMEOUT), None)
            ready = select.select([ftp.sock], [], [], TIMEOUT)[0]
            self.assertTrue(ready and ftp.sock.recv(1) == b'')
            ftp.close()

    def test_startup_options_set_faults(self):
        with Server('--fail', 'PWD', '1', '451', '--list-style', 'iis', '--no-epsv',
                    '--foreign-pasv', '--delay', 'NOOP', '0') as server:
            ftp = server.client()
            with self.assertRaisesRegex(ftplib.error_temp, '^451'):
                ftp.pwd()
            self.assertIn('127,0,0,2', ftp.sendcmd('PASV'))
            with self.assertRaisesRegex(ftplib.error_perm, '^500'):
                ftp.sendcmd('EPSV')
            ftp.quit()

    def test_bad_startup_fault_stops_the_server(self):
        with self.assertRaises((RuntimeError, EOFError)):
            Server('--drop', 'LIST', '5')


if __name__ == '__main__':
    unittest.main()
