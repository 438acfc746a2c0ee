"""What the transfer benchmarks share: vsftpd and pure-ftpd on 127.0.0.1, the
placement of server and clients on the cores, and the timing of one client
process. Used by bench/run and bench/paste-run."""

with __import__("warnings").catch_warnings():
    __import__("warnings").simplefilter("ignore", DeprecationWarning)
    import crypt  # deprecated in 3.11, still the way to make a crypt(3) hash
import ctypes
import os
import resource
import shutil
import signal
import socket
import subprocess
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Debian's vsftpd and pure-ftpd packages exclude each other. vsftpd is
# installed (its package makes the "ftp" user its anonymous login needs);
# pure-ftpd, which needs no user of its own here, is unpacked instead.
UNPACKED = os.path.join(TOP, ".cache", "bench-servers")

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
    raise RuntimeError("the server did not answer on port %d" % port)


def start_server(argv, port, cpus):
    """Starts a server program and waits for its greeting on `port`."""
    proc = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, preexec_fn=server_start(cpus))
    try:
        wait_for_listener(port)
    except Exception:
        proc.terminate()
        proc.wait(5)
        raise
    return proc


def server_program(program, package):
    """The path of a server program: the installed one, or the one in the
    package's files unpacked (not installed) under .cache/."""
    installed = shutil.which(program) or shutil.which(program, path="/usr/sbin:/usr/bin")
    if installed:
        return installed
    folder = os.path.join(UNPACKED, package)
    for sub in ("usr/sbin", "usr/bin"):
        candidate = os.path.join(folder, sub, program)
        if os.access(candidate, os.X_OK):
            return candidate
    download = os.path.join(UNPACKED, "download")
    os.makedirs(download, exist_ok=True)
    subprocess.run(["apt-get", "download", package], cwd=download, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deb = [f for f in os.listdir(download) if f.startswith(package + "_") and f.endswith(".deb")]
    if not deb:
        raise RuntimeError("apt-get download %s gave no package" % package)
    subprocess.run(["dpkg-deb", "-x", os.path.join(download, sorted(deb)[-1]), folder], check=True)
    return server_program(program, package)


def package_version(package):
    """The Debian version of the installed or unpacked package."""
    done = subprocess.run(["dpkg-query", "-W", "-f=${Status} ${Version}", package], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL)
    status = done.stdout.decode()
    if "install ok installed" in status:
        return status.split()[-1]
    download = os.path.join(UNPACKED, "download")
    debs = sorted(f for f in os.listdir(download) if f.startswith(package + "_")) if os.path.isdir(download) else []
    return debs[-1].split("_")[1] if debs else "?"


class Vsftpd:
    """An anonymous vsftpd on loopback; uploads go to the writable 'up' folder.

    `options` adds vsftpd.conf settings or replaces the ones below by name
    (for instance the command log)."""

    name = "vsftpd"
    user = "anonymous"
    password = "bench"

    def __init__(self, work, cpus=None, options=None):
        program = server_program("vsftpd", "vsftpd")
        self.version = "vsftpd " + package_version("vsftpd")
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
        self.proc = start_server([program, conf], self.port, cpus)

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


class PureFtpd:
    """pure-ftpd on loopback with one virtual user whose home is the root.
    It names no size in its 150 reply, unlike vsftpd. `arguments` are added
    to its command line (TLS, for instance)."""

    name = "pure-ftpd"
    user = "bench"
    password = "bench"

    def __init__(self, work, cpus=None, arguments=None):
        program = server_program("pure-ftpd", "pure-ftpd")
        pure_pw = server_program("pure-pw", "pure-ftpd")
        self.version = "pure-ftpd " + package_version("pure-ftpd")
        self.root = os.path.join(work, "pure-root")
        self.upload = os.path.join(self.root, "up")
        os.makedirs(self.upload)
        self.port = free_port()
        users = os.path.join(work, "pure.passwd")
        database = os.path.join(work, "pure.pdb")
        subprocess.run([pure_pw, "useradd", self.user, "-u", "nobody", "-g", "nogroup", "-d", self.root,
                        "-f", users], input=("%s\n%s\n" % (self.password, self.password)).encode(), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # pure-pw hashes with scrypt, which costs each login seconds of CPU
        # time on a busy machine; a SHA-512 crypt hash keeps logins cheap,
        # so that the bench times transfers.
        with open(users) as f:
            fields = f.read().strip().split(":")
        fields[1] = crypt.crypt(self.password, crypt.mksalt(crypt.METHOD_SHA512))
        with open(users, "w") as f:
            f.write(":".join(fields) + "\n")
        subprocess.run([pure_pw, "mkdb", database, "-f", users], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.proc = start_server([program, "-S", "127.0.0.1,%d" % self.port, "-l", "puredb:" + database,
                                  "-E", "-A", "-H", "-c", "20", "-C", "20"] + list(arguments or []), self.port, cpus)

    def finish_tree(self):
        # The virtual user writes as nobody.
        for folder, _, files in os.walk(self.root):
            os.chmod(folder, 0o777)
            for f in files:
                os.chmod(os.path.join(folder, f), 0o644)

    stop = Vsftpd.stop


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
