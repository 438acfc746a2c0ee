// One connection handle: where it connects, how it logged in, its settings
// and the control connection. The calls on one handle come from one thread
// at a time, so a Session needs no lock of its own.
#pragma once

#include "ControlConnection.h"
#include "ReplyParser.h"
#include "Socket.h"
#include "Wait.h"

#include <memory>
#include <string>
#include <string_view>

namespace netvo {

struct Stream;

struct Settings {
    bool ascii = false;
    bool passive = true;
    int dataPort = 0;         // fixed local port for active mode; 0: any
    int timeoutSeconds = 0;   // 0: the process default
    bool statusbox = false;
    std::string localPath;    // empty: the current folder
    bool localUnique = false;
    bool storeUnique = false;
};

class Session {
public:
    Session(int id, Endpoint host);
    ~Session();

    int Id() const { return m_id; }
    Op MakeOp() const { return Op(m_id, settings.statusbox, settings.timeoutSeconds); }

    // Connects (again) to the host and reads the greeting (over TLS from
    // the first byte in implicit mode, the certificate checked).
    int Connect(Op& op);
    // The TLS negotiation of the security mode, once per connection: AUTH
    // TLS (unless implicit), the certificate check, PBSZ 0 and PROT P.
    // 0 when the connection is encrypted or, in AUTO mode, the server
    // offers no TLS; NETVO_E_TLS, NETVO_E_CERTIFICATE or another code.
    int Negotiate(Op& op);
    bool Negotiated() const { return m_negotiated; }
    // 0 plain, 1 control connection encrypted, 2 data connections too.
    int SecurityLevel() const;
    // The security mode (netvo_security); see SetSecurity for the rules.
    int Security() const { return m_security; }
    // 0, or NETVO_E_STATE (implicit, or TLS already running), NETVO_E_BADARG.
    int SetSecurity(int security);
    void SetImplicit() { m_security = NETVO_SECURE_IMPLICIT; }
    // Whether data connections use TLS (PROT P was accepted).
    bool DataTls() const { return m_protP && control.TlsLayer() != nullptr; }
    const Endpoint& Host() const { return m_host; }
    // USER/PASS/ACCT as the server asks, then FEAT and OPTS UTF8 ON; the
    // login's reply stays the last one. TYPE waits for the first transfer.
    int Login(const std::string& user, const std::string& password, const std::string& account, Op& op);
    // Login through a firewall that is already logged in: USER user@host.
    int GateLogin(const std::string& host, const std::string& user, const std::string& password,
                  const std::string& account, Op& op);
    // QUIT with a short bound, then close. The handle keeps host and login.
    void Quit();

    // Sends a command and reads its final reply. 0 for a 2xx reply, the
    // reply code otherwise, or a local code. Records the failure text.
    int Run(std::string_view command, Op& op, Reply* reply = nullptr);
    // Sends TYPE when the server's type differs from the wanted one.
    int EnsureType(bool ascii, Op& op);
    // After a raw command that may have changed the type behind our back.
    void ForgetType() { m_wireType = 0; }

    // Records "host: command: reason" for ftp_lasterror and returns code.
    int Fail(int code, std::string_view command, std::string_view detail = {}) const;
    // The failure for a reply other than the one expected: a refusal (4xx,
    // 5xx) is returned as its code, anything else is a protocol error.
    int Unexpected(const Reply& reply, std::string_view command) const
    {
        return Fail(reply.code >= 400 ? reply.code : NETVO_E_PROTOCOL, command);
    }

    ControlConnection control;
    Settings settings;
    Features features;
    bool epsvRefused = false;
    std::unique_ptr<Stream> stream;  // the open stream, if any

private:
    int AfterLogin(Op& op);
    int CheckServerCertificate();
    int SendCredentials(const std::string& userLine, const std::string& password,
                        const std::string& account, Op& op);

    int m_id;
    Endpoint m_host;
    char m_wireType = 0;  // the TYPE the server has, 0 when not known
    bool m_loggedIn = false;
    int m_security = NETVO_SECURE_AUTO;
    bool m_negotiated = false;  // for the current connection
    bool m_protP = false;
};

// Refuses command arguments that would break the command line.
bool SafeArgument(std::string_view text);

}  // namespace netvo
