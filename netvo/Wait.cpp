#include "Wait.h"

#include <atomic>
#include <cerrno>
#include <mutex>

namespace netvo {

namespace {

constexpr std::chrono::milliseconds kSlice{100};
constexpr std::chrono::milliseconds kHookInterval{50};
constexpr std::chrono::milliseconds kNap{10};

std::mutex g_hookMutex;
netvo_waithook g_hook = nullptr;
void* g_hookContext = nullptr;
std::atomic<int> g_defaultTimeout{60};

}  // namespace

void SetWaitHook(netvo_waithook hook, void* context)
{
    std::lock_guard lock(g_hookMutex);
    g_hook = hook;
    g_hookContext = context;
}

void SetDefaultTimeout(int seconds) { g_defaultTimeout = seconds > 0 ? seconds : 60; }
int DefaultTimeout() { return g_defaultTimeout; }

int Pause(int handle, int milliseconds)
{
    if (milliseconds <= 0)
        return 0;
    Op op(handle, false, std::chrono::milliseconds(milliseconds));
    int rc = op.Wait(nullptr, 0, op.Timeout());
    return rc == NETVO_E_TIMEOUT ? 0 : rc;
}

Op::Op(int handle, bool statusbox, int timeoutSeconds)
    : m_handle(handle),
      m_statusbox(statusbox),
      m_timeout(std::chrono::seconds(timeoutSeconds > 0 ? timeoutSeconds : DefaultTimeout())),
      m_lastHook(Clock::now())
{
}

Op::Op(int handle, bool statusbox, std::chrono::milliseconds timeout)
    : m_handle(handle), m_statusbox(statusbox), m_timeout(timeout), m_lastHook(Clock::now())
{
}

int Op::CallHook()
{
    netvo_waithook hook;
    void* context;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_hook;
        context = g_hookContext;
    }
    m_lastHook = Clock::now();
    if (hook && hook(m_handle, m_done, m_total, m_statusbox ? 1 : 0, context) != 0 && !m_ignoreAbort)
        m_aborted = true;
    return m_aborted ? NETVO_E_ABORTED : 0;
}

int Op::Progress(long long done)
{
    m_done = done;
    m_moved = true;
    if (m_aborted)
        return NETVO_E_ABORTED;
    if (Clock::now() - m_lastHook < kHookInterval)
        return 0;
    return CallHook();
}

int Op::AwaitRetry(int fd, short events)
{
    if (errno == EINTR)
        return 0;
    if (errno != EAGAIN && errno != EWOULDBLOCK)
        return kNotTransient;
    if (m_moved || fd != m_retryFd) {
        m_retryFd = fd;
        m_moved = false;
        m_wokeReady = false;
        m_idleSince = Clock::now();
    } else if (m_wokeReady) {
        // Ready, yet the call found nothing: poll() would say so again at
        // once, so wait a little before asking it.
        if (Nap() != 0)
            return NETVO_E_ABORTED;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_idleSince + m_timeout - Clock::now());
    if (left.count() <= 0)
        return NETVO_E_TIMEOUT;
    const int rc = WaitFd(fd, events, left);
    m_wokeReady = rc == 0;
    return rc;
}

int Op::Nap()
{
    const int rc = Wait(nullptr, 0, kNap);
    return rc == NETVO_E_TIMEOUT ? 0 : rc;
}

int Op::WaitFd(int fd, short events, std::chrono::milliseconds bound)
{
    pollfd p{fd, events, 0};
    return Wait(&p, 1, bound);
}

int Op::Wait(pollfd* fds, int count, std::chrono::milliseconds bound)
{
    if (m_aborted)
        return NETVO_E_ABORTED;
    const auto deadline = Clock::now() + bound;
    for (;;) {
        auto now = Clock::now();
        if (now - m_lastHook >= kSlice && CallHook() != 0)
            return NETVO_E_ABORTED;
        if (now >= deadline)
            return NETVO_E_TIMEOUT;
        // Sleep no longer than until the next hook call is due.
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        auto untilHook = kSlice - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_lastHook);
        auto slice = std::max(std::chrono::milliseconds(1), std::min(left, untilHook));
        for (int i = 0; i < count; ++i)
            fds[i].revents = 0;
        int n = ::poll(fds, static_cast<nfds_t>(count), static_cast<int>(slice.count()));
        if (n > 0)
            return 0;
        if (n < 0 && errno != EINTR)
            return NETVO_E_INTERNAL;
    }
}

}  // namespace netvo
