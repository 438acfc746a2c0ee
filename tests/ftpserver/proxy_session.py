"""One client of the firewall proxy: the proxy's own login, then a relay.

The client logs in to the proxy (USER/PASS, and ACCT when the proxy is
started with an account requirement), then names the real server with
"USER user@host[:port]". The proxy connects there (loopback only), reads the
greeting, sends "USER user" and passes the reply on. From then on control
lines are copied both ways; passive replies (227/229) and active requests
(PORT/EPRT) are rewritten so that data connections run through the proxy.
"""

import asyncio
import contextlib
import re

from loopback import loopback_address, split_host_port
from proxy_data import CONNECT_TIMEOUT, Relay

REPLY_TIMEOUT = 10   # seconds for the real server's greeting and replies
DEFAULT_FTP_PORT = 21

_PASV_REPLY = re.compile(rb'(\d+),(\d+),(\d+),(\d+),(\d+),(\d+)')
_EPSV_REPLY = re.compile(rb'\(([!-~])\1\1(\d+)\1\)')


class SessionEnded(Exception):
    pass


def _words(line):
    text = line.decode('utf-8', 'replace').rstrip('\r\n')
    verb, _, arg = text.partition(' ')
    return verb.upper(), arg


async def read_reply(reader, timeout):
    """Reads one complete (possibly multi-line) reply; returns its lines."""
    lines = [await asyncio.wait_for(reader.readline(), timeout)]
    if not lines[0]:
        raise SessionEnded()
    if lines[0][3:4] == b'-':
        end = lines[0][:3] + b' '
        while not lines[-1].startswith(end):
            line = await asyncio.wait_for(reader.readline(), timeout)
            if not line:
                raise SessionEnded()
            lines.append(line)
    return lines


