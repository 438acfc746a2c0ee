#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace testbed::detail {

namespace {

std::runtime_error SystemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

// posix_spawn's attribute and file action objects, released on every path.
struct SpawnSetup {
    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;

    explicit SpawnSetup(int channel)
    {
        posix_spawnattr_init(&attr);
        posix_spawn_file_actions_init(&actions);
        // The test may ignore or block signals; the helper must still stop
        // on SIGTERM and see its own SIGPIPE.
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD})
            sigaddset(&defaults, sig);
        sigset_t noneBlocked;
        sigemptyset(&noneBlocked);
        posix_spawnattr_setsigdefault(&attr, &defaults);
        posix_spawnattr_setsigmask(&attr, &noneBlocked);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        posix_spawn_file_actions_adddup2(&actions, channel, STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, channel, STDOUT_FILENO);
        // Sockets the test opened without O_CLOEXEC must not live on in the
        // helper, or their peers would never see them close.
        posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

ChildProcess::~ChildProcess()
{
    Stop(std::chrono::seconds(3));
}

void ChildProcess::Start(const std::string& name, const std::vector<std::string>& argv)
{
    if (m_pid > 0)
        throw std::logic_error(name + " already started");
    m_name = name;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        throw SystemError("socketpair for " + name);

    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    int rc = 0;
    {
        SpawnSetup setup(fds[1]);
        rc = posix_spawn(&m_pid, args[0], &setup.actions, &setup.attr, args.data(), environ);
    }
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        m_pid = -1;
        throw std::runtime_error("cannot start " + name + " (" + argv[0] + "): " + std::strerror(rc));
    }
    m_channel = fds[0];
}

void ChildProcess::WriteLine(const std::string& line)
{
    const std::string data = line + "\n";
    size_t done = 0;
    while (done < data.size()) {
        pollfd pfd{m_channel, POLLOUT, 0};
        const int ready = poll(&pfd, 1, 10000);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            throw std::runtime_error(m_name + " does not accept requests");
        const ssize_t sent = send(m_channel, data.data() + done, data.size() - done,
                                  MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (sent < 0)
            throw SystemError("writing to " + m_name);
        done += static_cast<size_t>(sent);
    }
}

std::string ChildProcess::ReadLine(std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    size_t end;
    while ((end = m_buffer.find('\n')) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            throw std::runtime_error(m_name + " did not answer within " +
                                     std::to_string(timeout.count()) + " ms");
        pollfd pfd{m_channel, POLLIN, 0};
        const int ready = poll(&pfd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            throw SystemError("waiting for " + m_name);
        if (ready == 0)
            continue;  // the deadline check above reports it
        char chunk[4096];
        const ssize_t got = recv(m_channel, chunk, sizeof chunk, MSG_DONTWAIT);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got < 0)
            throw SystemError("reading from " + m_name);
        if (got == 0)
            throw std::runtime_error(m_name + " exited (its error output is above)");
        m_buffer.append(chunk, static_cast<size_t>(got));
    }
    std::string line = m_buffer.substr(0, end);
    m_buffer.erase(0, end + 1);
    return line;
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds timeout)
{
    // Through syscall(): glibc 2.36's <sys/pidfd.h> lacks C linkage for C++.
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, m_pid, 0));
    if (pidfd >= 0) {
        pollfd pfd{pidfd, POLLIN, 0};
        int ready;
        do
            ready = poll(&pfd, 1, static_cast<int>(timeout.count()));
        while (ready < 0 && errno == EINTR);
        close(pidfd);
    } else {
        // Kernels before 5.3 have no process descriptors: poll the status.
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + timeout;
        while (waitpid(m_pid, nullptr, WNOHANG) == 0 && Clock::now() < deadline) {
            const timespec pause{0, 10 * 1000 * 1000};
            nanosleep(&pause, nullptr);
        }
    }
    const pid_t reaped = waitpid(m_pid, nullptr, WNOHANG);
    // ECHILD: the test reaps children itself (or ignores SIGCHLD).
    return reaped == m_pid || (reaped < 0 && errno == ECHILD);
}

void ChildProcess::Stop(std::chrono::milliseconds grace)
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        if (!WaitForExit(grace)) {
            kill(m_pid, SIGKILL);
            WaitForExit(std::chrono::seconds(10));
        }
        m_pid = -1;
    }
    if (m_channel >= 0) {
        close(m_channel);
        m_channel = -1;
    }
    m_buffer.clear();
}

}  // namespace testbed::detail
