// Bounded waiting: every blocking wait of the library goes through an Op,
// which waits in slices of at most 100 ms, calls the process-wide wait hook
// each slice and gives up at the deadline or when the hook asks to abort.
#pragma once

#include "netvo32.h"

#include <chrono>
#include <poll.h>

namespace netvo {

void SetWaitHook(netvo_waithook hook, void* context);
void SetDefaultTimeout(int seconds);
int DefaultTimeout();
// Sleeps, calling the hook each slice; 0, or NETVO_E_ABORTED when it asks.
int Pause(int handle, int milliseconds);

class Op {
public:
    using Clock = std::chrono::steady_clock;

    // timeoutSeconds: the inactivity bound for each wait (0: the default).
    Op(int handle, bool statusbox, int timeoutSeconds);
    Op(int handle, bool statusbox, std::chrono::milliseconds timeout);

    int Handle() const { return m_handle; }
    bool Statusbox() const { return m_statusbox; }
    std::chrono::milliseconds Timeout() const { return m_timeout; }
    // While cleaning up after an abort the hook is still called, but its
    // answer no longer cuts the (short, bounded) cleanup waits.
    void IgnoreAbort() { m_ignoreAbort = true; }

    void SetTotal(long long total) { m_total = total; }
    void SetDone(long long done) { m_done = done; }
    long long Done() const { return m_done; }
    long long Total() const { return m_total; }

    // Waits until one of the descriptors is ready (revents filled in), for at
    // most `bound` (default: the timeout). Returns 0, NETVO_E_TIMEOUT or
    // NETVO_E_ABORTED.
    int Wait(pollfd* fds, int count, std::chrono::milliseconds bound);
    int Wait(pollfd* fds, int count) { return Wait(fds, count, m_timeout); }
    int WaitFd(int fd, short events) { return WaitFd(fd, events, m_timeout); }
    int WaitFd(int fd, short events, std::chrono::milliseconds bound);
    // After a non-blocking call on fd failed: 0 when the call may be made
    // again (it was interrupted, or fd became ready in time), NETVO_E_TIMEOUT
    // or NETVO_E_ABORTED when the wait ended, kNotTransient when errno names
    // a real failure, which the caller maps to its own code. The timeout
    // counts from the last Moved() (or Progress()), not from each call, and
    // a descriptor that poll() calls ready while the call keeps finding
    // nothing is waited on in naps: such a loop neither spins nor lasts.
    static constexpr int kNotTransient = 1;
    int AwaitRetry(int fd, short events);
    // Tells AwaitRetry that a call on the descriptor moved data.
    void Moved() { m_moved = true; }
    // Sleeps a short while (calling the hook): for a loop that was told a
    // descriptor is ready but found nothing to do. 0 or NETVO_E_ABORTED.
    int Nap();

    // Called after each buffer of a transfer: calls the hook when 50 ms have
    // passed since the last call. Returns 0 or NETVO_E_ABORTED.
    int Progress(long long done);

private:
    int CallHook();

    int m_handle;
    bool m_statusbox;
    std::chrono::milliseconds m_timeout;
    long long m_done = 0;
    long long m_total = -1;
    bool m_aborted = false;
    bool m_ignoreAbort = false;
    Clock::time_point m_lastHook;
    // AwaitRetry's state: the descriptor it waited on, since when nothing
    // moved, and whether its last wait ended with the descriptor ready.
    int m_retryFd = -1;
    bool m_moved = false;
    bool m_wokeReady = false;
    Clock::time_point m_idleSince;
};

}  // namespace netvo
