"""Late replies on the control connection, without stalling other sessions.

Everything the session writes on its control connection goes through push().
When a DELAY applies to the command being answered, the text is queued and
sent by a timer of the I/O loop; later text always queues behind earlier
text, so replies never overtake each other. A close requested while replies
are still queued waits for them. When a TRICKLE applies, the text is queued
one byte at a time, each byte its interval after the one before.
"""

import collections
import time

from pyftpdlib.handlers import FTPHandler


class DelayedRepliesMixin:
    def _init_delayed_replies(self):
        self._reply_command = None  # whose replies are being sent now
        self._queued = collections.deque()  # (due time, text)
        self._close_when_sent = False

    def answering(self, command):
        """Names the command (or 'CONNECT') that the next replies belong to."""
        self._reply_command = command

    def push(self, text):
        delay = self.faults.delay_for(self._reply_command) if self._reply_command else 0
        trickle = self.faults.trickle_for(self._reply_command) if self._reply_command else 0
        # Encode like incoming lines are decoded, so names that are not
        # valid UTF-8 travel through unchanged.
        data = text.encode('utf8', self.unicode_errors)
        if delay <= 0 and trickle <= 0 and not self._queued:
            self._send_now(data)
            return
        due = time.monotonic() + delay
        if self._queued:
            due = max(due, self._queued[-1][0])
        pieces = [data[i:i + 1] for i in range(len(data))] if trickle > 0 else [data]
        for piece in pieces:
            due += trickle
            self._queued.append((due, piece))
            # One timer per queued piece; each timer sends the oldest one, so
            # the order holds even if two timers fire in the same loop pass.
            self.ioloop.call_later(max(due - time.monotonic(), 0), self._send_oldest,
                                   _errback=self.handle_error)

    def _send_now(self, data):
        super(FTPHandler, self).push(data)

    def _send_oldest(self):
        if not self._queued:
            return
        _, text = self._queued.popleft()
        if self._closed:
            self._queued.clear()
            return
        self._send_now(text)
        if not self._queued and self._close_when_sent:
            super().close_when_done()

    def close_when_done(self):
        if self._queued:
            self._close_when_sent = True
        else:
            super().close_when_done()
