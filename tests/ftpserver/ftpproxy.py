#!/usr/bin/python3
"""A minimal FTP firewall proxy for tests (standard library only).

Listens on a free loopback port and prints "READY <port>" on stdout. Clients
log in to the proxy with its own user and password, then send
"USER user@host[:port]" to be connected to a loopback FTP server; see
proxy_session.py. Exits on SIGTERM and as soon as stdin closes.
"""

import argparse
import asyncio
import os
import signal
import sys
import threading

from loopback import loopback_address
from proxy_session import ProxySession


def parse_args(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument('--host', default='127.0.0.1', help='loopback address to listen on')
    p.add_argument('--port', type=int, default=0, help='port (default: a free one)')
    p.add_argument('--user', default='fwuser', help="the proxy's own user")
    p.add_argument('--password', default='fwpass', help="the proxy's own password")
    p.add_argument('--require-account', action='store_true',
                   help='ask for ACCT (332) after the proxy password')
    p.add_argument('--idle-timeout', type=float, default=120,
                   help='seconds a control connection may stay silent')
    args = p.parse_args(argv)
    if loopback_address(args.host) is None:
        p.error('--host must be a loopback address')
    return args


def exit_when_stdin_closes():
    def watch():
        try:
            while os.read(sys.stdin.fileno(), 4096):
                pass
        except OSError:
            pass
        os._exit(0)
    threading.Thread(target=watch, name='stdin-watch', daemon=True).start()


async def serve(config):
    server = await asyncio.start_server(
        lambda r, w: ProxySession(config, r, w).run(), config.host, config.port)
    sys.stdout.write('READY %d\n' % server.sockets[0].getsockname()[1])
    sys.stdout.flush()
    exit_when_stdin_closes()
    async with server:
        await server.serve_forever()


def main(argv):
    config = parse_args(argv)
    signal.signal(signal.SIGTERM, signal.SIG_DFL)
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    asyncio.run(serve(config))


if __name__ == '__main__':
    main(sys.argv[1:])
