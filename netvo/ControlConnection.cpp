#include "ControlConnection.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <sys/socket.h>

namespace netvo {

namespace {

std::string Duration(std::chrono::milliseconds d)
{
    return d.count() % 1000 == 0 ? std::to_string(d.count() / 1000) + " s" : std::to_string(d.count()) + " ms";
}

}  // namespace

int ControlConnection::Open(const std::vector<Address>& addresses, Op& op, bool implicitTls,
                            const std::string& serverName)
{
    Close();
    Address peer;
    int rc = ConnectAny(addresses, op, m_fd, peer);
    if (rc != 0) {
        // Named for the user: which address, and what it did.
        const std::string where = addresses.empty() ? std::string("the server") : addresses.back().HostPort();
        const int error = LastConnectError();
        if (rc == NETVO_E_CONNECT && error == ECONNREFUSED)
            m_failure = "connection refused by " + where;
        else if (rc == NETVO_E_CONNECT && error != 0)
            m_failure = "could not connect to " + where + ": " + std::strerror(error);
        else if (rc == NETVO_E_TIMEOUT)
            m_failure = "no answer from " + where + " within " + Duration(op.Timeout());
        return rc;
    }
    int one = 1;
    ::setsockopt(m_fd.Get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    m_peer = PeerAddress(m_fd.Get());
    m_local = LocalAddress(m_fd.Get());
    m_preliminaries = 0;
    if (implicitTls) {
        rc = StartTls(serverName, op);
        if (rc != 0)
            return rc;
    }
    Reply greeting;
    do {
        rc = Read(greeting, op);
        if (rc == NETVO_E_TIMEOUT && m_failure.empty())
            m_failure = m_peer.HostPort() + " took the connection but sent no greeting within " +
                        Duration(op.Timeout());
        if (rc != 0)
            return rc;
    } while (greeting.code == 120);  // "ready in nnn minutes": wait for the 220
    if (greeting.code != 220) {
        Close();
        return NETVO_E_REFUSED;
    }
    return 0;
}

int ControlConnection::StartTls(const std::string& serverName, Op& op)
{
    if (!IsOpen())
        return NETVO_E_NOTCONNECTED;
    // Anything the server sent after accepting AUTH TLS would be taken for
    // protected replies later: a man in the middle could inject it.
    if (!m_framer.Empty())
        return GiveUp(NETVO_E_TLS, "the server sent more after accepting TLS");
    std::string why;
    const int rc = Tls::Start(m_fd.Get(), Tls::Role::Control, serverName, nullptr, op, m_tls, why);
    if (rc != 0)
        return GiveUp(rc, "TLS handshake failed: " + why);
    return 0;
}

void ControlConnection::Close()
{
    if (m_tls && m_fd.Valid()) {
        // A courtesy to the server, never waited for.
        Op brief(0, false, std::chrono::milliseconds(0));
        m_tls->Shutdown(brief, std::chrono::milliseconds(0));
    }
    m_tls.reset();
    m_fd.Close();
    m_framer.Reset();
    m_unsure = false;
}

int ControlConnection::GiveUp(int code, std::string why)
{
    Close();
    m_failure = std::move(why);
    return code;
}

bool ControlConnection::PullAvailable()
{
    // Bounded, so that a server flooding the connection cannot keep us here.
    char buffer[4096];
    for (int round = 0; round < 16;) {
        const long n = Receive(buffer, sizeof buffer);
        if (n > 0) {
            m_framer.Append(buffer, static_cast<size_t>(n));
            if (static_cast<size_t>(n) < sizeof buffer)
                return true;
            ++round;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        return false;
    }
    return true;
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

bool ControlConnection::TakeArrived(Reply& reply)
{
    if (!IsOpen())
        return false;
    const bool open = PullAvailable();
    switch (m_framer.Next(reply)) {
    case ReplyFramer::Status::Ready:
        m_last = reply;
        if (reply.Preliminary() && ++m_preliminaries > kMaxPreliminary) {
            GiveUp(NETVO_E_PROTOCOL, "the server sent more than " + std::to_string(kMaxPreliminary) +
                                         " preliminary replies");
            return false;
        }
        return true;
    case ReplyFramer::Status::Error:
        Close();
        return false;
    case ReplyFramer::Status::NeedMore:
        break;
    }
    if (!open)
        Close();
    return false;
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
    // Nothing after a QUIT is read, so it needs the stream in step no more.
    if (m_unsure && line != "QUIT") {
        int rc = Resync(op);
        if (rc != 0)
            return rc;
    }
    return SendLine(line, op);
}

int ControlConnection::SendAbort(Op& op)
{
    if (!IsOpen())
        return NETVO_E_NOTCONNECTED;
    return SendLine("ABOR", op);
}

int ControlConnection::SendLine(std::string_view line, Op& op)
{
    m_preliminaries = 0;
    std::string wire;
    wire.reserve(line.size() + 2);
    wire.append(line);
    wire += "\r\n";
    int rc = m_tls ? TlsSendAll(*m_tls, wire.data(), wire.size(), op)
                   : SendAll(m_fd.Get(), wire.data(), wire.size(), op);
    if (rc == NETVO_E_CLOSED || rc == NETVO_E_TIMEOUT)
        Close();
    return rc;
}

int ControlConnection::Resync(Op& op)
{
    m_unsure = false;
    int rc = SendLine("NOOP", op);
    if (rc != 0)
        return rc;
    // The server answers in order, so every reply before the NOOP's 200
    // belongs to what was abandoned (an abort's late answers).
    for (int leftovers = 0;; ++leftovers) {
        Reply reply;
        rc = ReadInto(reply, op, op.Timeout(), true);
        if (rc != 0)
            return rc;
        if (reply.code == 200) {
            m_preliminaries = 0;
            return 0;
        }
        if (reply.code == 421) {
            Close();
            return NETVO_E_CLOSED;
        }
        if (leftovers >= kMaxPreliminary)
            return GiveUp(NETVO_E_PROTOCOL, "no answer to NOOP among " + std::to_string(leftovers + 1) +
                                                " leftover replies");
    }
}

int ControlConnection::Read(Reply& reply, Op& op) { return ReadInto(reply, op, op.Timeout(), true); }

int ControlConnection::ReadWithin(Reply& reply, Op& op, std::chrono::milliseconds bound)
{
    return ReadInto(reply, op, bound, false);
}

int ControlConnection::ReadInto(Reply& reply, Op& op, std::chrono::milliseconds bound, bool closeOnTimeout)
{
    using Clock = Op::Clock;
    if (!IsOpen())
        return NETVO_E_NOTCONNECTED;
    // Two bounds: the silence before the reply (and between its bytes) is
    // `bound`; the reply as a whole, from its first byte, gets a few
    // timeouts, so that a server trickling bytes or lines forever is cut off.
    const std::chrono::milliseconds replyLimit = op.Timeout() * kReplyTimeouts;
    auto idleSince = Clock::now();
    std::optional<Clock::time_point> begun;
    if (!m_framer.Empty())
        begun = idleSince;
    bool wokeEmpty = false;
    char buffer[8192];
    for (;;) {
        switch (m_framer.Next(reply)) {
        case ReplyFramer::Status::Ready:
            m_last = reply;
            if (reply.Preliminary() && ++m_preliminaries > kMaxPreliminary)
                return GiveUp(NETVO_E_PROTOCOL, "the server sent more than " + std::to_string(kMaxPreliminary) +
                                                    " preliminary replies");
            return 0;
        case ReplyFramer::Status::Error:
            Close();
            return NETVO_E_PROTOCOL;
        case ReplyFramer::Status::NeedMore:
            break;
        }
        const long n = Receive(buffer, sizeof buffer);
        if (n > 0) {
            m_framer.Append(buffer, static_cast<size_t>(n));
            idleSince = Clock::now();
            if (!begun)
                begun = idleSince;
            wokeEmpty = false;
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
        // poll() said readable, yet there was nothing: do not spin on it.
        if (wokeEmpty && op.Nap() != 0) {
            m_unsure = true;  // the reply is still owed
            return NETVO_E_ABORTED;
        }
        auto until = idleSince + bound;
        const bool replyBinds = begun && *begun + replyLimit <= until;
        if (replyBinds)
            until = *begun + replyLimit;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        const int w = left.count() > 0 ? op.WaitFd(m_fd.Get(), WaitEvents(), left) : NETVO_E_TIMEOUT;
        if (w == NETVO_E_TIMEOUT && replyBinds)
            return GiveUp(NETVO_E_TIMEOUT, "the server kept the reply going for more than " + Duration(replyLimit));
        if (w == NETVO_E_TIMEOUT && closeOnTimeout)
            Close();  // a reply may still come; the stream is out of step
        if (w == NETVO_E_ABORTED)
            m_unsure = true;  // the reply is still owed
        if (w != 0)
            return w;
        wokeEmpty = true;
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
    // A 421 may also sit in the buffer, read along with an earlier reply
    // (or inside TLS, where poll() cannot see it).
    if (readable || !m_framer.Empty() || (m_tls && m_tls->Pending()))
        DiscardStale();
    return IsOpen();
}

long ControlConnection::Receive(char* buffer, size_t size)
{
    if (!m_tls)
        return ::recv(m_fd.Get(), buffer, size, MSG_DONTWAIT);
    const long n = m_tls->Read(buffer, size);
    if (n == Tls::kAgain) {
        errno = EAGAIN;
        return -1;
    }
    if (n < 0) {
        errno = ECONNRESET;
        return -1;
    }
    return n;
}

bool ControlConnection::PeekAlive() const
{
    if (!IsOpen())
        return false;
    char byte;
    const ssize_t n = ::recv(m_fd.Get(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0)
        return true;
    if (n == 0)
        return false;
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

}  // namespace netvo
