#include "ControlConnection.h"

#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace netvo {

int ControlConnection::Open(const std::vector<Address>& addresses, Op& op)
{
    Close();
    Address peer;
    int rc = ConnectAny(addresses, op, m_fd, peer);
    if (rc != 0)
        return rc;
    int one = 1;
    ::setsockopt(m_fd.Get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    m_peer = PeerAddress(m_fd.Get());
    m_local = LocalAddress(m_fd.Get());
    Reply greeting;
    do {
        rc = Read(greeting, op);
        if (rc != 0)
            return rc;
    } while (greeting.code == 120);  // "ready in nnn minutes": wait for the 220
    if (greeting.code != 220) {
        Close();
        return NETVO_E_REFUSED;
    }
    return 0;
}

void ControlConnection::Close()
{
    m_fd.Close();
    m_framer.Reset();
}

bool ControlConnection::PullAvailable()
{
    char buffer[4096];
    for (;;) {
        ssize_t n = ::recv(m_fd.Get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            m_framer.Append(buffer, static_cast<size_t>(n));
            if (static_cast<size_t>(n) < sizeof buffer)
                return true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        return false;
    }
}

void ControlConnection::DiscardStale()
{
    if (!PullAvailable()) {
        Close();
        return;
    }
    Reply stale;
    while (m_framer.Next(stale) == ReplyFramer::Status::Ready) {
        if (stale.code == 421) {  // the server is closing the session
            m_last = stale;
            Close();
            return;
        }
    }
}

int ControlConnection::Send(std::string_view line, Op& op)
{
    if (line.find_first_of("\r\n") != std::string_view::npos)
        return NETVO_E_BADARG;
    if (!IsOpen())
        return NETVO_E_NOTCONNECTED;
    DiscardStale();
    if (!IsOpen())
        return NETVO_E_CLOSED;
    std::string wire;
    wire.reserve(line.size() + 2);
    wire.append(line);
    wire += "\r\n";
    int rc = SendAll(m_fd.Get(), wire.data(), wire.size(), op);
    if (rc == NETVO_E_CLOSED || rc == NETVO_E_TIMEOUT)
        Close();
    return rc;
}

int ControlConnection::Read(Reply& reply, Op& op) { return ReadInto(reply, op, op.Timeout(), true); }

int ControlConnection::ReadWithin(Reply& reply, Op& op, std::chrono::milliseconds bound)
{
    return ReadInto(reply, op, bound, false);
}

int ControlConnection::ReadInto(Reply& reply, Op& op, std::chrono::milliseconds bound, bool closeOnTimeout)
{
    if (!IsOpen())
        return NETVO_E_NOTCONNECTED;
    char buffer[8192];
    for (;;) {
        switch (m_framer.Next(reply)) {
        case ReplyFramer::Status::Ready:
            m_last = reply;
            return 0;
        case ReplyFramer::Status::Error:
            Close();
            return NETVO_E_PROTOCOL;
        case ReplyFramer::Status::NeedMore:
            break;
        }
        ssize_t n = ::recv(m_fd.Get(), buffer, sizeof buffer, 0);
        if (n > 0) {
            m_framer.Append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n == 0) {
            Close();
            return NETVO_E_CLOSED;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            Close();
            return NETVO_E_CLOSED;
        }
        int w = op.WaitFd(m_fd.Get(), POLLIN, bound);
        if (w == NETVO_E_TIMEOUT && closeOnTimeout)
            Close();  // a reply may still come; the stream is out of step
        if (w != 0)
            return w;
    }
}

int ControlConnection::Command(std::string_view line, Reply& reply, Op& op)
{
    int rc = Send(line, op);
    if (rc != 0)
        return rc;
    do {
        rc = Read(reply, op);
        if (rc != 0)
            return rc;
    } while (reply.Preliminary());
    return 0;
}

bool ControlConnection::CheckAlive()
{
    if (!IsOpen())
        return false;
    pollfd p{m_fd.Get(), POLLIN, 0};
    bool readable = ::poll(&p, 1, 0) > 0;
    if (readable && (p.revents & (POLLERR | POLLNVAL))) {
        Close();
        return false;
    }
    // A 421 may also sit in the buffer, read along with an earlier reply.
    if (readable || !m_framer.Empty())
        DiscardStale();
    return IsOpen();
}

}  // namespace netvo
