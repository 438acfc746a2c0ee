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

bool Ping(const Address& target, netvo::Op& op)
{
    bool raw = false;
    netvo::Fd fd = IcmpSocket(target.Family(), raw);
    if (!fd.Valid())
        return false;
    const bool v4 = target.Family() == AF_INET;
    const uint16_t id = static_cast<uint16_t>(::getpid() & 0xffff);
    static std::atomic<uint16_t> s_sequence{1};
    const uint16_t seq = s_sequence++;
    const auto deadline = netvo::Op::Clock::now() + op.Timeout();
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
        return false;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - netvo::Op::Clock::now());
        if (left.count() <= 0 || op.WaitFd(fd.Get(), POLLIN, left) != 0)
            return false;
        unsigned char reply[1500];
        ssize_t n = ::recv(fd.Get(), reply, sizeof reply, 0);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;  // e.g. the host is unreachable: no reply will come
        if (n <= 0) {
            // Woken with nothing to read: do not spin on it.
            if (op.Nap() != 0)
                return false;
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
        return true;
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
        if (buf && size > 0)
            buf[0] = '\0';
        if (!host || !*host || !buf || size <= 0)
            return NETVO_E_BADARG;
        netvo::Op op(0, false, 0);
        std::vector<Address> addresses;
        int rc = netvo::Resolve(host, 21, op, addresses);
        if (rc != 0)
            return rc;
        for (int family : {AF_INET, AF_INET6})
            for (const Address& a : addresses)
                if (a.Family() == family)
                    return CopyOut(a.Host(), buf, size);
        return NETVO_E_RESOLVE;
    } catch (...) {
        return NETVO_E_INTERNAL;
    }
}

NETVO_API int f_QuickPing(const char* host, int milliseconds)
{
    try {
        if (!host || !*host || milliseconds <= 0)
            return 0;
        netvo::Op op(0, false, std::chrono::milliseconds(milliseconds));
        std::vector<Address> addresses;
        std::string name = host;
        if (name.size() > 2 && name.front() == '[' && name.back() == ']')
            name = name.substr(1, name.size() - 2);
        if (netvo::Resolve(name, 0, op, addresses) != 0 || addresses.empty())
            return 0;
        return Ping(addresses.front(), op) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
