"""Data connection modes: EPSV refused, PASV naming a foreign address, PORT;
the size named when a download opens."""

import ftplib
import re
import socket
import unittest

from harness import ServerTestCase, payload


class DataModeTest(ServerTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.data = payload(100000)
        cls.server.write_file('f.bin', cls.data)

    def download(self):
        chunks = []
        self.ftp.retrbinary('RETR f.bin', chunks.append)
        return b''.join(chunks)

    def test_epsv_off_makes_it_unknown_and_pasv_still_works(self):
        self.assertTrue(self.ftp.sendcmd('EPSV').startswith('229'))
        self.assertEqual(self.server.control('EPSV off'), 'OK')
        with self.assertRaisesRegex(ftplib.error_perm, '^500'):
            self.ftp.sendcmd('EPSV')
        self.assertNotIn(' EPSV', self.ftp.sendcmd('FEAT'))
        self.assertEqual(self.download(), self.data)
        self.assertEqual(self.server.control('EPSV on'), 'OK')
        self.assertIn(' EPSV', self.ftp.sendcmd('FEAT'))

    def test_foreign_pasv_names_127_0_0_2_but_listens_on_127_0_0_1(self):
        self.assertEqual(self.server.control('PASVADDR foreign'), 'OK')
        self.ftp.voidcmd('TYPE I')
        reply = self.ftp.sendcmd('PASV')
        numbers = [int(n) for n in re.search(r'\((\d+(?:,\d+){5})\)', reply).group(1).split(',')]
        self.assertEqual(numbers[:4], [127, 0, 0, 2])
        port = numbers[4] * 256 + numbers[5]
        with socket.create_connection(('127.0.0.1', port), timeout=5) as data:
            self.ftp.sendcmd('RETR f.bin')
            received = bytearray()
            while chunk := data.recv(65536):
                received += chunk
        self.assertTrue(self.ftp.voidresp().startswith('226'))
        self.assertEqual(bytes(received), self.data)
        # ftplib, like any sound client, ignores the named address.
        self.assertEqual(self.download(), self.data)

    def test_normal_pasv_names_the_real_address(self):
        self.assertEqual(self.server.control('PASVADDR normal'), 'OK')
        self.assertIn('(127,0,0,1,', self.ftp.sendcmd('PASV'))

    def test_active_mode_and_loopback_only_port(self):
        self.ftp.set_pasv(False)
        self.assertEqual(self.download(), self.data)
        with self.assertRaisesRegex(ftplib.error_perm, '^501'):
            # 0.0.0.0 is not loopback, yet stays on this machine should the
            # check ever break.
            self.ftp.sendcmd('PORT 0,0,0,0,4,1')
        with self.assertRaisesRegex(ftplib.error_perm, '^501'):
            self.ftp.sendcmd('EPRT |1|0.0.0.0|1025|')

    def test_announce_names_the_whole_size_or_the_given_one(self):
        def announced_size(rest=None):
            # ftplib reads "(N bytes)" from the 150 reply; None without it.
            conn, size = self.ftp.ntransfercmd('RETR f.bin', rest)
            with conn:
                while conn.recv(65536):
                    pass
            self.ftp.voidresp()
            return size
        self.ftp.voidcmd('TYPE I')
        self.assertIsNone(announced_size())
        self.assertEqual(self.server.control('ANNOUNCE real'), 'OK')
        self.assertEqual(announced_size(), 100000)
        self.assertEqual(announced_size(rest=1000), 100000)
        self.assertEqual(self.server.control('ANNOUNCE 123'), 'OK')
        self.assertEqual(announced_size(), 123)
        self.assertEqual(self.server.control('ANNOUNCE off'), 'OK')
        self.assertEqual(self.download(), self.data)


if __name__ == '__main__':
    unittest.main()
