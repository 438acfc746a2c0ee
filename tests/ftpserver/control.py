"""The control channel: one request line in, one answer (plus data lines) out.

Requests (words separated by blanks, the verb case-insensitive):
  FAIL <CMD> <N> <CODE>        fail the next N uses of CMD with CODE
  DROP <RETR|STOR> <BYTES>     cut data and control after BYTES (once)
  DELAY <CMD|*|CONNECT> <SEC>  send replies to CMD SEC seconds late
  LIST <unix|dos|iis>          style of LIST replies
  EPSV <on|off>                off: EPSV is an unknown command
  MLSD <on|off>                off: MLSD and MLST are unknown, FEAT omits MLST
  PASVADDR <foreign|normal>    foreign: 227 replies name 127.0.0.2
  ANNOUNCE <off|real|BYTES>    a RETR's 150 reply names the file's size
                               (real) or BYTES, as many servers do
  LISTERR <refuse|vsftpd|empty>
                               a folder that cannot be listed gets 550
                               (refuse), or an empty listing and "226 ...
                               failed to open directory" (vsftpd) or a
                               plain "226 0 matches total" (empty)
  THROTTLE <BYTES>             data connections opened from now on move
                               about BYTES per second; 0 lifts it
  ENDLESS <CMD|CONNECT> <prelim|continuation|off>
                               the reply to CMD (or the greeting) never ends:
                               a 150 (120) line, or a continuation line,
                               every 100 ms until the client goes
  TRICKLE <CMD|CONNECT> <MS>   replies to CMD (or the greeting) are sent one
                               byte every MS milliseconds; 0 lifts it
  ABOR <normal|single|late>    ABOR answered as pyftpdlib does, with one
                               reply (pure-ftpd), or not before a running
                               upload ends (vsftpd)
  HUGELIST <COUNT>             NLST and LIST of any folder send COUNT
                               made-up names; 0 lists the real entries
  MDTM <off|STAMP>             every MDTM is answered "213 STAMP"
  CLEAR                        all faults off
  COMMANDS                     "OK <n>" then the n command lines received
  CONNECTIONS                  "OK <n>", control connections open now
  TLS                          "OK <protected> <resumed> <clear>": data
                               connections so far with TLS, how many of
                               those resumed the session, and without TLS
  PING                         "OK"
Answers are "OK", "OK <data>" or "ERR <reason>".
"""

import os
import sys
import threading

from faults import ABOR_STYLES, DROP_KINDS, ENDLESS_KINDS, LIST_STYLES


def _count(text, what, minimum=0):
    try:
        value = int(text)
    except ValueError:
        raise ValueError('%s must be a whole number, not %r' % (what, text))
    if value < minimum:
        raise ValueError('%s must be at least %d' % (what, minimum))
    return value


def _seconds(text):
    try:
        value = float(text)
    except ValueError:
        raise ValueError('seconds must be a number, not %r' % text)
    if not 0 <= value <= 3600:
        raise ValueError('seconds must be between 0 and 3600')
    return value


def _choice(text, choices):
    value = text.lower()
    if value not in choices:
        raise ValueError('expected one of %s, not %r' % ('|'.join(choices), text))
    return value


def _fail(faults, command, times, code):
    code = _count(code, 'reply code', 100)
    if code > 599:
        raise ValueError('reply code must be between 100 and 599')
    faults.set_failure(command.upper(), _count(times, 'count'), code)
    return ['OK']


def _drop(faults, kind, nbytes):
    kind = kind.upper()
    if kind not in DROP_KINDS:
        raise ValueError('DROP applies to RETR or STOR, not %r' % kind)
    faults.set_drop(kind, _count(nbytes, 'byte count'))
    return ['OK']


def _delay(faults, command, seconds):
    faults.set_delay(command.upper(), _seconds(seconds))
    return ['OK']


def _list(faults, style):
    faults.set_list_style(_choice(style, LIST_STYLES))
    return ['OK']


def _listerr(faults, how):
    faults.set_list_errors(_choice(how, ('refuse', 'vsftpd', 'empty')))
    return ['OK']


def _epsv(faults, state):
    faults.set_epsv(_choice(state, ('on', 'off')) == 'on')
    return ['OK']


