"""Starts the test server and proxy as the C++ fixture does, for the self-tests."""

import ftplib
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PYTHON = '/usr/bin/python3'
TIMEOUT = 10  # bound for every wait on a helper process

if HERE not in sys.path:
    sys.path.append(HERE)  # lets tests check the helpers' modules directly


class Helper:
    """A helper process with a line protocol on its stdin/stdout."""

    def __init__(self, script, args):
        self._buffer = b''
        self.process = subprocess.Popen(
            [PYTHON, '-E', '-s', '-B', os.path.join(HERE, script)] + args,
            stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        try:
            ready = self.read_line()
            if not ready.startswith('READY '):
                raise RuntimeError('%s said %r instead of READY' % (script, ready))
            self.port = int(ready.split()[1])
        except Exception:
            self.close()
            raise

    def read_line(self, timeout=TIMEOUT):
        deadline = time.monotonic() + timeout
        while b'\n' not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.process.stdout], [], [], left)[0]:
                raise TimeoutError('no answer from helper within %s s' % timeout)
            chunk = os.read(self.process.stdout.fileno(), 4096)
            if not chunk:
                raise EOFError('helper closed its output')
            self._buffer += chunk
        line, _, self._buffer = self._buffer.partition(b'\n')
        return line.decode('utf-8', 'surrogateescape')

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(3)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(TIMEOUT)
        for pipe in (self.process.stdin, self.process.stdout):
            pipe.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Server(Helper):
    """ftpserver.py serving a fresh temporary folder; user tavo/secret."""

    USER, PASSWORD = 'tavo', 'secret'

    def __init__(self, *extra_args, anonymous=False):
        self.temp = tempfile.mkdtemp(prefix='tavo-ftp-selftest-')
        self.root = os.path.join(self.temp, 'root')
        os.mkdir(self.root)
        args = ['--root', self.root, '--user', '%s:%s' % (self.USER, self.PASSWORD)]
        if anonymous:
            args.append('--anonymous')
        try:
            super().__init__('ftpserver.py', args + list(extra_args))
        except Exception:
            shutil.rmtree(self.temp, ignore_errors=True)
            raise

    def control(self, request):
        self.process.stdin.write(request.encode('utf-8') + b'\n')
        self.process.stdin.flush()
        return self.read_line()

    def commands(self):
        answer = self.control('COMMANDS')
        count = int(answer.split()[1])
        return [self.read_line() for _ in range(count)]

    def connections(self):
        return int(self.control('CONNECTIONS').split()[1])

    def wait_for_connections(self, count, timeout=TIMEOUT):
        """The server notices closes asynchronously; poll for the count."""
        deadline = time.monotonic() + timeout
        while self.connections() != count:
            if time.monotonic() > deadline:
                raise AssertionError('connections stayed at %d, not %d'
                                     % (self.connections(), count))
            select.select([], [], [], 0.02)  # short pause between polls
        return count

    def write_file(self, name, data):
        with open(os.path.join(self.root, name), 'wb') as f:
            f.write(data)

    def read_file(self, name):
        with open(os.path.join(self.root, name), 'rb') as f:
            return f.read()

    def client(self, login=True, timeout=5):
        ftp = ftplib.FTP(timeout=timeout)
        ftp.connect('127.0.0.1', self.port)
        if login:
            ftp.login(self.USER, self.PASSWORD)
        return ftp

    def close(self):
        super().close()
        shutil.rmtree(self.temp, ignore_errors=True)


class Proxy(Helper):
    USER, PASSWORD = 'fwuser', 'fwpass'

    def __init__(self, *extra_args):
        super().__init__('ftpproxy.py', list(extra_args))


def payload(size):
    """Bytes that show where a cut happened if one goes wrong."""
    return bytes((i * 7 + i // 251) % 256 for i in range(size))


if sys.version_info < (3, 7):
    raise SystemExit('the self-tests need Python 3.7 or later')


class ServerTestCase(unittest.TestCase):
    """One server for the whole class, faults cleared before each test, and
    with LOGIN set a logged-in ftplib client in self.ftp."""

    LOGIN = True

    @classmethod
    def setUpClass(cls):
        cls.server = Server()

    @classmethod
    def tearDownClass(cls):
        cls.server.close()

    def setUp(self):
        self.assertEqual(self.server.control('CLEAR'), 'OK')
        if self.LOGIN:
            self.ftp = self.server.client()

    def tearDown(self):
        if self.LOGIN:
            self.ftp.close()
