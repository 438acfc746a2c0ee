"""Address checks: the test bed talks to loopback addresses and nothing else.

Host names are never resolved (a lookup could leave the machine); only
literal loopback addresses and the name "localhost" are accepted.
"""

import ipaddress


def loopback_address(host):
    """The literal address for `host` if it is on loopback, else None."""
    if host.lower() == 'localhost':
        return '127.0.0.1'
    try:
        address = ipaddress.ip_address(host)
    except ValueError:
        return None
    return str(address) if address.is_loopback else None


def split_host_port(text, default_port):
    """Parses "host", "host:port", "[v6]" or "[v6]:port"; raises ValueError."""
    if text.startswith('['):
        host, bracket, rest = text[1:].partition(']')
        if not bracket or (rest and not rest.startswith(':')):
            raise ValueError('bad address %r' % text)
        port = rest[1:] if rest else None
    elif text.count(':') == 1:
        host, port = text.split(':')
    else:
        host, port = text, None  # a name, an IPv4 address or a bare IPv6 one
    if not host:
        raise ValueError('no host in %r' % text)
    if port is None or port == '':
        return host, default_port
    if not port.isdigit() or not 0 < int(port) < 65536:
        raise ValueError('bad port in %r' % text)
    return host, int(port)
