"""LIST lines in the two Windows styles clients meet in the wild.

DOS style puts the name first, 8.3 names split into base and extension the
way the old `dir` showed them:
    DOCS          <DIR>     01-15-98  10:30
    README   TXT      1234  01-15-98  10:30
    a long name.txt       7  03-04-21  21:05
IIS style puts the date first, with a 12-hour clock; years before 2000 show
two digits and later ones four, so one folder exercises both date forms:
    01-15-98  10:30AM       <DIR>          DOCS
    03-04-2021  09:05PM           5368709120 huge file.iso
Times are UTC, like pyftpdlib's Unix listing and MDTM.
"""

import stat
import time


def _dos_name(name):
    base, dot, ext = name.rpartition('.')
    if (dot and 1 <= len(base) <= 8 and 1 <= len(ext) <= 3
            and '.' not in base and ' ' not in name and name.isascii()):
        return '%-8s %s' % (base, ext)
    return name


def dos_line(name, st):
    when = time.gmtime(st.st_mtime)
    field = '  <DIR>   ' if stat.S_ISDIR(st.st_mode) else '%10d' % st.st_size
    head = '%-12s' % _dos_name(name)
    if not head.endswith(' ') and not field.startswith(' '):
        head += ' '  # a long name must not run into a ten-digit size
    return '%s%s  %s  %s' % (head, field, time.strftime('%m-%d-%y', when),
                             time.strftime('%H:%M', when))


def _clock12(when):
    hour = when.tm_hour % 12 or 12
    return '%02d:%02d%s' % (hour, when.tm_min, 'AM' if when.tm_hour < 12 else 'PM')


def iis_line(name, st):
    when = time.gmtime(st.st_mtime)
    date = time.strftime('%m-%d-%y' if when.tm_year < 2000 else '%m-%d-%Y', when)
    if stat.S_ISDIR(st.st_mode):
        field = '       <DIR>         '
    else:
        field = ' %20d' % st.st_size
    return '%s  %s%s %s' % (date, _clock12(when), field, name)


_STYLES = {'dos': dos_line, 'iis': iis_line}


class MadeUpNames:
    """A producer of `count` names name-00000000, name-00000001, ... as NLST
    lines or as Unix LIST lines, made a chunk at a time when the data
    connection wants more: a listing of millions costs no memory and no
    files on disk."""

    CHUNK = 4096  # names per call

    def __init__(self, count, long_form):
        self._next = 0
        self._count = count
        self._line = ('-rw-r--r--   1 owner    group           0 Jan 01  2024 name-%08d\r\n'
                      if long_form else 'name-%08d\r\n')

    def more(self):
        end = min(self._next + self.CHUNK, self._count)
        chunk = ''.join([self._line % i for i in range(self._next, end)])
        self._next = end
        return chunk.encode('ascii')


def windows_listing(style, entries):
    """`entries` is a list of (name, os.stat_result); returns CRLF lines."""
    make_line = _STYLES[style]
    return ''.join(make_line(name, st) + '\r\n' for name, st in entries)
