#include "Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <thread>
#include <unistd.h>

namespace netvo {

void Fd::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

int Address::Port() const
{
    if (Family() == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(storage).sin_port);
    if (Family() == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(storage).sin6_port);
    return 0;
}

void Address::SetPort(int port)
{
    if (Family() == AF_INET)
        reinterpret_cast<sockaddr_in&>(storage).sin_port = htons(static_cast<uint16_t>(port));
    else if (Family() == AF_INET6)
        reinterpret_cast<sockaddr_in6&>(storage).sin6_port = htons(static_cast<uint16_t>(port));
}

std::string Address::Host() const
{
    char text[INET6_ADDRSTRLEN] = "";
    if (Family() == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(storage).sin_addr, text, sizeof text);
    else if (Family() == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(storage).sin6_addr, text, sizeof text);
    return text;
}

std::string Address::HostPort() const
{
    std::string host = Host();
    if (Family() == AF_INET6)
        host = "[" + host + "]";
    return host + ":" + std::to_string(Port());
}

bool Address::SameHost(const Address& other) const
{
    if (Family() != other.Family())
        return false;
    if (Family() == AF_INET)
        return reinterpret_cast<const sockaddr_in&>(storage).sin_addr.s_addr ==
               reinterpret_cast<const sockaddr_in&>(other.storage).sin_addr.s_addr;
    if (Family() == AF_INET6)
        return std::memcmp(&reinterpret_cast<const sockaddr_in6&>(storage).sin6_addr,
                           &reinterpret_cast<const sockaddr_in6&>(other.storage).sin6_addr,
                           sizeof(in6_addr)) == 0;
    return false;
}

std::optional<Endpoint> ParseHost(std::string_view text, int defaultPort)
{
    auto parsePort = [](std::string_view s) -> std::optional<int> {
        if (s.empty() || s.size() > 5)
            return std::nullopt;
        int port = 0;
        for (char c : s) {
            if (c < '0' || c > '9')
                return std::nullopt;
            port = port * 10 + (c - '0');
        }
        if (port < 1 || port > 65535)
            return std::nullopt;
        return port;
    };
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    for (char c : text)
        if (static_cast<unsigned char>(c) <= ' ' || c == '/' || c == '@')
            return std::nullopt;

    Endpoint endpoint;
    endpoint.port = defaultPort;
    if (text.front() == '[') {
        size_t close = text.find(']');
        if (close == std::string_view::npos || close == 1)
            return std::nullopt;
        endpoint.host = std::string(text.substr(1, close - 1));
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return std::nullopt;
            auto port = parsePort(rest.substr(1));
            if (!port)
                return std::nullopt;
            endpoint.port = *port;
        }
        return endpoint;
    }
    size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        endpoint.host = std::string(text);
        return endpoint;
    }
    if (text.find(':', colon + 1) != std::string_view::npos) {
        endpoint.host = std::string(text);  // a bare IPv6 address
        return endpoint;
    }
    auto port = parsePort(text.substr(colon + 1));
    if (!port || colon == 0)
        return std::nullopt;
    endpoint.host = std::string(text.substr(0, colon));
    endpoint.port = *port;
    return endpoint;
}

namespace {

struct ResolveJob {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int error = 0;
    std::vector<Address> addresses;
};

int CollectAddresses(const std::string& host, int port, int flags, std::vector<Address>& out)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo* list = nullptr;
    std::string service = std::to_string(port);
    int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (rc != 0)
        return rc;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        if ((ai->ai_family != AF_INET && ai->ai_family != AF_INET6) || ai->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        Address a;
        std::memcpy(&a.storage, ai->ai_addr, ai->ai_addrlen);
        a.length = ai->ai_addrlen;
        out.push_back(a);
    }
    ::freeaddrinfo(list);
    return out.empty() ? EAI_NONAME : 0;
}

}  // namespace

int Resolve(const std::string& host, int port, Op& op, std::vector<Address>& out)
{
    out.clear();
    // Numeric addresses need no resolver and cannot block.
    if (CollectAddresses(host, port, AI_NUMERICHOST, out) == 0)
        return 0;
    out.clear();
    auto job = std::make_shared<ResolveJob>();
    try {
        std::thread([job, host, port] {
            std::vector<Address> found;
            int rc = CollectAddresses(host, port, 0, found);
            std::lock_guard lock(job->mutex);
            job->error = rc;
            job->addresses = std::move(found);
            job->finished = true;
            job->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return NETVO_E_INTERNAL;
    }
    const auto deadline = Op::Clock::now() + op.Timeout();
    for (;;) {
        {
            std::unique_lock lock(job->mutex);
            job->done.wait_for(lock, std::chrono::milliseconds(50), [&] { return job->finished; });
            if (job->finished) {
                if (job->error != 0)
                    return NETVO_E_RESOLVE;
                out = job->addresses;
                return 0;
            }
        }
        if (op.Progress(op.Done()) != 0)
            return NETVO_E_ABORTED;
        if (Op::Clock::now() >= deadline)
            return NETVO_E_TIMEOUT;
    }
}

namespace {
thread_local int t_connectError = 0;
}  // namespace

int LastConnectError() { return t_connectError; }

int Connect(const Address& address, Op& op, Fd& out)
{
    t_connectError = 0;
    Fd fd(::socket(address.Family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!fd.Valid()) {
        t_connectError = errno;
        return NETVO_E_CONNECT;
    }
    int rc = ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address.storage), address.length);
    if (rc != 0 && errno != EINPROGRESS && errno != EINTR) {
        t_connectError = errno;
        return NETVO_E_CONNECT;
    }
    if (rc != 0) {
        int w = op.WaitFd(fd.Get(), POLLOUT);
        if (w != 0)
            return w;
        int error = 0;
        socklen_t len = sizeof error;
        if (::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
            t_connectError = error != 0 ? error : errno;
            return NETVO_E_CONNECT;
        }
    }
    out = std::move(fd);
    return 0;
}

int ConnectAny(const std::vector<Address>& addresses, Op& op, Fd& out, Address& connected)
{
    int result = NETVO_E_CONNECT;
    for (const Address& a : addresses) {
        result = Connect(a, op, out);
        if (result == 0) {
            connected = a;
            return 0;
        }
        if (result == NETVO_E_ABORTED)
            return result;
    }
    return result;
}

Address LocalAddress(int fd)
{
    Address a;
    a.length = sizeof a.storage;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&a.storage), &a.length) != 0)
        a = Address{};
    return a;
}

Address PeerAddress(int fd)
{
    Address a;
    a.length = sizeof a.storage;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&a.storage), &a.length) != 0)
        a = Address{};
    return a;
}

void LimitUnsentData(int fd)
{
    // 32 KiB is refilled long before the peer has taken what is in flight,
    // at any link speed; how much is in flight stays the congestion
    // window's decision.
    const int lowWater = 32 * 1024;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NOTSENT_LOWAT, &lowWater, sizeof lowWater);
}

int SendAll(int fd, const char* data, size_t size, Op& op)
{
    while (size > 0) {
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            op.Moved();
            continue;
        }
        const int next = n < 0 ? op.AwaitRetry(fd, POLLOUT) : Op::kNotTransient;
        if (next == Op::kNotTransient)
            return NETVO_E_CLOSED;
        if (next != 0)
            return next;
    }
    return 0;
}

}  // namespace netvo