class ProxySession:
    def __init__(self, config, reader, writer):
        self._config = config
        self._client_reader = reader
        self._client = writer
        self._server_reader = None
        self._server = None
        self._relays = []

    def _reply(self, text):
        self._client.write(text.encode('utf-8') + b'\r\n')

    async def _client_line(self):
        line = await asyncio.wait_for(self._client_reader.readline(), self._config.idle_timeout)
        if not line:
            raise SessionEnded()
        return line

    async def run(self):
        try:
            self._reply('220 Tavo test firewall ready; log in to the firewall first.')
            await self._firewall_login()
            await self._choose_server()
            await self._relay()
        except (SessionEnded, OSError, asyncio.TimeoutError, asyncio.IncompleteReadError,
                asyncio.LimitOverrunError, ValueError):
            pass
        finally:
            for relay in self._relays:
                relay.close()
            for writer in (self._server, self._client):
                if writer is not None:
                    with contextlib.suppress(Exception):
                        writer.close()

    async def _client_command(self):
        """The client's next command as (verb, argument); QUIT ends the session."""
        verb, arg = _words(await self._client_line())
        if verb == 'QUIT':
            self._reply('221 Goodbye.')
            await self._client.drain()
            raise SessionEnded()
        return verb, arg

    # --- the proxy's own login

    async def _firewall_login(self):
        user_ok = False
        need_account = False
        while True:
            verb, arg = await self._client_command()
            if verb == 'USER':
                user_ok = arg == self._config.user
                need_account = False
                if user_ok:
                    self._reply('331 Firewall password required.')
                else:
                    self._reply('530 Unknown firewall user.')
            elif verb == 'PASS' and user_ok and not need_account:
                if arg != self._config.password:
                    user_ok = False
                    self._reply('530 Firewall login incorrect.')
                elif self._config.require_account:
                    need_account = True
                    self._reply('332 Firewall account required.')
                else:
                    break
            elif verb == 'ACCT' and need_account:
                break
            elif verb in ('PASS', 'ACCT'):
                self._reply('503 Send USER first.')
            else:
                self._reply('530 Log in to the firewall first.')
        self._reply('230 Firewall login ok; send USER user@host[:port].')

    # --- choosing the real server

    async def _choose_server(self):
        while True:
            verb, arg = await self._client_command()
            if verb != 'USER' or '@' not in arg:
                self._reply('530 Send USER user@host[:port] first.')
                continue
            user, _, where = arg.rpartition('@')
            try:
                host, port = split_host_port(where, DEFAULT_FTP_PORT)
            except ValueError as err:
                self._reply('530 %s.' % err)
                continue
            address = loopback_address(host)
            if address is None:
                self._reply('530 Refused: %s is not a loopback address.' % host)
                continue
            if await self._connect(user, address, port):
                return

    async def _connect(self, user, address, port):
        try:
            self._server_reader, self._server = await asyncio.wait_for(
                asyncio.open_connection(address, port), CONNECT_TIMEOUT)
            greeting = await read_reply(self._server_reader, REPLY_TIMEOUT)
        except (OSError, asyncio.TimeoutError, SessionEnded) as err:
            self._drop_server()
            self._reply('530 Cannot reach %s port %d: %s.' % (address, port, err or 'timeout'))
            return False
        if not greeting[0].startswith(b'2'):
            self._client.write(b''.join(greeting))  # e.g. 421: let the client see why
            self._drop_server()
            return False
        self._server.write(b'USER ' + user.encode('utf-8') + b'\r\n')
        self._client.write(b''.join(await read_reply(self._server_reader, REPLY_TIMEOUT)))
        return True

    def _drop_server(self):
        if self._server is not None:
            self._server.close()
        self._server = self._server_reader = None

    # --- relaying

    async def _relay(self):
        upstream = asyncio.ensure_future(self._client_to_server())
        downstream = asyncio.ensure_future(self._server_to_client())
        done, pending = await asyncio.wait({upstream, downstream},
                                           return_when=asyncio.FIRST_COMPLETED)
        for task in pending:
            task.cancel()
        # Collect both outcomes: a lost connection just ends the session.
        await asyncio.wait({upstream, downstream}, timeout=REPLY_TIMEOUT)
        for task in (upstream, downstream):
            if task.done() and not task.cancelled():
                task.exception()

    async def _client_to_server(self):
        while True:
            line = await self._client_line()
            verb, arg = _words(line)
            if verb in ('PORT', 'EPRT'):
                line = await self._active(verb, arg)
                if line is None:
                    continue
            self._server.write(line)
            await self._server.drain()

    async def _server_to_client(self):
        while True:
            line = await asyncio.wait_for(self._server_reader.readline(), self._config.idle_timeout)
            if not line:
                raise SessionEnded()
            if line.startswith(b'227 '):
                line = await self._passive(line, extended=False)
            elif line.startswith(b'229 '):
                line = await self._passive(line, extended=True)
            self._client.write(line)
            await self._client.drain()

    async def _passive(self, line, extended):
        if extended:
            match = _EPSV_REPLY.search(line)
            port = int(match.group(2)) if match else None
        else:
            match = _PASV_REPLY.search(line)
            port = int(match.group(5)) * 256 + int(match.group(6)) if match else None
        if port is None:
            return line
        # Connect to the server we already talk to, whatever address it
        # named: the named one may be unreachable (or, in a test, not
        # loopback at all).
        server_host = self._server.get_extra_info('peername')[0]
        client_side = self._client.get_extra_info('sockname')[0]
        relay = await self._open_relay(client_side, server_host, port)
        if extended:
            return b'229 Entering Extended Passive Mode (|||%d|)\r\n' % relay.port
        if ':' in client_side:
            return line  # 227 cannot name an IPv6 listener; leave it alone
        numbers = client_side.replace('.', ',').encode()
        return b'227 Entering Passive Mode (%s,%d,%d).\r\n' % (
            numbers, relay.port // 256, relay.port % 256)

    async def _active(self, verb, arg):
        """Rewrites PORT/EPRT to a proxy listener; None if refused."""
        try:
            if verb == 'PORT':
                parts = [int(x) for x in arg.split(',')]
                if len(parts) != 6 or not all(0 <= x <= 255 for x in parts):
                    raise ValueError
                host = '.'.join(str(x) for x in parts[:4])
                port = parts[4] * 256 + parts[5]
            else:
                _, _, host, port, _ = arg.split(arg[0])
                port = int(port)
        except (ValueError, IndexError):
            self._reply('501 Bad %s argument.' % verb)
            return None
        address = loopback_address(host)
        if address is None or not 0 < port < 65536:
            self._reply('501 Refused: data address %s is not loopback.' % host)
            return None
        server_side = self._server.get_extra_info('sockname')[0]
        relay = await self._open_relay(server_side, address, port)
        if ':' in server_side:
            return b'EPRT |2|%s|%d|\r\n' % (server_side.encode(), relay.port)
        if verb == 'EPRT':
            return b'EPRT |1|%s|%d|\r\n' % (server_side.encode(), relay.port)
        return b'PORT %s,%d,%d\r\n' % (server_side.replace('.', ',').encode(),
                                       relay.port // 256, relay.port % 256)

    async def _open_relay(self, bind_host, target_host, target_port):
        relay = await Relay(bind_host, target_host, target_port).start()
        self._relays.append(relay)
        return relay
