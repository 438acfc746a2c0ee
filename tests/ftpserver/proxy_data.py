"""Data connections through the proxy.

A relay listens on a free loopback port for one connection; when it comes,
the relay connects to the far end and copies bytes both ways. Half-closes are
passed on, so an upload ends for the server when it ends for the client, and
a download cut short by the server is cut short for the client too.
"""

import asyncio
import contextlib

CONNECT_TIMEOUT = 10  # seconds to reach the far end
ACCEPT_TIMEOUT = 30   # seconds a relay waits for its one connection
IDLE_TIMEOUT = 60     # seconds a data connection may stall
CHUNK = 65536


class _Progress:
    def __init__(self):
        self.bytes = 0


async def _copy(reader, writer, progress):
    try:
        while True:
            data = await reader.read(CHUNK)
            if not data:
                break
            progress.bytes += len(data)
            writer.write(data)
            await writer.drain()
        if writer.can_write_eof():
            writer.write_eof()
    except Exception:
        writer.transport.abort()  # pass the failure on instead of a clean end


def _close(writer):
    with contextlib.suppress(Exception):
        writer.close()


async def pipe(reader_a, writer_a, reader_b, writer_b):
    """Copies both ways until both ends are done or nothing moves for a while.

    One direction is normally quiet for the whole transfer, so the stall
    check looks at both directions together.
    """
    progress = _Progress()
    copies = {asyncio.ensure_future(_copy(reader_a, writer_b, progress)),
              asyncio.ensure_future(_copy(reader_b, writer_a, progress))}
    try:
        while copies:
            seen = progress.bytes
            _, copies = await asyncio.wait(copies, timeout=IDLE_TIMEOUT)
            if copies and progress.bytes == seen:
                break  # stalled
    finally:
        for copy in copies:
            copy.cancel()
        _close(writer_a)
        _close(writer_b)


class Relay:
    """Accepts one connection on `bind_host` and joins it to `target`."""

    def __init__(self, bind_host, target_host, target_port):
        self._bind_host = bind_host
        self._target = (target_host, target_port)
        self._server = None
        self._timer = None
        self._tasks = set()
        self.port = None

    async def start(self):
        self._server = await asyncio.start_server(self._accepted, self._bind_host, 0)
        self.port = self._server.sockets[0].getsockname()[1]
        self._timer = asyncio.get_running_loop().call_later(ACCEPT_TIMEOUT, self._stop_listening)
        return self

    def _stop_listening(self):
        if self._server is not None:
            self._server.close()
            self._server = None
        if self._timer is not None:
            self._timer.cancel()
            self._timer = None

    async def _accepted(self, reader, writer):
        self._stop_listening()  # one connection per relay, like a PASV port
        task = asyncio.current_task()
        self._tasks.add(task)
        try:
            far_reader, far_writer = await asyncio.wait_for(
                asyncio.open_connection(*self._target), CONNECT_TIMEOUT)
        except (OSError, asyncio.TimeoutError):
            writer.transport.abort()
            self._tasks.discard(task)
            return
        try:
            await pipe(reader, writer, far_reader, far_writer)
        finally:
            self._tasks.discard(task)

    def close(self):
        self._stop_listening()
        for task in list(self._tasks):
            task.cancel()
