#include "DataConnection.h"

#include "Result.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace netvo {

namespace {

// How long the cleanup after an abort waits for each reply (at most the
// receive timeout).
constexpr auto kDrainBound = std::chrono::seconds(2);
// How long a TLS data connection waits for the server's end after ours.
constexpr auto kTlsDrainBound = std::chrono::seconds(10);

bool IsRefusal(int code) { return code >= 500 && code < 600; }

int Listen(Session& s, netvo::Fd& out, Address& bound)
{
    Address local = s.control.Local();
    local.SetPort(s.settings.dataPort);
    netvo::Fd fd(::socket(local.Family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!fd.Valid())
        return NETVO_E_DATACONN;
    int one = 1;
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local.storage), local.length) != 0 ||
        ::listen(fd.Get(), 4) != 0)
        return NETVO_E_DATACONN;
    bound = LocalAddress(fd.Get());
    out = std::move(fd);
    return 0;
}

// Accepts the server's data connection; connections from any other host
// are closed (they could inject or steal data). The control connection is
// watched too: a server that cannot connect says so there (425) instead of
// leaving us waiting for the whole timeout. The timeout counts from the
// start: neither foreign connections nor chatter on the control connection
// extend it.
int AcceptFromPeer(Session& s, Op& op, netvo::Fd& listener, netvo::Fd& out, Reply& early)
{
    const auto deadline = Op::Clock::now() + op.Timeout();
    bool wokeEmpty = false;
    for (;;) {
        if (wokeEmpty && op.Nap() != 0)
            return NETVO_E_ABORTED;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Op::Clock::now());
        if (left.count() <= 0)
            return NETVO_E_TIMEOUT;
        pollfd fds[2] = {{listener.Get(), POLLIN, 0}, {s.control.Fd(), POLLIN, 0}};
        int w = op.Wait(fds, 2, left);
        if (w != 0)
            return w;
        wokeEmpty = false;
        if (fds[1].revents != 0 && !(fds[0].revents & POLLIN)) {
            int rc = s.control.Read(early, op);
            if (rc != 0)
                return rc;
            if (early.code >= 400)
                return early.code;
            continue;  // e.g. a second preliminary reply (their number is capped)
        }
        Address from;
        from.length = sizeof from.storage;
        int fd = ::accept4(listener.Get(), reinterpret_cast<sockaddr*>(&from.storage), &from.length,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED) {
                wokeEmpty = errno != EINTR;
                continue;
            }
            return NETVO_E_DATACONN;
        }
        netvo::Fd accepted(fd);
        if (from.SameHost(s.control.Peer())) {
            out = std::move(accepted);
            listener.Close();
            return 0;
        }
    }
}

}  // namespace

int RequestPassive(Session& s, Op& op, Address& out)
{
    Reply reply;
    if (!s.epsvRefused) {
        int rc = s.control.Command("EPSV", reply, op);
        if (rc != 0)
            return s.Fail(rc, "EPSV");
        if (reply.code == 229) {
            auto port = ParseEpsv(reply.Text());
            if (!port)
                return s.Fail(NETVO_E_PROTOCOL, "EPSV");
            out = s.control.Peer();
            out.SetPort(*port);
            return 0;
        }
        if (!IsRefusal(reply.code))
            return s.Fail(reply.code, "EPSV");
        s.epsvRefused = true;  // do not ask again on this server
    }
    int rc = s.control.Command("PASV", reply, op);
    if (rc != 0)
        return s.Fail(rc, "PASV");
    if (reply.code != 227)
        return s.Unexpected(reply, "PASV");
    auto pasv = ParsePasv(reply.Text());
    if (!pasv)
        return s.Fail(NETVO_E_PROTOCOL, "PASV");
    // The address in the reply is ignored on purpose: only the port is used,
    // with the control connection's peer (defeats PASV spoofing and servers
    // behind NAT that announce their private address).
    out = s.control.Peer();
    out.SetPort(pasv->port);
    return 0;
}

