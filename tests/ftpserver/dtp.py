"""Data connections that can break off in the middle of a file transfer.

An armed DROP lets exactly the first `n` bytes of the next file download
(RETR) or upload (STOR, APPE, STOU) through, then closes the data connection
and the control connection of that session without any reply, the way a
crashing server or a broken route looks to a client. The switch stays armed
until a transfer reaches `n` bytes; only that one transfer is cut.

An armed THROTTLE holds every data connection opened after it to about that
many bytes per second each way, so that a test can act in the middle of a
transfer without racing it.
"""

import socket

from pyftpdlib.handlers import ThrottledDTPHandler
from pyftpdlib.ioloop import RetryError


class DroppingDTPHandler(ThrottledDTPHandler):
    def __init__(self, sock, cmd_channel):
        self._dropped = False
        # Read by the base class while it sizes its buffers.
        self.read_limit = self.write_limit = cmd_channel.faults.throttle()
        super().__init__(sock, cmd_channel)

    def close(self):
        # A listing the handler answers in a server's own words.
        final = getattr(self.cmd_channel, 'dtp_final_reply', None)
        if final and self._resp and self._resp[0].startswith('226'):
            self._resp = (final, self._resp[1])
        # A server whose ABOR gets the only final reply (ABOR single, as
        # pure-ftpd) ends a broken-off transfer with a statistics line.
        if (self._resp and self._resp[0].startswith('426') and self.cmd_channel is not None
                and self.cmd_channel.faults.abor() == 'single'):
            self._resp = ('150 %d bytes moved before the transfer stopped.' % self.get_transmitted_bytes(),
                          self._resp[1])
        if self.cmd_channel is not None:
            self.cmd_channel.dtp_final_reply = None
        super().close()

    def _drop_limit(self):
        # Listings carry no file object; only file transfers are cut.
        if self._dropped or self.file_obj is None:
            return None
        return self.cmd_channel.faults.drop_limit('STOR' if self.receive else 'RETR')

    def _reached(self, kind, limit):
        if self.cmd_channel.faults.take_drop(kind, limit):
            self._dropped = True
            # Close from the loop, not from inside asynchat's send path.
            self.ioloop.call_later(0, self._drop_session, _errback=self.handle_error)

    def _drop_session(self):
        self._resp = ()  # no 226/426: the peer just sees the connections end
        session = self.cmd_channel
        self.close()
        session.close()

    def send(self, data):
        if self._dropped:
            return 0
        limit = self._drop_limit()
        if limit is None:
            return super().send(data)
        room = limit - self.tot_bytes_sent
        sent = super().send(data[:room]) if room > 0 else 0
        if self.tot_bytes_sent >= limit:
            self._reached('RETR', limit)
        return sent

    def handle_read(self):
        if self._dropped:
            return
        limit = self._drop_limit()
        if limit is None:
            return super().handle_read()
        try:
            chunk = self.recv(self.ac_in_buffer_size)
        except RetryError:
            return
        except socket.error:
            self.handle_error()
            return
        if not chunk:
            self.transfer_finished = True
            return
        room = max(limit - self.tot_bytes_received, 0)
        self.tot_bytes_received += min(len(chunk), room)
        kept = chunk[:room]
        if kept:
            if self._data_wrapper is not None:
                kept = self._data_wrapper(kept)
            self.file_obj.write(kept)
        if self.tot_bytes_received >= limit:
            self._reached('STOR', limit)

    # The base class aliases the event to its own handle_read.
    handle_read_event = handle_read
