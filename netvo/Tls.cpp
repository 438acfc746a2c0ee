#include "Tls.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <sys/socket.h>

namespace netvo {

// Reaches the private parts from OpenSSL's C callbacks.
struct TlsAccess {
    static int NewSession(SSL* ssl, SSL_SESSION* session)
    {
        auto* tls = static_cast<Tls*>(SSL_get_app_data(ssl));
        if (!tls || tls->m_role != Tls::Role::Control)
            return 0;  // not kept: OpenSSL frees it
        if (tls->m_session)
            SSL_SESSION_free(tls->m_session);
        tls->m_session = session;
        return 1;  // the reference is ours now
    }
    static void Set(Tls& tls, SSL* ssl, int fd, Tls::Role role)
    {
        tls.m_ssl = ssl;
        tls.m_fd = fd;
        tls.m_role = role;
    }
    static SSL* Ssl(const Tls& tls) { return tls.m_ssl; }
    static SSL_SESSION* Session(const Tls& tls) { return tls.m_session; }
    static Tls* Make() { return new Tls(); }
};

namespace {

// Data connections move large buffers: a larger read buffer lets OpenSSL
// take several records per system call.
constexpr long kReadBuffer = 256 * 1024;

// A context per control connection, shared by its data connections: the
// CA store (with SSL_CERT_FILE and SSL_CERT_DIR as they are now) is read
// for each login, so a changed store needs no restart.
SSL_CTX* NewContext(std::string& why)
{
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    if (!ctx) {
        why = TlsErrorText();
        if (why.empty())
            why = "OpenSSL could not be set up";
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    // AES-128-GCM first (OpenSSL's own order puts AES-256 first): safe for
    // this use and fewer rounds per block for both ends, which on a fast
    // link is what limits a transfer, the server's end most of all. Servers
    // that follow the client's order (vsftpd) take it; others keep theirs.
    SSL_CTX_set_ciphersuites(ctx, "TLS_AES_128_GCM_SHA256:TLS_AES_256_GCM_SHA384:TLS_CHACHA20_POLY1305_SHA256");
    // The chain is checked by OpenSSL during the handshake, but the
    // handshake is not cut off: whether an unverified certificate is
    // accepted is decided afterwards (trusted file, hook), with the
    // verification result in hand.
    SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
    SSL_CTX_set_default_verify_paths(ctx);
    // Servers often close data connections without close_notify; the
    // transfer's final reply on the (protected) control connection is what
    // says the data was complete.
    SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Sessions are kept by the control connection, never in a shared cache:
    // a data connection resumes exactly its control connection's.
    SSL_CTX_set_session_cache_mode(ctx, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(ctx, TlsAccess::NewSession);
    return ctx;
}

bool IsAddress(const std::string& host)
{
    unsigned char buffer[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

}  // namespace

std::string TlsErrorText()
{
    unsigned long code = ERR_get_error();
    unsigned long last = code;
    while (code != 0) {
        last = code;
        code = ERR_get_error();
    }
    if (last == 0)
        return {};
    const char* reason = ERR_reason_error_string(last);
    return reason ? reason : "TLS error";
}

Tls::~Tls()
{
    if (m_session)
        SSL_SESSION_free(m_session);
    if (m_ssl)
        SSL_free(m_ssl);
}

int Tls::Start(int fd, Role role, const std::string& serverName, const Tls* control, Op& op,
               std::unique_ptr<Tls>& out, std::string& why)
{
    ERR_clear_error();
    SSL_CTX* ctx = control ? SSL_get_SSL_CTX(TlsAccess::Ssl(*control)) : NewContext(why);
    if (!ctx)
        return NETVO_E_TLS;
    SSL* ssl = SSL_new(ctx);  // holds its own reference to the context
    if (!control)
        SSL_CTX_free(ctx);
    if (!ssl) {
        why = TlsErrorText();
        return NETVO_E_TLS;
    }
    std::unique_ptr<Tls> tls(TlsAccess::Make());
    TlsAccess::Set(*tls, ssl, fd, role);
    SSL_set_app_data(ssl, tls.get());
    if (!SSL_set_fd(ssl, fd)) {
        why = TlsErrorText();
        return NETVO_E_TLS;
    }
    if (!serverName.empty() && !IsAddress(serverName))
        SSL_set_tlsext_host_name(ssl, serverName.c_str());
    if (role == Role::Data) {
        SSL_set_options(ssl, SSL_OP_ENABLE_KTLS);
        SSL_set_read_ahead(ssl, 1);
        SSL_set_default_read_buffer_len(ssl, kReadBuffer);
        if (control) {
            SSL_SESSION* session = TlsAccess::Session(*control);
            if (!session)
                session = SSL_get_session(TlsAccess::Ssl(*control));
            // OpenSSL takes a TLS 1.3 session for single use and marks it
            // spent once resumed; every data connection resumes a copy, so
            // that the control connection's stays good for the next one.
            SSL_SESSION* copy = session ? SSL_SESSION_dup(session) : nullptr;
            if (copy) {
                SSL_set_session(ssl, copy);
                SSL_SESSION_free(copy);
            }
        }
    }
    // A handshake moves a few small messages: bounded by the timeout as a
    // whole, so that a server trickling them cannot stretch it.
    const auto deadline = Op::Clock::now() + op.Timeout();
    for (;;) {
        ERR_clear_error();
        const int rc = SSL_connect(ssl);
        if (rc == 1)
            break;
        const int error = SSL_get_error(ssl, rc);
        short events;
        if (error == SSL_ERROR_WANT_READ)
            events = POLLIN;
        else if (error == SSL_ERROR_WANT_WRITE)
            events = POLLOUT;
        else {
            const int savedErrno = errno;
            why = TlsErrorText();
            if (why.empty() && error == SSL_ERROR_SYSCALL)
                why = savedErrno != 0 ? std::strerror(savedErrno) : "the server closed the connection";
            if (why.empty())
                why = "handshake failed";
            return NETVO_E_TLS;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Op::Clock::now());
        const int w = left.count() > 0 ? op.WaitFd(fd, events, left) : NETVO_E_TIMEOUT;
        if (w != 0) {
            if (w == NETVO_E_TIMEOUT)
                why = "no TLS handshake within the timeout";
            return w;
        }
    }
    out = std::move(tls);
    return 0;
}

// What a failed SSL_read/SSL_write means: kAgain (and what to wait for),
// 0 for the peer's clean end, kInterrupted to call again, or
// NETVO_E_CLOSED. With SSL_OP_IGNORE_UNEXPECTED_EOF a bare TCP end reads
// as a clean end.
long Tls::Outcome(int rc)
{
    switch (SSL_get_error(m_ssl, rc)) {
    case SSL_ERROR_WANT_READ:
        m_wanted = POLLIN;
        return kAgain;
    case SSL_ERROR_WANT_WRITE:
        m_wanted = POLLOUT;
        return kAgain;
    case SSL_ERROR_ZERO_RETURN:
        return 0;
    case SSL_ERROR_SYSCALL:
        return errno == EINTR ? kInterrupted : static_cast<long>(NETVO_E_CLOSED);
    default:
        ERR_clear_error();
        return NETVO_E_CLOSED;
    }
}

long Tls::Read(char* buffer, size_t size)
{
    size_t total = 0;
    while (total < size) {
        size_t n = 0;
        ERR_clear_error();
        const int rc = SSL_read_ex(m_ssl, buffer + total, size - total, &n);
        if (rc == 1) {
            total += n;
            continue;
        }
        // Hand out what came; the next call meets a failure again, unless
        // it is a protocol error, which must not pass as data.
        if (total > 0 && SSL_get_error(m_ssl, rc) != SSL_ERROR_SSL)
            break;
        const long outcome = Outcome(rc);
        if (outcome == kInterrupted)
            continue;
        return outcome;
    }
    return static_cast<long>(total);
}

long Tls::Write(const char* data, size_t size)
{
    for (;;) {
        size_t n = 0;
        ERR_clear_error();
        const int rc = SSL_write_ex(m_ssl, data, size, &n);
        if (rc == 1)
            return static_cast<long>(n);
        const long outcome = Outcome(rc);
        if (outcome == kInterrupted)
            continue;
        // A clean end while writing still means the bytes did not go.
        return outcome == 0 ? static_cast<long>(NETVO_E_CLOSED) : outcome;
    }
}

bool Tls::Pending() const { return SSL_pending(m_ssl) > 0; }

void Tls::Shutdown(Op& op, std::chrono::milliseconds bound)
{
    if (m_shutdownSent || !m_ssl)
        return;
    m_shutdownSent = true;
    const auto deadline = Op::Clock::now() + bound;
    for (;;) {
        ERR_clear_error();
        const int rc = SSL_shutdown(m_ssl);
        if (rc >= 0)
            break;  // close_notify sent (the peer's is not waited for)
        const int error = SSL_get_error(m_ssl, rc);
        if (error != SSL_ERROR_WANT_WRITE && error != SSL_ERROR_WANT_READ)
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Op::Clock::now());
        if (left.count() <= 0 || op.WaitFd(m_fd, error == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN, left) != 0)
            break;
    }
    ERR_clear_error();
}

X509* Tls::PeerCertificate() const { return SSL_get0_peer_certificate(m_ssl); }

long Tls::VerifyResult() const { return SSL_get_verify_result(m_ssl); }

std::string Tls::Fingerprint() const
{
    X509* cert = PeerCertificate();
    if (!cert)
        return {};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!X509_digest(cert, EVP_sha256(), digest, &length))
        return {};
    static const char hex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        if (i > 0)
            text += ':';
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 15];
    }
    return text;
}

bool Tls::Resumed() const { return SSL_session_reused(m_ssl) == 1; }

std::string Tls::Version() const { return SSL_get_version(m_ssl); }

bool Tls::KernelSend() const { return BIO_get_ktls_send(SSL_get_wbio(m_ssl)) > 0; }

bool Tls::KernelReceive() const { return BIO_get_ktls_recv(SSL_get_rbio(m_ssl)) > 0; }

long TlsReceiveSome(Tls& tls, char* buffer, size_t size, Op& op)
{
    for (;;) {
        const long n = tls.Read(buffer, size);
        if (n >= 0) {
            op.Moved();
            return n;
        }
        if (n != Tls::kAgain)
            return n;
        errno = EAGAIN;
        const int next = op.AwaitRetry(tls.Fd(), tls.Wanted());
        if (next == Op::kNotTransient)
            return NETVO_E_CLOSED;
        if (next != 0)
            return next;
    }
}

int TlsSendAll(Tls& tls, const char* data, size_t size, Op& op)
{
    while (size > 0) {
        const long n = tls.Write(data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            op.Moved();
            continue;
        }
        if (n != Tls::kAgain)
            return NETVO_E_CLOSED;
        errno = EAGAIN;
        const int next = op.AwaitRetry(tls.Fd(), tls.Wanted());
        if (next == Op::kNotTransient)
            return NETVO_E_CLOSED;
        if (next != 0)
            return next;
    }
    return 0;
}

}  // namespace netvo