int SendPort(Session& s, Op& op, const Address& target)
{
    std::string command;
    if (target.Family() == AF_INET) {
        auto& in = reinterpret_cast<const sockaddr_in&>(target.storage);
        auto* b = reinterpret_cast<const unsigned char*>(&in.sin_addr.s_addr);
        int port = target.Port();
        command = "PORT " + std::to_string(b[0]) + "," + std::to_string(b[1]) + "," + std::to_string(b[2]) +
                  "," + std::to_string(b[3]) + "," + std::to_string(port / 256) + "," +
                  std::to_string(port % 256);
    } else {
        command = "EPRT |2|" + target.Host() + "|" + std::to_string(target.Port()) + "|";
    }
    return s.Run(command, op);
}

int SendRest(Session& s, Op& op, long long offset)
{
    if (offset <= 0)
        return 0;
    Reply reply;
    const std::string line = "REST " + std::to_string(offset);
    int rc = s.control.Command(line, reply, op);
    if (rc != 0)
        return s.Fail(rc, line);
    return reply.code == 350 ? 0 : s.Unexpected(reply, line);
}

int OpenDataCommand(Session& s, Op& op, const std::string& command, long long rest, DataConnection& dc)
{
    dc = DataConnection{};
    if (!SafeArgument(command))
        return s.Fail(NETVO_E_BADARG, "");
    if (!s.control.IsOpen())
        return s.Fail(NETVO_E_NOTCONNECTED, command);
    int rc;
    if (s.settings.passive) {
        Address target;
        rc = RequestPassive(s, op, target);
        if (rc != 0)
            return rc;
        rc = Connect(target, op, dc.m_data);
        if (rc != 0)
            return s.Fail(rc == NETVO_E_CONNECT ? NETVO_E_DATACONN : rc, "connect to " + target.HostPort());
    } else {
        Address bound;
        rc = Listen(s, dc.m_listen, bound);
        if (rc != 0)
            return s.Fail(rc, "listen");
        rc = SendPort(s, op, bound);
        if (rc != 0)
            return rc;
    }
    rc = SendRest(s, op, rest);
    if (rc != 0)
        return rc;
    rc = s.control.Send(command, op);
    if (rc != 0)
        return s.Fail(rc, command);
    Reply reply;
    rc = s.control.Read(reply, op);
    if (rc != 0)
        return s.Fail(rc, command);
    if (reply.code >= 200 && reply.code < 300) {
        // Finished without a data transfer (e.g. an empty listing).
        dc.m_completed = true;
        dc.m_data.Close();
        dc.m_listen.Close();
        return 0;
    }
    if (!reply.Preliminary())
        return s.Unexpected(reply, command);
    dc.m_preliminary = reply;
    if (!s.settings.passive) {
        Reply early;
        rc = AcceptFromPeer(s, op, dc.m_listen, dc.m_data, early);
        if (rc > 0) {
            dc.m_completed = true;  // the server gave up and said so
            dc.m_listen.Close();
            return s.Fail(rc, command);
        }
        if (rc != 0)
            return s.Fail(AbortDataCommand(s, op, dc, rc == NETVO_E_TIMEOUT ? NETVO_E_DATACONN : rc), command);
    }
    if (s.DataTls()) {
        // Only now: servers start TLS on the data connection after their
        // 1xx reply (in active mode we are the TLS client all the same).
        std::string why;
        rc = Tls::Start(dc.m_data.Get(), Tls::Role::Data, s.Host().host, s.control.TlsLayer(), op, dc.m_tls, why);
        if (rc != 0)
            return s.Fail(AbortDataCommand(s, op, dc, rc), command, "TLS on the data connection failed: " + why);
        // The session is resumed, so this holds unless the server let
        // someone else's TLS through.
        if (dc.m_tls->Fingerprint() != s.control.TlsLayer()->Fingerprint())
            return s.Fail(AbortDataCommand(s, op, dc, NETVO_E_TLS), command,
                          "the data connection presented another certificate than the control connection");
    }
    return 0;
}

void DataConnection::CloseData(Op& op, bool drain)
{
    if (!m_data.Valid())
        return;
    if (!m_tls) {
        ::shutdown(m_data.Get(), SHUT_WR);
        m_data.Close();
        return;
    }
    const auto bound = std::min(op.Timeout(), std::chrono::milliseconds(kDrainBound));
    m_tls->Shutdown(op, drain ? op.Timeout() : bound);
    ::shutdown(m_data.Get(), SHUT_WR);
    if (drain) {
        // The server ends its side once it has our end; what it sent
        // meanwhile is of no interest.
        const auto deadline = Op::Clock::now() + std::min(op.Timeout(), std::chrono::milliseconds(kTlsDrainBound));
        char scrap[16 * 1024];
        for (;;) {
            const ssize_t n = ::recv(m_data.Get(), scrap, sizeof scrap, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                break;
            if (n > 0)
                continue;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Op::Clock::now());
            if (left.count() <= 0 || op.WaitFd(m_data.Get(), POLLIN, left) != 0)
                break;
        }
    }
    m_tls.reset();
    m_data.Close();
}

