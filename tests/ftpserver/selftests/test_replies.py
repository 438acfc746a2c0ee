"""ENDLESS, TRICKLE and ABOR: replies that never end, come a byte at a
time, or answer an abort the way other servers do."""

import select
import socket
import time

from harness import Server, ServerTestCase, payload


class RawClient:
    """A control connection read line by line, with the time each line came."""

    def __init__(self, port):
        self.sock = socket.create_connection(('127.0.0.1', port), timeout=5)
        self.buffer = b''

    def send(self, line):
        self.sock.sendall(line.encode() + b'\r\n')

    def lines(self, count):
        found = []
        while len(found) < count:
            while b'\n' not in self.buffer:
                chunk = self.sock.recv(4096)
                if not chunk:
                    raise EOFError('server closed after %r' % found)
                self.buffer += chunk
            line, _, self.buffer = self.buffer.partition(b'\n')
            found.append((time.monotonic(), line.decode().rstrip('\r')))
        return found

    def codes_until_quiet(self, seconds):
        """The codes of the lines that come until none has come for `seconds`."""
        codes = []
        while b'\n' in self.buffer or select.select([self.sock], [], [], seconds)[0]:
            codes.append(self.lines(1)[0][1][:3])
        return codes

    def command(self, line):
        self.send(line)
        return self.lines(1)[0][1]


class RepliesTest(ServerTestCase):
    LOGIN = False

    def control(self, request):
        self.assertEqual(self.server.control(request), 'OK')

    def client(self, login=True):
        client = RawClient(self.server.port)
        self.addCleanup(client.sock.close)
        client.lines(1)
        if login:
            client.command('USER ' + Server.USER)
            client.command('PASS ' + Server.PASSWORD)
        return client

    def test_endless_replies_keep_coming(self):
        for command, kind, prefix in [('CONNECT', 'prelim', '120 '), ('CONNECT', 'continuation', '220-'),
                                      ('NOOP', 'prelim', '150 '), ('PASS', 'continuation', '230-')]:
            with self.subTest(command=command, kind=kind):
                self.control('CLEAR')
                self.control('ENDLESS %s %s' % (command, kind))
                client = RawClient(self.server.port)
                self.addCleanup(client.sock.close)
                if command != 'CONNECT':
                    client.lines(1)
                    client.command('USER ' + Server.USER)
                    client.send(command + ' ' + Server.PASSWORD if command == 'PASS' else command)
                lines = client.lines(12)
                self.assertTrue(all(text.startswith(prefix) for _, text in lines[1:]), lines)
                self.assertGreater(lines[-1][0] - lines[1][0], 0.5)  # steadily, not in one burst
        self.control('ENDLESS NOOP off')
        self.assertTrue(self.server.control('ENDLESS NOOP forever').startswith('ERR'))

    def test_trickle_sends_a_byte_at_a_time(self):
        self.control('TRICKLE NOOP 20')
        client = self.client()
        client.send('NOOP')
        started = time.monotonic()
        reply, pieces = b'', 0
        while not reply.endswith(b'\n'):
            chunk = client.sock.recv(100)
            self.assertTrue(chunk)
            reply, pieces = reply + chunk, pieces + 1
        self.assertTrue(reply.startswith(b'200 '), reply)
        self.assertGreater(pieces, len(reply) // 4)
        self.assertGreater(time.monotonic() - started, 0.02 * len(reply) * 0.8)
        self.control('TRICKLE NOOP 0')
        self.assertTrue(client.command('NOOP').startswith('200 '))
        self.assertTrue(self.server.control('TRICKLE NOOP 20000').startswith('ERR'))

    def data_command(self, client, command):
        """PASV, then `command`; the data connection after the 1xx reply."""
        client.command('TYPE I')
        reply = client.command('PASV')
        numbers = reply[reply.index('(') + 1:reply.index(')')].split(',')
        data = socket.create_connection(('127.0.0.1', int(numbers[4]) * 256 + int(numbers[5])), timeout=5)
        self.addCleanup(data.close)
        self.assertEqual(client.command(command)[:1], '1')
        return data

    def test_abor_styles(self):
        # A download broken off as clients do: data connection closed, ABOR.
        self.server.write_file('big', payload(200000))
        for style, expected in [('normal', (['426', '225'], ['426', '226'])), ('single', (['150', '226'],))]:
            with self.subTest(style=style):
                self.control('CLEAR')
                self.control('THROTTLE 20000')
                self.control('ABOR ' + style)
                client = self.client()
                data = self.data_command(client, 'RETR big')
                data.recv(1000)
                data.close()
                time.sleep(0.3)
                client.send('ABOR')
                self.assertIn(client.codes_until_quiet(0.5), expected)
                self.assertTrue(client.command('NOOP').startswith('200'))
        # late: nothing is read while an upload runs.
        self.control('ABOR late')
        client = self.client()
        data = self.data_command(client, 'STOR up.bin')
        data.sendall(b'x' * 1000)
        client.send('ABOR')
        client.send('NOOP')
        self.assertEqual(client.codes_until_quiet(0.5), [])
        data.close()
        self.assertEqual([text[:3] for _, text in client.lines(3)], ['226', '225', '200'])
        self.assertEqual(self.server.read_file('up.bin'), b'x' * 1000)
