"""LIST in Unix, DOS and IIS style, built from the folder's real entries."""

import calendar
import os
import unittest

from harness import Server

OLD = calendar.timegm((1998, 1, 15, 10, 30, 0))     # shows a two-digit year
NEWER = calendar.timegm((2021, 3, 4, 21, 5, 0))     # and a four-digit one in IIS


class ListStyleTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server()
        root = cls.server.root
        os.mkdir(os.path.join(root, 'DOCS'))
        os.utime(os.path.join(root, 'DOCS'), (OLD, OLD))
        cls.server.write_file('README.TXT', b'x' * 1234)
        os.utime(os.path.join(root, 'README.TXT'), (OLD, OLD))
        cls.server.write_file('huge file.iso', b'y' * 7)
        os.utime(os.path.join(root, 'huge file.iso'), (NEWER, NEWER))

    @classmethod
    def tearDownClass(cls):
        cls.server.close()

    def listing(self, style, path=None):
        self.assertEqual(self.server.control('LIST ' + style), 'OK')
        ftp = self.server.client()
        lines = []
        ftp.retrlines('LIST' + (' ' + path if path else ''), lines.append)
        ftp.quit()
        return lines

    def test_unix_style_is_the_default(self):
        self.assertEqual(self.server.control('CLEAR'), 'OK')
        ftp = self.server.client()
        lines = []
        ftp.retrlines('LIST', lines.append)
        ftp.quit()
        self.assertEqual(len(lines), 3)
        self.assertRegex(lines[0], r'^d[rwx-]{9} .* Jan 15  1998 DOCS$')
        self.assertRegex(lines[1], r'^-[rwx-]{9} .* 1234 Jan 15  1998 README.TXT$')
        self.assertRegex(lines[2], r'^-[rwx-]{9} .* 7 Mar 04  2021 huge file.iso$')

    def test_dos_style_puts_the_name_first(self):
        self.assertEqual(self.listing('dos'), [
            'DOCS          <DIR>     01-15-98  10:30',
            'README   TXT      1234  01-15-98  10:30',
            'huge file.iso         7  03-04-21  21:05',
        ])

    def test_iis_style_puts_the_date_first(self):
        self.assertEqual(self.listing('iis'), [
            '01-15-98  10:30AM       <DIR>          DOCS',
            '01-15-98  10:30AM                 1234 README.TXT',
            '03-04-2021  09:05PM                    7 huge file.iso',
        ])

    def test_windows_styles_list_a_single_file_and_refuse_a_missing_one(self):
        self.assertEqual(self.listing('iis', 'README.TXT'),
                         ['01-15-98  10:30AM                 1234 README.TXT'])
        with self.assertRaisesRegex(Exception, '^550'):
            self.listing('dos', 'missing')

    def test_other_listings_keep_their_format(self):
        self.assertEqual(self.server.control('LIST dos'), 'OK')
        ftp = self.server.client()
        self.assertEqual(ftp.nlst(), ['DOCS', 'README.TXT', 'huge file.iso'])
        facts = dict(ftp.mlsd())
        self.assertEqual(facts['DOCS']['type'], 'dir')
        self.assertEqual(facts['README.TXT']['size'], '1234')
        ftp.quit()


class MadeUpListingTest(unittest.TestCase):
    def test_hugelist_streams_made_up_names_for_folders_only(self):
        with Server() as server:
            server.write_file('real.txt', b'x')
            self.assertEqual(server.control('HUGELIST 20000'), 'OK')
            ftp = server.client()
            names = ftp.nlst()
            self.assertEqual(len(names), 20000)
            self.assertEqual((names[0], names[-1]), ('name-00000000', 'name-00019999'))
            lines = []
            ftp.retrlines('LIST', lines.append)
            self.assertEqual(len(lines), 20000)
            self.assertRegex(lines[7], r'^-rw-r--r-- .* 0 Jan 01  2024 name-00000007$')
            self.assertEqual(ftp.nlst('real.txt'), ['real.txt'])  # a file lists itself
            self.assertEqual(server.control('HUGELIST 0'), 'OK')
            self.assertEqual(ftp.nlst(), ['real.txt'])
            ftp.quit()


if __name__ == '__main__':
    unittest.main()