long DataConnection::Receive(char* buffer, size_t size, Op& op)
{
    if (m_tls)
        return TlsReceiveSome(*m_tls, buffer, size, op);
    for (;;) {
        ssize_t n = ::recv(m_data.Get(), buffer, size, 0);
        if (n >= 0) {
            op.Moved();
            return static_cast<long>(n);
        }
        const int next = op.AwaitRetry(m_data.Get(), POLLIN);
        if (next == Op::kNotTransient)
            return NETVO_E_CLOSED;
        if (next != 0)
            return next;
    }
}

int DataConnection::Send(const char* data, size_t size, Op& op)
{
    return m_tls ? TlsSendAll(*m_tls, data, size, op) : SendAll(m_data.Get(), data, size, op);
}

int CloseDataCommand(Session& s, Op& op, DataConnection& dc)
{
    dc.CloseData(op, true);
    dc.m_listen.Close();
    if (dc.m_completed)
        return 0;
    Reply reply;
    int rc;
    do {
        rc = s.control.Read(reply, op);
        if (rc != 0)
            return s.Fail(rc, "transfer");
    } while (reply.Preliminary());
    dc.m_completed = true;
    if (reply.code >= 200 && reply.code < 300)
        return 0;
    return s.Unexpected(reply, "transfer");
}

int AbortDataCommand(Session& s, Op& op, DataConnection& dc, int reason)
{
    if (dc.m_tls) {
        // close_notify, briefly; the caller's op may be the one the hook
        // aborted.
        Op closing(op.Handle(), op.Statusbox(), std::min(op.Timeout(), std::chrono::milliseconds(kDrainBound)));
        closing.IgnoreAbort();
        dc.CloseData(closing, false);
    }
    dc.m_data.Close();
    dc.m_listen.Close();
    if (dc.m_completed || !s.control.IsOpen())
        return reason;
    dc.m_completed = true;
    if (reason == NETVO_E_TIMEOUT) {
        // The server is silent; the reply stream cannot be trusted any more.
        s.control.Close();
        return reason;
    }
    // The transfer may have ended before we gave up on it: with its final
    // reply already here, there is nothing left to abort.
    Reply arrived;
    while (s.control.TakeArrived(arrived)) {
        if (!arrived.Preliminary())
            return reason;
    }
    AbortAndDrain(s, op);
    return reason;
}

bool AbortAndDrain(Session& s, const Op& op)
{
    if (!s.control.IsOpen())
        return false;
    // A fresh op: the caller's may be the one the hook aborted.
    Op drain(op.Handle(), op.Statusbox(), std::min(op.Timeout(), std::chrono::milliseconds(kDrainBound)));
    drain.IgnoreAbort();
    if (s.control.SendAbort(drain) != 0)
        return false;
    // Servers answer differently: the transfer's end (426, 451, or 226 when
    // it had finished) and then the ABOR's own reply (225, 226); or one
    // reply for both (pure-ftpd: just 226); or, while they take an upload,
    // nothing until it ends (vsftpd). So one reply is read, a second only
    // when the first was the failed transfer's, which announces it; when
    // anything may still be owed the connection stays, and the next command
    // brings the reply stream back in step first. Nothing here waits long.
    Reply reply;
    int rc;
    do {
        rc = s.control.ReadWithin(reply, drain, drain.Timeout());
    } while (rc == 0 && reply.Preliminary());
    const bool answered = rc == 0;
    if (rc == 0 && reply.code == 225)
        return true;  // "no transfer to abort": the transfer's reply came before
    if (rc == 0 && reply.code >= 400) {
        do {
            rc = s.control.ReadWithin(reply, drain, drain.Timeout());
        } while (rc == 0 && reply.Preliminary());
        if (rc == 0)
            return true;
    }
    if (s.control.IsOpen())
        s.control.SetUnsure();
    return answered;
}

}  // namespace netvo