def _mlsd(faults, state):
    faults.set_mlsd(_choice(state, ('on', 'off')) == 'on')
    return ['OK']


def _pasvaddr(faults, mode):
    faults.set_foreign_pasv(_choice(mode, ('foreign', 'normal')) == 'foreign')
    return ['OK']


def _announce(faults, what):
    value = what.lower()
    if value not in ('off', 'real'):
        value = _count(what, 'byte count')
    faults.set_announce(None if value == 'off' else value)
    return ['OK']


def _throttle(faults, rate):
    faults.set_throttle(_count(rate, 'bytes per second'))
    return ['OK']


def _hugelist(faults, count):
    faults.set_huge_list(_count(count, 'name count'))
    return ['OK']


def _mdtm(faults, stamp):
    # Any digits go, impossible times included: that is what it is for.
    if stamp.lower() != 'off' and not (stamp.isdigit() and stamp.isascii()):
        raise ValueError('MDTM takes off or digits, not %r' % stamp)
    faults.set_mdtm(None if stamp.lower() == 'off' else stamp)
    return ['OK']


def _endless(faults, command, kind):
    kind = _choice(kind, ENDLESS_KINDS + ('off',))
    faults.set_endless(command.upper(), None if kind == 'off' else kind)
    return ['OK']


def _trickle(faults, command, milliseconds):
    milliseconds = _count(milliseconds, 'milliseconds')
    if milliseconds > 10000:
        raise ValueError('milliseconds must be at most 10000')
    faults.set_trickle(command.upper(), milliseconds / 1000.0)
    return ['OK']


def _abor(faults, style):
    faults.set_abor(_choice(style, ABOR_STYLES))
    return ['OK']


def _clear(faults):
    faults.clear()
    return ['OK']


def _commands(faults):
    # Lines cannot carry line breaks; a command containing one (only possible
    # with a bare LF inside a request) is shown with the break escaped.
    lines = [c.replace('\r', '\\r').replace('\n', '\\n') for c in faults.commands()]
    return ['OK %d' % len(lines)] + lines


def _connections(faults):
    return ['OK %d' % faults.connections()]


def _tls(faults):
    from tls import DATA_STATS
    return ['OK %d %d %d' % DATA_STATS.counts()]


def _ping(faults):
    return ['OK']


_REQUESTS = {
    'FAIL': _fail,
    'DROP': _drop,
    'DELAY': _delay,
    'LIST': _list,
    'LISTERR': _listerr,
    'EPSV': _epsv,
    'MLSD': _mlsd,
    'PASVADDR': _pasvaddr,
    'ANNOUNCE': _announce,
    'THROTTLE': _throttle,
    'ENDLESS': _endless,
    'TRICKLE': _trickle,
    'ABOR': _abor,
    'HUGELIST': _hugelist,
    'MDTM': _mdtm,
    'CLEAR': _clear,
    'COMMANDS': _commands,
    'CONNECTIONS': _connections,
    'TLS': _tls,
    'PING': _ping,
}


def handle_request(faults, line):
    """Applies one request; returns the answer lines."""
    words = line.split()
    if not words:
        return ['ERR empty request']
    verb = words[0].upper()
    handler = _REQUESTS.get(verb)
    if handler is None:
        return ['ERR unknown request %r' % words[0]]
    expected = handler.__code__.co_argcount - 1
    if len(words) - 1 != expected:
        return ['ERR %s takes %d argument(s)' % (verb, expected)]
    try:
        return handler(faults, *words[1:])
    except ValueError as err:
        return ['ERR %s' % err]


def _serve(faults, requests, answers):
    try:
        for line in requests:
            answers.write('\n'.join(handle_request(faults, line)) + '\n')
            answers.flush()
    except (BrokenPipeError, ConnectionError, ValueError):
        pass
    # The test that started us is gone (or closed the channel on purpose):
    # nobody can stop us any more, so stop now rather than linger.
    os._exit(0)


def start_control_thread(faults):
    """Serves requests from stdin; the process exits when stdin closes."""
    thread = threading.Thread(target=_serve, args=(faults, sys.stdin, sys.stdout),
                              name='control', daemon=True)
    thread.start()
    return thread
