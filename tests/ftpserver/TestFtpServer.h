// A real FTP server for tests: python3-pyftpdlib serving a temporary folder on
// 127.0.0.1, with switches that inject faults. Each instance is its own
// process on its own free port, so several can run side by side (server to
// server copies need two). The process is stopped by its id in the destructor.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace testbed {

enum class ListStyle { Unix, Dos, Iis };

struct ServerOptions {
    // Users and passwords that may log in; each user's home is the root.
    std::vector<std::pair<std::string, std::string>> users{{"tavo", "secret"}};
    bool anonymous = false;
};

class TestFtpServer {
public:
    explicit TestFtpServer(ServerOptions options = {});
    ~TestFtpServer();
    TestFtpServer(const TestFtpServer&) = delete;
    TestFtpServer& operator=(const TestFtpServer&) = delete;

    int Port() const { return m_port; }
    std::string Host() const { return "127.0.0.1"; }
    std::string HostPort() const { return Host() + ":" + std::to_string(m_port); }
    const std::filesystem::path& Root() const { return m_root; }
    const std::string& User() const { return m_options.users.front().first; }
    const std::string& Password() const { return m_options.users.front().second; }

    // Fault switches. Each takes effect for commands received after the call
    // returns (the server acknowledges before the call returns).
    // The next `times` uses of `command` (e.g. "RETR") are answered with `code`.
    void FailCommand(const std::string& command, int times, int code);
    // After `bytes` data bytes of a RETR or STOR, the server closes the data
    // and the control connection of that session. Applies once.
    void DropAfterBytes(const std::string& command, long long bytes);
    // Every reply to `command` is sent `seconds` late; "*" delays every reply,
    // "CONNECT" delays the greeting.
    void DelayReplies(const std::string& command, double seconds);
    void SetListStyle(ListStyle style);
    void RefuseEpsv(bool refuse);
    // PASV replies name 127.0.0.2 (where nothing listens) instead of the
    // server's address; a sound client ignores it and uses the peer.
    void ForeignPasvAddress(bool on);
    void ClearFaults();

    // Commands received so far, one per line as sent ("USER tavo", "RETR a").
    std::vector<std::string> Commands() const;
    // Number of control connections currently open on the server.
    int OpenConnections() const;

private:
    std::string Control(const std::string& request) const;

    ServerOptions m_options;
    std::filesystem::path m_tempDir;
    std::filesystem::path m_root;
    pid_t m_pid = -1;
    int m_port = 0;
    int m_controlIn = -1;   // our end of the server's stdin
    int m_controlOut = -1;  // our end of the server's stdout
};

// The firewall proxy: log in with the proxy's own user and password, then
// send "USER user@host[:port]" and "PASS"; it connects there (loopback only)
// and relays control and data from then on.
class TestFtpProxy {
public:
    TestFtpProxy(std::string user = "fwuser", std::string password = "fwpass", bool requireAccount = false);
    ~TestFtpProxy();
    TestFtpProxy(const TestFtpProxy&) = delete;
    TestFtpProxy& operator=(const TestFtpProxy&) = delete;

    int Port() const { return m_port; }
    std::string HostPort() const { return "127.0.0.1:" + std::to_string(m_port); }
    const std::string& User() const { return m_user; }
    const std::string& Password() const { return m_password; }

private:
    std::string m_user;
    std::string m_password;
    std::filesystem::path m_tempDir;
    pid_t m_pid = -1;
    int m_port = 0;
};

}  // namespace testbed
