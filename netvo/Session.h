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

    // Connects (again) to the host and reads the greeting.
    int Connect(Op& op);
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
    int SendCredentials(const std::string& userLine, const std::string& password,
                        const std::string& account, Op& op);

    int m_id;
    Endpoint m_host;
    char m_wireType = 0;  // the TYPE the server has, 0 when not known
    bool m_loggedIn = false;
};

// Refuses command arguments that would break the command line.
bool SafeArgument(std::string_view text);

}  // namespace netvo
