"""FAIL, DROP and DELAY: the switches that break commands and transfers."""

import ftplib
import io
import select
import socket
import time
import unittest

from harness import Server, ServerTestCase, payload


class FaultTestCase(ServerTestCase):
    pass

    def control(self, request):
        self.assertEqual(self.server.control(request), 'OK')


class FailTest(FaultTestCase):
    def test_fails_n_times_then_succeeds(self):
        self.control('FAIL CWD 2 550')
        self.ftp.mkd('d')
        for _ in range(2):
            with self.assertRaisesRegex(ftplib.error_perm, r'^550 CWD failed'):
                self.ftp.cwd('d')
        self.ftp.cwd('d')
        self.assertEqual(self.ftp.pwd(), '/d')

    def test_transient_code_and_other_commands_untouched(self):
        self.server.write_file('f', b'x')
        self.control('FAIL RETR 1 451')
        self.ftp.voidcmd('TYPE I')
        self.assertEqual(self.ftp.size('f'), 1)
        with self.assertRaisesRegex(ftplib.error_temp, '^451'):
            self.ftp.retrbinary('RETR f', lambda _: None)
        chunks = []
        self.ftp.retrbinary('RETR f', chunks.append)
        self.assertEqual(chunks, [b'x'])

    def test_fail_before_login_and_421_closes(self):
        self.control('FAIL USER 1 421')
        ftp = self.server.client(login=False)
        with self.assertRaisesRegex(ftplib.error_temp, '^421'):
            ftp.login(Server.USER, Server.PASSWORD)
        with self.assertRaises((EOFError, OSError)):
            ftp.sendcmd('NOOP')
        ftp.close()

    def test_failed_greeting(self):
        self.control('FAIL CONNECT 1 421')
        with self.assertRaisesRegex(ftplib.error_temp, '^421'):
            self.server.client(login=False)
        self.server.client().quit()  # only once


class ListErrorTest(FaultTestCase):
    def test_vsftpd_answers_an_unlistable_folder_with_226(self):
        with self.assertRaisesRegex(ftplib.error_perm, '^550'):
            self.ftp.retrlines('LIST missing', lambda _: None)
        self.control('LISTERR vsftpd')
        lines = []
        reply = self.ftp.retrlines('LIST missing', lines.append)
        self.assertEqual((lines, reply), ([], '226 Transfer done (but failed to open directory).'))
        self.ftp.mkd('there')
        self.assertEqual(self.ftp.retrlines('LIST there', lambda _: None), '226 Transfer complete.')
        self.control('LISTERR empty')
        self.assertEqual(self.ftp.retrlines('LIST missing', lines.append), '226 0 matches total')
        self.assertEqual(lines, [])


class MdtmTest(FaultTestCase):
    def test_mdtm_answers_any_digits_until_off(self):
        self.server.write_file('f', b'x')
        self.assertRegex(self.ftp.sendcmd('MDTM f'), r'^213 20\d{12}$')
        self.control('MDTM 20241399250000')
        self.assertEqual(self.ftp.sendcmd('MDTM f'), '213 20241399250000')
        self.assertEqual(self.server.control('MDTM 2024x'), "ERR MDTM takes off or digits, not '2024x'")
        self.control('MDTM off')
        self.assertRegex(self.ftp.sendcmd('MDTM f'), r'^213 20\d{12}$')


class ThrottleTest(FaultTestCase):
    def test_throttle_slows_downloads_until_lifted(self):
        self.server.write_file('f', payload(96000))
        self.control('THROTTLE 32000')
        started = time.monotonic()
        chunks = []
        self.ftp.retrbinary('RETR f', chunks.append)
        self.assertEqual(b''.join(chunks), payload(96000))
        self.assertGreater(time.monotonic() - started, 1.0)
        self.control('THROTTLE 0')
        chunks = []
        self.ftp.retrbinary('RETR f', chunks.append)
        self.assertEqual(b''.join(chunks), payload(96000))


class DropTest(FaultTestCase):
    SIZE = 300000
    CUT = 70001

    def test_retr_gets_exactly_the_first_bytes_then_both_connections_close(self):
        data = payload(self.SIZE)
        self.server.write_file('big.bin', data)
        self.control('DROP RETR %d' % self.CUT)
        received = io.BytesIO()
        with self.assertRaises((EOFError, ftplib.error_temp, OSError)):
            self.ftp.retrbinary('RETR big.bin', received.write)
            self.ftp.sendcmd('NOOP')  # a lenient client only learns it here
        self.assertEqual(received.getvalue(), data[:self.CUT])
        self.server.wait_for_connections(0)
        # The switch acted once: the next download is whole.
        ftp = self.server.client()
        again = io.BytesIO()
        ftp.retrbinary('RETR big.bin', again.write)
        self.assertEqual(again.getvalue(), data)
        ftp.quit()

    def test_stor_keeps_exactly_the_first_bytes(self):
        data = payload(self.SIZE)
        self.control('DROP STOR %d' % self.CUT)
        with self.assertRaises((EOFError, ftplib.error_temp, OSError)):
            self.ftp.storbinary('STOR up.bin', io.BytesIO(data))
            self.ftp.sendcmd('NOOP')
        self.server.wait_for_connections(0)
        self.assertEqual(self.server.read_file('up.bin'), data[:self.CUT])

    def test_listings_are_not_cut(self):
        self.server.write_file('f', b'x' * 10)
        self.control('DROP RETR 5')
        self.assertEqual(len(self.ftp.nlst()), len(self.ftp.nlst()))
        with self.assertRaises((EOFError, ftplib.error_temp, OSError)):
            self.ftp.retrbinary('RETR f', lambda _: None)
            self.ftp.sendcmd('NOOP')


class DelayTest(FaultTestCase):
    DELAY = 0.5

    def timed(self, call):
        start = time.monotonic()
        result = call()
        return result, time.monotonic() - start

    def test_reply_comes_late_and_others_are_served_meanwhile(self):
        self.control('DELAY PWD %s' % self.DELAY)
        other = self.server.client()
        start = time.monotonic()
        self.ftp.putcmd('PWD')
        other.voidcmd('NOOP')
        # The other session got its answer while this one still waits.
        self.assertEqual(select.select([self.ftp.sock], [], [], 0)[0], [])
        self.assertTrue(self.ftp.getresp().startswith('257 "/"'))
        self.assertGreaterEqual(time.monotonic() - start, self.DELAY * 0.9)
        _, untouched = self.timed(lambda: self.ftp.sendcmd('NOOP'))
        self.assertLess(untouched, self.DELAY * 0.9)
        other.quit()

    def test_star_delays_every_reply_in_order(self):
        self.control('DELAY * %s' % self.DELAY)
        start = time.monotonic()
        self.ftp.putcmd('NOOP')
        self.ftp.putcmd('PWD')
        self.assertTrue(self.ftp.getresp().startswith('200'))
        self.assertTrue(self.ftp.getresp().startswith('257'))
        self.assertGreaterEqual(time.monotonic() - start, self.DELAY * 0.9)

    def test_connect_delay_lets_a_client_timeout_fire(self):
        self.control('DELAY CONNECT %s' % self.DELAY)
        ftp = ftplib.FTP(timeout=self.DELAY / 5)
        with self.assertRaises(socket.timeout):
            ftp.connect('127.0.0.1', self.server.port)
        ftp.close()
        ftp = ftplib.FTP(timeout=5)
        _, took = self.timed(lambda: ftp.connect('127.0.0.1', self.server.port))
        self.assertGreaterEqual(took, self.DELAY * 0.9)
        ftp.close()


if __name__ == '__main__':
    unittest.main()
