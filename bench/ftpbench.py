"""What the transfer benchmarks share: a vsftpd on 127.0.0.1, the placement
of server and clients on the cores, and the timing of one client process.
Used by bench/run and bench/paste-run."""

import ctypes
import os
import resource
import signal
import socket
import subprocess
import time

PR_SET_PDEATHSIG = 1
_libc = ctypes.CDLL(None, use_errno=True)


def cpu_split():
    """(server CPUs, client CPUs): the server gets a core of its own when
    there are two or more, so that the scheduler's placement of the two
    processes, which moved the numbers by a third between runs, is the
    same for every client. None when the machine has a single core."""
    cpus = sorted(os.sched_getaffinity(0))
    if len(cpus) < 2:
        return None
    return {cpus[-1]}, set(cpus[:-1])


def pinned_to(cpus):
    """A preexec_fn that runs the child on `cpus` (None: anywhere)."""
    if not cpus:
        return None
    return lambda: os.sched_setaffinity(0, cpus)


def server_start(cpus):
    """The server's preexec_fn: pinned as pinned_to, and ended when the
    script that started it ends, however it ends."""
    def start():
        _libc.prctl(PR_SET_PDEATHSIG, signal.SIGTERM, 0, 0, 0)
        if cpus:
            os.sched_setaffinity(0, cpus)
    return start


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_listener(port, seconds=10.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1.0) as s:
                s.settimeout(2.0)
                if s.recv(64).startswith(b"220"):
                    return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError("vsftpd did not answer on port %d" % port)


class Vsftpd:
    """An anonymous vsftpd on loopback; uploads go to the writable 'up' folder.

    `options` adds vsftpd.conf settings or replaces the ones below by name
    (for instance the command log)."""

    def __init__(self, work, cpus=None, options=None):
        self.root = os.path.join(work, "root")
        self.upload = os.path.join(self.root, "up")
        empty = os.path.join(work, "empty")
        os.makedirs(self.upload)
        os.makedirs(empty)
        os.chmod(empty, 0o555)
        self.port = free_port()
        settings = [
            ("listen", "YES"), ("listen_ipv6", "NO"), ("listen_address", "127.0.0.1"),
            ("listen_port", str(self.port)), ("background", "NO"),
            ("anonymous_enable", "YES"), ("local_enable", "NO"), ("no_anon_password", "YES"),
            ("write_enable", "YES"), ("anon_upload_enable", "YES"),
            ("anon_mkdir_write_enable", "YES"), ("anon_other_write_enable", "YES"),
            ("anon_umask", "022"), ("anon_root", self.root),
            ("secure_chroot_dir", empty), ("seccomp_sandbox", "NO"),
            ("pasv_enable", "YES"), ("pasv_address", "127.0.0.1"),
            ("connect_from_port_20", "NO"), ("xferlog_enable", "NO"),
            ("dirmessage_enable", "NO"), ("use_sendfile", "YES"),
            ("max_clients", "20"), ("max_per_ip", "20"), ("idle_session_timeout", "120"),
            ("data_connection_timeout", "120")]
        extra = dict(options or {})
        settings = [(key, extra.pop(key, value)) for key, value in settings] + list(extra.items())
        conf = os.path.join(work, "vsftpd.conf")
        with open(conf, "w") as f:
            f.write("\n".join("%s=%s" % item for item in settings) + "\n")
        self.proc = subprocess.Popen(["vsftpd", conf], stdin=subprocess.DEVNULL, preexec_fn=server_start(cpus))
        try:
            wait_for_listener(self.port)
        except Exception:
            self.stop()
            raise

    def finish_tree(self):
        # vsftpd refuses a writable anonymous root.
        os.chmod(self.root, 0o555)
        os.chmod(self.upload, 0o777)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def run_measured(argv, cpus=None, timeout=900, env=None):
    """Runs one client; returns (wall seconds, cpu seconds) of that process."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    done = subprocess.run(argv, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, timeout=timeout, preexec_fn=pinned_to(cpus), env=env)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (argv[0], done.returncode,
                                                   done.stderr.decode(errors="replace")[-400:]))
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu
