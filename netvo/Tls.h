// TLS (OpenSSL) on the library's non-blocking sockets: the client side of
// a control or data connection. Every wait goes through the caller's Op, so
// a handshake, a read or a write is bounded like the plain ones.
#pragma once

#include "Wait.h"

#include <memory>
#include <string>

typedef struct ssl_st SSL;
typedef struct ssl_session_st SSL_SESSION;
typedef struct x509_st X509;

namespace netvo {

class Tls {
public:
    // Read and Write: nothing could move now; Wanted() names what to wait for.
    static constexpr long kAgain = -1;

    enum class Role { Control, Data };

    ~Tls();
    Tls(const Tls&) = delete;
    Tls& operator=(const Tls&) = delete;

    // Handshake as the client on `fd`. `serverName` is sent as SNI unless it
    // is an address. A data connection passes the control connection's TLS
    // to resume its session (servers insist on it, so that nobody else can
    // take over a data connection). 0, or NETVO_E_TLS (`why` says what
    // failed), NETVO_E_CLOSED, NETVO_E_TIMEOUT, NETVO_E_ABORTED.
    static int Start(int fd, Role role, const std::string& serverName, const Tls* control, Op& op,
                     std::unique_ptr<Tls>& out, std::string& why);

    // > 0 bytes, 0 at the end of the stream, kAgain, or NETVO_E_CLOSED.
    // Reads as many records as are there (up to `size`), not just one.
    long Read(char* buffer, size_t size);
    // > 0 bytes written (possibly fewer than `size`), kAgain, NETVO_E_CLOSED.
    long Write(const char* data, size_t size);
    // POLLIN or POLLOUT: what the last kAgain waits for.
    short Wanted() const { return m_wanted; }
    // Decrypted bytes held inside that poll() cannot see.
    bool Pending() const;

    // Sends close_notify, waiting for the socket at most `bound`; does not
    // wait for the peer's. Safe to call more than once.
    void Shutdown(Op& op, std::chrono::milliseconds bound);

    X509* PeerCertificate() const;   // not owned; null when none
    long VerifyResult() const;       // X509_V_OK (0) when the chain verified
    std::string Fingerprint() const; // SHA-256 of the peer's certificate, "AB:CD:..."
    bool Resumed() const;
    std::string Version() const;     // "TLSv1.3"
    // Whether the kernel took over encryption (SSL_OP_ENABLE_KTLS).
    bool KernelSend() const;
    bool KernelReceive() const;

    int Fd() const { return m_fd; }

private:
    friend struct TlsAccess;
    Tls() = default;

    static constexpr long kInterrupted = -2;  // Outcome: call again
    long Outcome(int rc);

    SSL* m_ssl = nullptr;
    int m_fd = -1;
    Role m_role = Role::Control;
    short m_wanted = 0;
    bool m_shutdownSent = false;
    // The newest session of a control connection (a TLS 1.3 server sends it
    // as a ticket after the handshake); what data connections resume.
    SSL_SESSION* m_session = nullptr;
};

// Waits as needed, bounded by the op like the plain calls in Socket.h.
// > 0 bytes, 0 at the end, or a negative code.
long TlsReceiveSome(Tls& tls, char* buffer, size_t size, Op& op);
int TlsSendAll(Tls& tls, const char* data, size_t size, Op& op);

// The text of the newest OpenSSL error of this thread ("" when none), and
// the queue cleared.
std::string TlsErrorText();

}  // namespace netvo
