#include "Session.h"

#include "Certificates.h"
#include "Result.h"
#include "Stream.h"

#include <chrono>

namespace netvo {

bool SafeArgument(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

Session::Session(int id, Endpoint host) : m_id(id), m_host(std::move(host)) {}

Session::~Session() = default;

int Session::Fail(int code, std::string_view command, std::string_view detail) const
{
    std::string text = m_host.host.find(':') != std::string::npos ? "[" + m_host.host + "]" : m_host.host;
    text += ":" + std::to_string(m_host.port) + ": ";
    if (!command.empty()) {
        // Never put a password into an error text.
        if (command.substr(0, 5) == "PASS " || command.substr(0, 5) == "ACCT ")
            text += std::string(command.substr(0, 4)) + " ****";
        else
            text += std::string(command);
        text += ": ";
    }
    if (!detail.empty())
        text += std::string(detail);
    else if (code > 0 && control.Last().code == code && !control.Last().lines.empty())
        text += control.Last().lines.front();
    else if ((code == NETVO_E_TIMEOUT || code == NETVO_E_PROTOCOL || code == NETVO_E_CONNECT)
             && !control.Failure().empty())
        text += control.Failure();  // what the code alone does not tell (which reply never ended, ...)
    else
        text += ResultText(code);
    return SetLastError(code, text);
}

int Session::Connect(Op& op)
{
    stream.reset();
    m_loggedIn = false;
    m_wireType = 0;
    m_negotiated = false;
    m_protP = false;
    std::vector<Address> addresses;
    const bool implicitTls = m_security == NETVO_SECURE_IMPLICIT;
    int rc = Resolve(m_host.host, m_host.port, op, addresses);
    if (rc == 0)
        rc = control.Open(addresses, op, implicitTls, m_host.host);
    if (rc == NETVO_E_TLS)
        return Fail(rc, "connect", control.Failure());
    if (rc != 0)
        return Fail(rc, "connect");
    if (implicitTls)
        return CheckServerCertificate();
    return 0;
}

int Session::CheckServerCertificate()
{
    std::string why;
    const int rc = CheckCertificate(*control.TlsLayer(), m_id, m_host.host, m_host.port, why);
    if (rc != 0) {
        control.Close();
        return Fail(rc, "", why);
    }
    return 0;
}

int Session::SecurityLevel() const
{
    if (!control.TlsLayer())
        return 0;
    return m_protP ? 2 : 1;
}

int Session::SetSecurity(int security)
{
    if (security == NETVO_SECURE_IMPLICIT)
        return Fail(NETVO_E_STATE, "security", "implicit TLS must be chosen when the connection is opened");
    if (security != NETVO_SECURE_NONE && security != NETVO_SECURE_AUTO && security != NETVO_SECURE_EXPLICIT)
        return Fail(NETVO_E_BADARG, "security");
    if (control.TlsLayer() || m_security == NETVO_SECURE_IMPLICIT)
        return Fail(NETVO_E_STATE, "security", "TLS is already running on this connection");
    m_security = security;
    // A mode chosen after the negotiation takes effect at the next login.
    if (m_negotiated && !m_loggedIn)
        m_negotiated = false;
    return 0;
}

int Session::Negotiate(Op& op)
{
    if (m_negotiated)
        return 0;
    if (!control.IsOpen())
        return Fail(NETVO_E_NOTCONNECTED, "AUTH TLS");
    if (m_security == NETVO_SECURE_NONE) {
        m_negotiated = true;
        return 0;
    }
    if (m_security != NETVO_SECURE_IMPLICIT) {
        Reply reply;
        int rc = control.Command("AUTH TLS", reply, op);
        if (rc != 0)
            return Fail(rc, "AUTH TLS");
        // Only 234 starts TLS; anything else (a refusal, or a server that
        // says 200 to whatever it does not know) means no TLS here.
        if (reply.code != 234 && m_security == NETVO_SECURE_AUTO) {
            m_negotiated = true;  // the caller may warn before the password goes
            return 0;
        }
        if (reply.code != 234)
            return Fail(NETVO_E_TLS, "AUTH TLS",
                        "the server does not offer TLS (" +
                            (reply.lines.empty() ? std::to_string(reply.code) : reply.lines.front()) + ")");
        rc = control.StartTls(m_host.host, op);
        if (rc != 0)
            return Fail(rc, "AUTH TLS", control.Failure());
        rc = CheckServerCertificate();
        if (rc != 0)
            return rc;
    }
    // PBSZ is required before PROT; its refusal is left to PROT to show.
    Reply reply;
    int rc = control.Command("PBSZ 0", reply, op);
    if (rc != 0)
        return Fail(rc, "PBSZ 0");
    rc = control.Command("PROT P", reply, op);
    if (rc != 0)
        return Fail(rc, "PROT P");
    // Refused: the data connections stay in clear text, which the security
    // level (1) says.
    m_protP = reply.code >= 200 && reply.code < 300;
    m_negotiated = true;
    return 0;
}

int Session::Run(std::string_view command, Op& op, Reply* out)
{
    Reply reply;
    int rc = control.Command(command, reply, op);
    if (rc != 0)
        return Fail(rc, command);
    if (out)
        *out = reply;
    if (reply.code >= 200 && reply.code < 300)
        return 0;
    return Fail(reply.code, command);
}

int Session::SendCredentials(const std::string& userLine, const std::string& password,
                             const std::string& account, Op& op)
{
    if (!SafeArgument(userLine) || !SafeArgument(password) || !SafeArgument(account))
        return Fail(NETVO_E_BADARG, "USER");
    Reply reply;
    int rc = control.Command(userLine, reply, op);
    if (rc != 0)
        return Fail(rc, userLine);
    if (reply.code == 331) {
        rc = control.Command("PASS " + password, reply, op);
        if (rc != 0)
            return Fail(rc, "PASS ");
    }
    if (reply.code == 332) {
        if (account.empty())
            return Fail(332, "ACCT");
        rc = control.Command("ACCT " + account, reply, op);
        if (rc != 0)
            return Fail(rc, "ACCT ");
    }
    if (reply.code == 230 || reply.code == 202)
        return 0;
    return Unexpected(reply, "login");
}

int Session::Login(const std::string& user, const std::string& password, const std::string& account, Op& op)
{
    stream.reset();
    if (m_loggedIn || !control.CheckAlive()) {
        // A fresh session: servers disagree on a second USER after a login.
        Quit();
        int rc = Connect(op);
        if (rc != 0)
            return rc;
    }
    if (!m_negotiated) {
        int rc = Negotiate(op);
        if (rc != 0)
            return rc;
    }
    int rc = SendCredentials("USER " + user, password, account, op);
    if (rc != 0)
        return rc;
    return AfterLogin(op);
}

int Session::GateLogin(const std::string& host, const std::string& user, const std::string& password,
                       const std::string& account, Op& op)
{
    auto target = ParseHost(host);
    if (!target)
        return Fail(NETVO_E_BADARG, "USER");
    if (!control.CheckAlive())
        return Fail(NETVO_E_NOTCONNECTED, "USER");
    std::string line = "USER " + user + "@";
    line += target->host.find(':') != std::string::npos ? "[" + target->host + "]" : target->host;
    if (target->port != 21)
        line += ":" + std::to_string(target->port);
    int rc = SendCredentials(line, password, account, op);
    if (rc != 0)
        return rc;
    return AfterLogin(op);
}

int Session::AfterLogin(Op& op)
{
    m_loggedIn = true;
    // Not known: servers should start in ASCII, but not all do. The first
    // transfer (or ftp_setascii/ftp_setbinary) sends TYPE.
    m_wireType = 0;
    // The login's own reply stays the last reply: callers show it, and the
    // housekeeping below is the library's business, not theirs.
    const Reply login = control.Last();
    // None of these is essential: old servers refuse FEAT, and a firewall
    // refuses everything until the real server is named. Only a broken
    // connection fails the login.
    Reply feat;
    features = Features{};
    int rc = control.Command("FEAT", feat, op);
    if (rc != 0)
        return Fail(rc, "FEAT");
    features = ParseFeatures(feat);
    if (features.utf8) {
        Reply ignored;
        rc = control.Command("OPTS UTF8 ON", ignored, op);
        if (rc != 0)
            return Fail(rc, "OPTS UTF8 ON");
    }
    control.SetLast(login);
    return 0;
}

int Session::EnsureType(bool ascii, Op& op)
{
    char wanted = ascii ? 'A' : 'I';
    if (m_wireType == wanted && control.IsOpen())
        return 0;
    int rc = Run(ascii ? "TYPE A" : "TYPE I", op);
    if (rc == 0)
        m_wireType = wanted;
    return rc;
}

void Session::Quit()
{
    stream.reset();
    m_loggedIn = false;
    m_wireType = 0;
    m_negotiated = false;
    m_protP = false;
    if (control.CheckAlive()) {
        Op op(m_id, settings.statusbox, 3);
        Reply reply;
        if (control.Send("QUIT", op) == 0)
            control.ReadWithin(reply, op, std::chrono::seconds(3));
    }
    control.Close();
}

}  // namespace netvo
