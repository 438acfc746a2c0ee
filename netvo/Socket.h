// Sockets: host text parsing, bounded name resolution and connects,
// listening and accepting, address text. All sockets are non-blocking.
#pragma once

#include "Wait.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <vector>

namespace netvo {

// Owns a file descriptor.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { Close(); }
    Fd(Fd&& other) noexcept : m_fd(other.Release()) {}
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_fd = other.Release();
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    int Release()
    {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void Close();

private:
    int m_fd = -1;
};

struct Address {
    sockaddr_storage storage{};
    socklen_t length = 0;

    int Family() const { return storage.ss_family; }
    int Port() const;
    void SetPort(int port);
    std::string Host() const;      // numeric, without brackets
    std::string HostPort() const;  // "1.2.3.4:21", "[::1]:21"
    bool SameHost(const Address& other) const;
};

struct Endpoint {
    std::string host;  // name or numeric address, without brackets
    int port = 21;
};
// "name", "name:port", "[v6]:port", "[v6]", "v6" (bare IPv6: two or more
// colons). Empty on malformed input.
std::optional<Endpoint> ParseHost(std::string_view text, int defaultPort = 21);

// Resolves with getaddrinfo in a helper thread, so a stuck resolver is still
// bounded by the op's timeout. Returns 0 and the addresses, or a code.
int Resolve(const std::string& host, int port, Op& op, std::vector<Address>& out);
// The errno of the calling thread's last failed connect (0: none), so that
// a failure can name its cause ("connection refused").
int LastConnectError();
// Connects a non-blocking TCP socket, bounded by the op's timeout.
int Connect(const Address& address, Op& op, Fd& out);
// Tries each address in turn.
int ConnectAny(const std::vector<Address>& addresses, Op& op, Fd& out, Address& connected);

Address LocalAddress(int fd);
Address PeerAddress(int fd);

// Keeps little data queued unsent on a socket that sends a file: the
// sender then pushes each piece out itself, as it writes, rather than
// leaving the receiver's acknowledgements to drive the sending (which, on
// one machine, loads the receiving process with the sender's network work
// and slowed uploads to a local server by a fifth).
void LimitUnsentData(int fd);

// Sends all of `data`, waiting as needed. 0 or a code.
int SendAll(int fd, const char* data, size_t size, Op& op);

}  // namespace netvo
