// Network tools without a connection handle: this machine's address, name
// lookup and a quick ICMP echo.
#include "Result.h"
#include "Socket.h"
#include "netvo32.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <unistd.h>

namespace {

using netvo::Address;

int CopyOut(const std::string& text, char* buf, int size)
{
    if (!buf || size <= 0)
        return NETVO_E_BADARG;
    if (text.size() + 1 > static_cast<size_t>(size)) {
        buf[0] = '\0';  // a cut address would be a wrong address
        return NETVO_E_BADARG;
    }
    std::memcpy(buf, text.c_str(), text.size() + 1);
    return 0;
}

uint16_t Checksum(const unsigned char* data, size_t size)
{
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2)
        sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
    if (size & 1)
        sum += static_cast<uint32_t>(data[size - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return htons(static_cast<uint16_t>(~sum));
}

// An ICMP socket: the unprivileged kind where the system allows it,
// else a raw one (root only).
netvo::Fd IcmpSocket(int family, bool& raw)
{
    int protocol = family == AF_INET ? static_cast<int>(IPPROTO_ICMP) : static_cast<int>(IPPROTO_ICMPV6);
    raw = false;
    int fd = ::socket(family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        raw = true;
        fd = ::socket(family, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
    }
    return netvo::Fd(fd);
}

// One echo request to `target`, waiting for its reply until `deadline`.
// 0 when it came; else a negative code with the reason in the last error.
int Ping(const Address& target, netvo::Op::Clock::time_point deadline, netvo::Op& op)
{
    bool raw = false;
    netvo::Fd fd = IcmpSocket(target.Family(), raw);
    if (!fd.Valid()) {
        if (errno == EPERM || errno == EACCES)
            return netvo::SetLastError(NETVO_E_REFUSED, "this system does not allow this user to send pings");
        return netvo::SetLastError(NETVO_E_INTERNAL, std::string("no ping socket: ") + std::strerror(errno));
    }
    const bool v4 = target.Family() == AF_INET;
    const uint16_t id = static_cast<uint16_t>(::getpid() & 0xffff);
    static std::atomic<uint16_t> s_sequence{1};
    const uint16_t seq = s_sequence++;
    unsigned char packet[64] = {};
    packet[0] = v4 ? ICMP_ECHO : ICMP6_ECHO_REQUEST;
    std::memcpy(packet + 4, &id, 2);
    std::memcpy(packet + 6, &seq, 2);
    std::memcpy(packet + 8, "netvo32 quick ping", 18);
    if (v4) {
        uint16_t sum = Checksum(packet, sizeof packet);
        std::memcpy(packet + 2, &sum, 2);
    }
    if (::sendto(fd.Get(), packet, sizeof packet, 0, reinterpret_cast<const sockaddr*>(&target.storage),
                 target.length) < 0)
        return netvo::SetLastError(NETVO_E_CONNECT, std::string("cannot send to ") + target.Host() + ": " +
                                                        std::strerror(errno));
    const std::string noAnswer = "no answer from " + target.Host() + " in time";
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - netvo::Op::Clock::now());
        if (left.count() <= 0)
            return netvo::SetLastError(NETVO_E_TIMEOUT, noAnswer);
        if (int rc = op.WaitFd(fd.Get(), POLLIN, left); rc != 0)
            return netvo::SetLastError(rc, rc == NETVO_E_ABORTED ? "cancelled" : noAnswer);
        unsigned char reply[1500];
        ssize_t n = ::recv(fd.Get(), reply, sizeof reply, 0);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)  // no reply will come
            return netvo::SetLastError(NETVO_E_CONNECT, target.Host() + ": " + std::strerror(errno));
        if (n <= 0) {
            // Woken with nothing to read: do not spin on it.
            if (int rc = op.Nap(); rc != 0)
                return netvo::SetLastError(rc, rc == NETVO_E_ABORTED ? "cancelled" : noAnswer);
            continue;
        }
        size_t offset = 0;
        if (v4 && raw) {
            offset = static_cast<size_t>(reply[0] & 0x0f) * 4;  // raw IPv4 includes the IP header
        }
        if (static_cast<size_t>(n) < offset + 8)
            continue;
        const unsigned char* icmp = reply + offset;
        if (icmp[0] != (v4 ? ICMP_ECHOREPLY : ICMP6_ECHO_REPLY))
            continue;
        // Unprivileged sockets rewrite the id to their own; the sequence
        // number is ours either way.
        if (std::memcmp(icmp + 6, &seq, 2) != 0 || (raw && std::memcmp(icmp + 4, &id, 2) != 0))
            continue;
        return 0;
    }
}

