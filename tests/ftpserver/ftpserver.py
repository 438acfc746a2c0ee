#!/usr/bin/python3
"""FTP server for tests: pyftpdlib serving one folder on loopback, with faults.

Prints "READY <port>" on stdout once it listens, then serves control requests
on stdin/stdout (see control.py and README.md). Exits on SIGTERM and as soon
as stdin closes, so a test that dies never leaves a server behind.
"""

import argparse
import ipaddress
import logging
import os
import signal
import sys
import warnings

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.servers import FTPServer

from control import handle_request, start_control_thread
from faults import Faults
from handler import make_handler_class

FULL_PERMISSIONS = 'elradfmwMT'


def parse_args(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument('--root', required=True, help='folder to serve')
    p.add_argument('--host', default='127.0.0.1', help='loopback address to listen on')
    p.add_argument('--port', type=int, default=0, help='port (default: a free one)')
    p.add_argument('--user', action='append', default=[], metavar='NAME:PASS',
                   help='a user that may log in (repeatable)')
    p.add_argument('--anonymous', action='store_true',
                   help='allow anonymous login, with write access')
    p.add_argument('--idle-timeout', type=float, default=120,
                   help='seconds before an idle control connection is closed')
    p.add_argument('--verbose', action='store_true', help='log every command on stderr')
    # Faults active from the start; the same as the control requests.
    p.add_argument('--fail', nargs=3, action='append', default=[], metavar=('CMD', 'N', 'CODE'))
    p.add_argument('--drop', nargs=2, action='append', default=[], metavar=('CMD', 'BYTES'))
    p.add_argument('--delay', nargs=2, action='append', default=[], metavar=('CMD', 'SECONDS'))
    p.add_argument('--list-style', choices=('unix', 'dos', 'iis'))
    p.add_argument('--no-epsv', action='store_true', help='treat EPSV as unknown')
    p.add_argument('--no-mlsd', action='store_true', help='treat MLSD and MLST as unknown')
    p.add_argument('--foreign-pasv', action='store_true', help='227 replies name 127.0.0.2')
    # FTP over TLS (see tls.py).
    p.add_argument('--tls', nargs=2, metavar=('CERTFILE', 'KEYFILE'),
                   help='offer AUTH TLS with this certificate (TLS 1.2 or newer)')
    p.add_argument('--tls-required', action='store_true', help='refuse USER and PASS before AUTH TLS')
    p.add_argument('--require-reuse', action='store_true',
                   help='refuse protected data connections that do not resume the TLS session')
    p.add_argument('--implicit', action='store_true', help='TLS from the first byte')
    p.add_argument('--sscn', action='store_true',
                   help='accept SSCN: TLS client on data connections, for server to server copies')
    args = p.parse_args(argv)
    if (args.tls_required or args.require_reuse or args.implicit or args.sscn) and not args.tls:
        p.error('--tls-required, --require-reuse, --implicit and --sscn need --tls')
    try:
        loopback = ipaddress.ip_address(args.host).is_loopback
    except ValueError:
        loopback = False
    if not loopback:
        p.error('--host must be a loopback address')
    if not os.path.isdir(args.root):
        p.error('--root %r is not a folder' % args.root)
    for entry in args.user:
        if ':' not in entry:
            p.error('--user expects NAME:PASS, not %r' % entry)
    return args


def startup_requests(args):
    requests = ['FAIL %s %s %s' % tuple(f) for f in args.fail]
    requests += ['DROP %s %s' % tuple(d) for d in args.drop]
    requests += ['DELAY %s %s' % tuple(d) for d in args.delay]
    if args.list_style:
        requests.append('LIST ' + args.list_style)
    if args.no_epsv:
        requests.append('EPSV off')
    if args.no_mlsd:
        requests.append('MLSD off')
    if args.foreign_pasv:
        requests.append('PASVADDR foreign')
    return requests


def make_authorizer(args):
    authorizer = DummyAuthorizer()
    root = os.path.abspath(args.root)
    for entry in args.user:
        name, password = entry.split(':', 1)
        authorizer.add_user(name, password, root, perm=FULL_PERMISSIONS)
    if args.anonymous:
        with warnings.catch_warnings():
            warnings.simplefilter('ignore')  # write access is intended here
            authorizer.add_anonymous(root, perm=FULL_PERMISSIONS)
    return authorizer


def main(argv):
    args = parse_args(argv)
    # A parent that ignores these must not make us immortal.
    signal.signal(signal.SIGTERM, signal.SIG_DFL)
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    logging.basicConfig(stream=sys.stderr, level=logging.DEBUG if args.verbose else logging.WARNING,
                        format='ftpserver[%(process)d] %(levelname)s %(message)s')
    # Names that are not UTF-8 reach the control channel as they came.
    sys.stdout.reconfigure(encoding='utf-8', errors='surrogateescape', newline='\n')
    sys.stdin.reconfigure(encoding='utf-8', errors='surrogateescape')

    faults = Faults()
    for request in startup_requests(args):
        answer = handle_request(faults, request)[0]
        if answer != 'OK':
            sys.exit('ftpserver: %s: %s' % (request, answer))

    handler = make_handler_class(faults, make_authorizer(args), args.idle_timeout)
    if args.tls:
        from tls import make_context, tls_handler_class
        handler = tls_handler_class(handler, make_context(*args.tls), args.tls_required,
                                    args.require_reuse, args.implicit, args.sscn)
    server = FTPServer((args.host, args.port), handler)
    sys.stdout.write('READY %d\n' % server.address[1])
    sys.stdout.flush()
    start_control_thread(faults)
    server.serve_forever(handle_exit=False)


if __name__ == '__main__':
    main(sys.argv[1:])
