"""MLSD and MLST facts as servers that do not follow links give them.

pyftpdlib describes a symbolic link by what it points to, and its UNIX.mode
drops the set-id and sticky bits. pure-ftpd (and proftpd) list a link as
"type=OS.unix=slink:<target>" and give the whole mode ("UNIX.mode=04751");
clients must read both without taking the link for a folder or losing bits.
"""

import os
import stat

from pyftpdlib.filesystems import AbstractedFS


def _fact(fact, path, st):
    if fact.startswith(b'type=') and stat.S_ISLNK(st.st_mode):
        return b'type=OS.unix=slink:' + os.readlink(path).encode('utf8', 'surrogateescape')
    if fact.startswith(b'unix.mode='):
        return b'unix.mode=0%o' % stat.S_IMODE(st.st_mode)
    return fact


class RealFactsFS(AbstractedFS):

    def format_mlsx(self, basedir, listing, perms, facts, ignore_err=True):
        for line in super().format_mlsx(basedir, listing, perms, facts, ignore_err):
            head, _, name = line.partition(b' ')
            path = os.path.join(basedir, name.rstrip(b'\r\n').decode('utf8', 'surrogateescape'))
            try:
                st = os.lstat(path)
            except OSError:
                yield line
                continue
            facts_out = [_fact(f, path, st) for f in head.split(b';') if f]
            yield b''.join(f + b';' for f in facts_out) + b' ' + name
