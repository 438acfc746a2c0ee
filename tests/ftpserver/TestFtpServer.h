// A real FTP server for tests: python3-pyftpdlib serving a temporary folder on
// 127.0.0.1, with switches that inject faults. Each instance is its own
// process on its own free port, so several can run side by side (server to
// server copies need two). The process is stopped by its id in the destructor.
#pragma once

#include "ChildProcess.h"
#include "TempDir.h"

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace testbed {

enum class ListStyle { Unix, Dos, Iis };

struct ServerOptions {
    // Users and passwords that may log in; each user's home is the root.
    // At least one is needed (User() names the first); names hold no ':'.
    std::vector<std::pair<std::string, std::string>> users{{"tavo", "secret"}};
    bool anonymous = false;
    // The loopback address to listen on: "127.0.0.1" or "::1".
    std::string host = "127.0.0.1";
    // FTP over TLS (TLS 1.2 or newer) with this certificate and key (PEM
    // files, e.g. from TestCertificates); empty: plain FTP, and AUTH is an
    // unknown command.
    std::string tlsCertificate{};
    std::string tlsKey{};
    // USER and PASS are refused before AUTH TLS (vsftpd's
    // force_local_logins_ssl).
    bool tlsRequired = false;
    // A protected data connection that does not resume the control
    // connection's TLS session is refused with "522 SSL connection failed:
    // session reuse required" (vsftpd's require_ssl_reuse).
    bool requireReuse = false;
    // TLS from the first byte, before the greeting.
    bool implicitTls = false;
    // SSCN is accepted and listed by FEAT: "SSCN ON" makes the server the
    // TLS client of its data connections (for copies between two servers),
    // "SSCN OFF" the server again. Off: SSCN is unknown, as on vsftpd.
    bool sscn = false;
};

// What the data connections of all sessions did so far.
struct TlsDataCounts {
    int protectedConnections = 0;  // with TLS (PROT P)
    int resumed = 0;               // of those, resuming the control connection's session
    int clear = 0;                 // without TLS
};

class TestFtpServer {
public:
    explicit TestFtpServer(ServerOptions options = {});
    ~TestFtpServer();
    TestFtpServer(const TestFtpServer&) = delete;
    TestFtpServer& operator=(const TestFtpServer&) = delete;

    int Port() const { return m_port; }
    // The server's process id; -1 once it has been stopped.
    pid_t Pid() const { return m_process.Pid(); }
    const std::string& Host() const { return m_options.host; }
    // "127.0.0.1:port" or "[::1]:port".
    std::string HostPort() const;
    const std::filesystem::path& Root() const { return m_root; }
    const std::string& User() const { return m_options.users.front().first; }
    const std::string& Password() const { return m_options.users.front().second; }

    // Fault switches. Each takes effect for commands received after the call
    // returns (the server acknowledges before the call returns). They throw
    // std::invalid_argument for a malformed command name and
    // std::runtime_error when the server refuses or does not answer.
    // The next `times` uses of `command` (e.g. "RETR") are answered with `code`.
    void FailCommand(const std::string& command, int times, int code);
    // After `bytes` data bytes of a RETR or STOR, the server closes the data
    // and the control connection of that session. Applies once. "STOR" covers
    // every upload (STOR, APPE, STOU); the switch stays armed until a
    // transfer reaches `bytes`, so shorter files pass whole.
    void DropAfterBytes(const std::string& command, long long bytes);
    // Every reply to `command` is sent `seconds` late; "*" delays every reply,
    // "CONNECT" delays the greeting.
    void DelayReplies(const std::string& command, double seconds);
    void SetListStyle(ListStyle style);
    // How a folder that cannot be listed (missing, unreadable) is answered:
    // with 550 (Refuse), or with an empty listing and "226 Transfer done
    // (but failed to open directory)." as vsftpd does, or a plain "226 0
    // matches total" as pure-ftpd does for a missing one.
    enum class ListErrors { Refuse, Vsftpd, Empty };
    void SetListErrors(ListErrors how);
    void RefuseEpsv(bool refuse);
    // MLSD and MLST become unknown commands and FEAT stops listing MLST;
    // a client sees the change at its next login.
    void RefuseMlsd(bool refuse);
    // PASV replies name 127.0.0.2 (where nothing listens) instead of the
    // server's address; a sound client ignores it and uses the peer.
    void ForeignPasvAddress(bool on);
    // A RETR's 150 reply names the file's real size ("(N bytes)"), as most
    // servers' do; AnnounceSize(n) names n bytes instead (a server that is
    // wrong), AnnounceSize(-1) names none again.
    void AnnounceRealSize();
    void AnnounceSize(long long bytes);
    // Data connections opened from now on move about this many bytes per
    // second each way (0 lifts it): a test can act in mid-transfer.
    void Throttle(long long bytesPerSecond);
    // NLST and LIST of any folder send `count` made-up names (name-00000000,
    // ...), produced as the data connection takes them; 0 lists the real
    // entries again.
    void HugeListing(long long count);
    // Every MDTM is answered "213 <digits>" (impossible times included);
    // an empty text answers with the file's time again.
    void AnswerMdtm(const std::string& digits);
    // The reply to every `command` ("CONNECT": the greeting) never ends:
    // a preliminary line (150; 120 for the greeting) or a continuation line
    // ("200-"; "230-" for PASS, "220-" for the greeting) every 100 ms until
    // the client goes. Endless::Off removes it.
    enum class Endless { Off, Preliminary, Continuation };
    void EndlessReply(const std::string& command, Endless kind);
    // Replies to `command` ("CONNECT": the greeting) are sent one byte every
    // `milliseconds` (0 lifts it).
    void TrickleReplies(const std::string& command, int milliseconds);
    // How ABOR is answered: as pyftpdlib does (426 and 226 for a running
    // transfer, else 225); with one final reply only, "226 Since you see
    // this ABOR must've succeeded.", leaving a passive port and an idle data
    // connection open until the next PASV or EPSV (pure-ftpd); or not before
    // a running upload ends, no command being read meanwhile (vsftpd).
    enum class AbortStyle { Normal, Single, Late };
    void SetAbortStyle(AbortStyle style);
    void ClearFaults();

    // Commands received so far by all sessions, in order, one per line as
    // sent ("USER tavo", "PASS secret", "RETR a b.txt"); never cleared.
    std::vector<std::string> Commands() const;
    // Number of control connections currently open on the server. The
    // server notices a client's close asynchronously: poll with a deadline.
    int OpenConnections() const;
    TlsDataCounts TlsData() const;

private:
    // Sends one control request; returns the data after "OK" (may be
    // empty) and throws std::runtime_error on "ERR" or when no answer comes.
    std::string Control(const std::string& request) const;
    std::string ReadAnswer() const;

    ServerOptions m_options;
    detail::TempDir m_tempDir;  // outlives the process serving its root
    std::filesystem::path m_root;
    mutable detail::ChildProcess m_process;  // stdin/stdout carry the control channel
    int m_port = 0;
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
    pid_t Pid() const { return m_process.Pid(); }
    std::string HostPort() const { return "127.0.0.1:" + std::to_string(m_port); }
    const std::string& User() const { return m_user; }
    const std::string& Password() const { return m_password; }

private:
    std::string m_user;
    std::string m_password;
    detail::ChildProcess m_process;
    int m_port = 0;
};

}  // namespace testbed
