#include "DataConnection.h"

#include "Result.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace netvo {

namespace {

constexpr auto kDrainBound = std::chrono::seconds(3);

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
// leaving us waiting for the whole timeout.
int AcceptFromPeer(Session& s, Op& op, netvo::Fd& listener, netvo::Fd& out, Reply& early)
{
    for (;;) {
        pollfd fds[2] = {{listener.Get(), POLLIN, 0}, {s.control.Fd(), POLLIN, 0}};
        int w = op.Wait(fds, 2);
        if (w != 0)
            return w;
        if (fds[1].revents != 0 && !(fds[0].revents & POLLIN)) {
            int rc = s.control.Read(early, op);
            if (rc != 0)
                return rc;
            if (early.code >= 400)
                return early.code;
            continue;  // e.g. a second preliminary reply
        }
        Address from;
        from.length = sizeof from.storage;
        int fd = ::accept4(listener.Get(), reinterpret_cast<sockaddr*>(&from.storage), &from.length,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED)
                continue;
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
    return 0;
}

int CloseDataCommand(Session& s, Op& op, DataConnection& dc)
{
    if (dc.m_data.Valid()) {
        ::shutdown(dc.m_data.Get(), SHUT_WR);
        dc.m_data.Close();
    }
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
    AbortAndDrain(s, op);
    return reason;
}

void AbortAndDrain(Session& s, const Op& op)
{
    if (!s.control.IsOpen())
        return;
    // A fresh op: the caller's may be the one the hook aborted.
    Op drain(op.Handle(), op.Statusbox(), static_cast<int>(kDrainBound.count()));
    drain.IgnoreAbort();
    if (s.control.Send("ABOR", drain) != 0)
        return;
    // Either the transfer's final reply (226, or 426/451 after the abort)
    // then the ABOR reply (225/226), or just the ABOR reply. Whatever comes
    // late is dropped before the next command.
    Reply reply;
    if (s.control.ReadWithin(reply, drain, kDrainBound) != 0) {
        s.control.Close();
        return;
    }
    while (reply.Preliminary() && s.control.ReadWithin(reply, drain, kDrainBound) == 0) {
    }
    if (reply.code != 225)
        s.control.ReadWithin(reply, drain, kDrainBound);
}

long ReceiveSome(int fd, char* buffer, size_t size, Op& op)
{
    for (;;) {
        ssize_t n = ::recv(fd, buffer, size, 0);
        if (n >= 0)
            return static_cast<long>(n);
        const int next = op.AwaitRetry(fd, POLLIN);
        if (next == Op::kNotTransient)
            return NETVO_E_CLOSED;
        if (next != 0)
            return next;
    }
}

}  // namespace netvo
