"""The fault table: which misbehaviours the test server shows right now.

The control thread writes it while the server's I/O loop reads it, so every
access goes through one lock. The log of received commands and the count of
open control connections live here as well, because the same control
requests report them.
"""

import threading

LIST_STYLES = ('unix', 'dos', 'iis')
DROP_KINDS = ('RETR', 'STOR')
ENDLESS_KINDS = ('prelim', 'continuation')
ABOR_STYLES = ('normal', 'single', 'late')


class Faults:
    def __init__(self):
        self._lock = threading.Lock()
        self._commands = []
        self._connections = 0
        self._reset()

    def _reset(self):
        self._failures = {}      # command -> [remaining uses, reply code]
        self._drops = {}         # 'RETR' or 'STOR' -> byte count
        self._delays = {}        # command, '*' or 'CONNECT' -> seconds
        self._list_style = 'unix'
        self._epsv = True
        self._mlsd = True
        self._foreign_pasv = False
        self._announce = None    # None, 'real' or a byte count
        self._throttle = 0       # bytes per second per data connection; 0: none
        self._list_errors = 'refuse'  # 'vsftpd', 'empty': unlistable folders list empty, then 226
        self._endless = {}       # command or 'CONNECT' -> 'prelim' or 'continuation'
        self._trickle = {}       # command or 'CONNECT' -> seconds between bytes
        self._abor = 'normal'    # how ABOR is answered: ABOR_STYLES
        self._huge_list = 0      # folders list this many made-up names; 0: their real entries
        self._mdtm = None        # the stamp every MDTM answers; None: the file's time

    def clear(self):
        with self._lock:
            self._reset()

    # --- FAIL

    def set_failure(self, command, times, code):
        with self._lock:
            if times > 0:
                self._failures[command] = [times, code]
            else:
                self._failures.pop(command, None)

    def take_failure(self, command):
        """Uses up one injected failure of `command`; its reply code or None."""
        with self._lock:
            entry = self._failures.get(command)
            if entry is None:
                return None
            entry[0] -= 1
            if entry[0] <= 0:
                del self._failures[command]
            return entry[1]

    # --- DROP

    def set_drop(self, kind, nbytes):
        with self._lock:
            self._drops[kind] = nbytes

    def drop_limit(self, kind):
        with self._lock:
            return self._drops.get(kind)

    def take_drop(self, kind, nbytes):
        """Claims the armed drop so that exactly one transfer performs it."""
        with self._lock:
            if self._drops.get(kind) != nbytes:
                return False
            del self._drops[kind]
            return True

    # --- DELAY

    def set_delay(self, command, seconds):
        with self._lock:
            if seconds > 0:
                self._delays[command] = seconds
            else:
                self._delays.pop(command, None)

    def delay_for(self, command):
        with self._lock:
            seconds = self._delays.get(command)
            return seconds if seconds is not None else self._delays.get('*', 0.0)

    # --- listing style, EPSV, PASV address

    def set_list_style(self, style):
        with self._lock:
            self._list_style = style

    def list_style(self):
        with self._lock:
            return self._list_style

    def set_epsv(self, enabled):
        with self._lock:
            self._epsv = enabled

    def epsv_enabled(self):
        with self._lock:
            return self._epsv

    def set_mlsd(self, enabled):
        with self._lock:
            self._mlsd = enabled

    def mlsd_enabled(self):
        with self._lock:
            return self._mlsd

    def set_foreign_pasv(self, on):
        with self._lock:
            self._foreign_pasv = on

    def foreign_pasv(self):
        with self._lock:
            return self._foreign_pasv

    # --- the size named in the reply that opens a download

    def set_announce(self, what):
        with self._lock:
            self._announce = what

    def announce(self):
        with self._lock:
            return self._announce

    # --- how a folder that cannot be listed is answered

    def set_list_errors(self, how):
        with self._lock:
            self._list_errors = how

    def list_errors(self):
        with self._lock:
            return self._list_errors

    # --- made-up listings and times

    def set_huge_list(self, count):
        with self._lock:
            self._huge_list = count

    def huge_list(self):
        with self._lock:
            return self._huge_list

    def set_mdtm(self, stamp):
        with self._lock:
            self._mdtm = stamp

    def mdtm(self):
        with self._lock:
            return self._mdtm

    # --- the speed of data connections

    def set_throttle(self, bytes_per_second):
        with self._lock:
            self._throttle = bytes_per_second

    def throttle(self):
        with self._lock:
            return self._throttle

    # --- replies that never end, or come a byte at a time

    def set_endless(self, command, kind):
        with self._lock:
            if kind:
                self._endless[command] = kind
            else:
                self._endless.pop(command, None)

    def endless_for(self, command):
        with self._lock:
            return self._endless.get(command)

    def set_trickle(self, command, seconds):
        with self._lock:
            if seconds > 0:
                self._trickle[command] = seconds
            else:
                self._trickle.pop(command, None)

    def trickle_for(self, command):
        with self._lock:
            return self._trickle.get(command, 0.0)

    # --- how ABOR is answered

    def set_abor(self, style):
        with self._lock:
            self._abor = style

    def abor(self):
        with self._lock:
            return self._abor

    # --- what the server saw

    def record_command(self, line):
        with self._lock:
            self._commands.append(line)

    def commands(self):
        with self._lock:
            return list(self._commands)

    def connection_opened(self):
        with self._lock:
            self._connections += 1

    def connection_closed(self):
        with self._lock:
            self._connections -= 1

    def connections(self):
        with self._lock:
            return self._connections