// The reason a name lookup failed, for the last error.
int ResolveFailed(int rc, const std::string& host)
{
    switch (rc) {
    case NETVO_E_RESOLVE: return netvo::SetLastError(rc, "the host name " + host + " is not known");
    case NETVO_E_TIMEOUT: return netvo::SetLastError(rc, "no answer from the name service in time");
    case NETVO_E_ABORTED: return netvo::SetLastError(rc, "cancelled");
    default: return netvo::SetLastError(rc, netvo::ResultText(rc));
    }
}

}  // namespace

extern "C" {

NETVO_API int f_GetMyIpAddress(char* buf, int size)
{
    try {
        std::string found = "127.0.0.1";
        ifaddrs* list = nullptr;
        if (::getifaddrs(&list) == 0) {
            for (ifaddrs* ifa = list; ifa; ifa = ifa->ifa_next) {
                if (!ifa->ifa_addr || ifa->ifa_addr->sa_family != AF_INET || !(ifa->ifa_flags & IFF_UP) ||
                    (ifa->ifa_flags & IFF_LOOPBACK))
                    continue;
                char text[INET_ADDRSTRLEN];
                if (inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(ifa->ifa_addr)->sin_addr, text, sizeof text)) {
                    found = text;
                    break;
                }
            }
            ::freeifaddrs(list);
        }
        return CopyOut(found, buf, size);
    } catch (...) {
        return NETVO_E_INTERNAL;
    }
}

NETVO_API int f_GetIpAddress(const char* host, char* buf, int size)
{
    try {
        netvo::SetLastError(0, "");
        if (buf && size > 0)
            buf[0] = '\0';
        if (!host || !*host || !buf || size <= 0)
            return netvo::SetLastError(NETVO_E_BADARG, "no host name given");
        netvo::Op op(0, false, 0);
        std::vector<Address> addresses;
        int rc = netvo::Resolve(host, 21, op, addresses);
        if (rc != 0)
            return ResolveFailed(rc, host);
        for (int family : {AF_INET, AF_INET6})
            for (const Address& a : addresses)
                if (a.Family() == family) {
                    rc = CopyOut(a.Host(), buf, size);
                    return rc == 0 ? 0 : netvo::SetLastError(rc, "the address " + a.Host() + " does not fit");
                }
        return ResolveFailed(NETVO_E_RESOLVE, host);
    } catch (...) {
        return NETVO_E_INTERNAL;
    }
}

NETVO_API int f_QuickPing(const char* host, int milliseconds)
{
    try {
        netvo::SetLastError(0, "");
        if (!host || !*host)
            return netvo::SetLastError(0, "no host given");
        if (milliseconds <= 0)
            return netvo::SetLastError(0, "no time to wait for an answer");
        // The whole call, name lookup included, keeps to the caller's time.
        netvo::Op op(0, false, std::chrono::milliseconds(milliseconds));
        const auto deadline = netvo::Op::Clock::now() + op.Timeout();
        std::vector<Address> addresses;
        std::string name = host;
        if (name.size() > 2 && name.front() == '[' && name.back() == ']')
            name = name.substr(1, name.size() - 2);
        if (int rc = netvo::Resolve(name, 0, op, addresses); rc != 0) {
            ResolveFailed(rc, name);
            return 0;
        }
        return Ping(addresses.front(), deadline, op) == 0 ? 1 : 0;
    } catch (...) {
        netvo::SetLastError(0, "internal error");
        return 0;
    }
}

}  // extern "C"
