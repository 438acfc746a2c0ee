// FTP over TLS against the test bed: explicit and implicit TLS, data
// connections that resume the control connection's session, certificates,
// copies between two servers that both protect their data.
#include "TestCertificates.h"
#include "TestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>

namespace {

using namespace netvotest;
namespace fs = std::filesystem;

struct HookLog {
    int answer = NETVO_CERT_REJECT;
    int calls = 0;
    int verified = -1;
    int hostmatch = -1;
    std::string fingerprint;
    std::string subject;
};

int RecordingHook(int, const netvo_certinfo* info, void* context)
{
    auto* log = static_cast<HookLog*>(context);
    ++log->calls;
    log->verified = info->verified;
    log->hostmatch = info->hostmatch;
    log->fingerprint = info->fingerprint;
    log->subject = info->subject;
    return log->answer;
}

class Tls : public ::testing::Test {
protected:
    static void SetUpTestSuite() { certs = std::make_unique<testbed::TestCertificates>(); }
    static void TearDownTestSuite() { certs.reset(); }

    void SetUp() override
    {
        // The test CA is trusted, the user's own trusted file is a fresh one.
        ::setenv("SSL_CERT_FILE", certs->CaFile().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    }
    void TearDown() override
    {
        netvo_setcerthook(nullptr, nullptr);
        for (int handle : handles)
            netvo_release(handle);
    }

    static testbed::ServerOptions Options(const std::string& cert, const std::string& key)
    {
        testbed::ServerOptions options;
        options.tlsCertificate = cert;
        options.tlsKey = key;
        options.tlsRequired = true;  // as vsftpd is usually set up
        options.requireReuse = true;
        return options;
    }
    static testbed::ServerOptions Signed() { return Options(certs->ServerCertificate(), certs->ServerKey()); }

    // Opens and logs in; returns the handle (kept for release) and the
    // login's result.
    int Open(const testbed::TestFtpServer& server, int security, int& login)
    {
        const int handle = ftp_opensecure(server.Host().c_str(), server.Port(), security);
        EXPECT_GT(handle, 0) << LastError();
        if (handle <= 0)
            return handle;
        handles.push_back(handle);
        ftp_SetLocalPath(handle, local.Path().c_str());
        login = ftp_relogin(handle, server.User().c_str(), server.Password().c_str(), "");
        return handle;
    }
    fs::path TrustedFile() const { return config.Path() / "Brenmar" / "trusted-certs"; }
    // A server for copies between servers; one that listens for the other's
    // data connection cannot insist on a resumed session.
    static testbed::ServerOptions CopyServer(bool sscn, bool requireReuse)
    {
        testbed::ServerOptions options = Signed();
        options.sscn = sscn;
        options.requireReuse = requireReuse;
        return options;
    }
    static std::vector<std::string> SscnCommands(const testbed::TestFtpServer& server)
    {
        std::vector<std::string> sscn;
        for (const std::string& line : server.Commands())
            if (line.rfind("SSCN", 0) == 0)
                sscn.push_back(line);
        return sscn;
    }

    static std::unique_ptr<testbed::TestCertificates> certs;
    TempFolder config;
    TempFolder local;
    std::vector<int> handles;
};

std::unique_ptr<testbed::TestCertificates> Tls::certs;

class TlsModes : public Tls, public ::testing::WithParamInterface<bool> {};

TEST_P(TlsModes, ExplicitTlsMovesFilesByteExactOverResumedSessions)
{
    testbed::TestFtpServer srv(Signed());
    int login = -1;
    const int h = Open(srv, NETVO_SECURE_AUTO, login);
    ASSERT_EQ(login, 0) << LastError();
    ftp_SetPassive(h, GetParam() ? 1 : 0);
    EXPECT_EQ(ftp_getsecurity(h), 2);

    const std::string data = BinaryData(3 * 1024 * 1024 + 5, 3);
    WriteFile(local.Path() / "up.bin", data);
    ASSERT_EQ(ftp_put(h, "up.bin", "remote.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(srv.Root() / "remote.bin"), data));
    ASSERT_EQ(ftp_get(h, "remote.bin", "down.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(local.Path() / "down.bin"), data));
    // A restart, and a listing, over TLS too.
    WriteFile(local.Path() / "part.bin", data.substr(0, 1000000));
    ASSERT_EQ(ftp_RestartGet(h, "remote.bin", "part.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(local.Path() / "part.bin"), data));
    ASSERT_EQ(ftp_ls(h, "", (local.Path() / "names").c_str()), 0) << LastError();
    EXPECT_EQ(ReadFile(local.Path() / "names"), "remote.bin\n");

    const testbed::TlsDataCounts counts = srv.TlsData();
    EXPECT_EQ(counts.protectedConnections, 4);
    EXPECT_EQ(counts.resumed, 4);
    EXPECT_EQ(counts.clear, 0);
}

INSTANTIATE_TEST_SUITE_P(Both, TlsModes, ::testing::Bool(), ModeName);

TEST_F(Tls, ImplicitTlsStreamsAndAbortsKeepTheHandleUsable)
{
    testbed::ServerOptions options = Signed();
    options.implicitTls = true;
    testbed::TestFtpServer srv(options);
    const std::string data = BinaryData(2 * 1024 * 1024, 5);
    WriteFile(srv.Root() / "big.bin", data);
    int login = -1;
    const int h = Open(srv, NETVO_SECURE_IMPLICIT, login);
    ASSERT_EQ(login, 0) << LastError();
    EXPECT_EQ(ftp_getsecurity(h), 2);

    // A stream read to the end.
    ASSERT_EQ(ftp_openreadforget(h, "big.bin"), 0) << LastError();
    std::string got;
    std::vector<char> buffer(100000);
    for (int n; (n = ftp_readdata(h, buffer.data(), static_cast<int>(buffer.size()))) > 0;)
        got.append(buffer.data(), static_cast<size_t>(n));
    EXPECT_EQ(ftp_closeread(h), 0) << LastError();
    EXPECT_TRUE(SameBytes(got, data));
    // Stopped early: aborted, and the handle goes on.
    ASSERT_EQ(ftp_openreadforget(h, "big.bin"), 0) << LastError();
    ASSERT_GT(ftp_readdata(h, buffer.data(), static_cast<int>(buffer.size())), 0);
    EXPECT_EQ(ftp_closeread(h), 0);
    // A stream write.
    ASSERT_EQ(ftp_openwriteforput(h, "written.bin", 0), 0) << LastError();
    EXPECT_EQ(ftp_writedata(h, data.data(), static_cast<int>(data.size())), static_cast<int>(data.size()));
    EXPECT_EQ(ftp_closewrite(h), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(srv.Root() / "written.bin"), data));
    ASSERT_EQ(ftp_get(h, "big.bin", "after.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(local.Path() / "after.bin"), data));
    EXPECT_EQ(srv.TlsData().clear, 0);
}

TEST_F(Tls, UnknownCertificateIsRefusedAskedAboutOrRemembered)
{
    testbed::TestFtpServer srv(Options(certs->SelfSignedCertificate(), certs->SelfSignedKey()));
    int login = -1;
    Open(srv, NETVO_SECURE_AUTO, login);
    EXPECT_EQ(login, NETVO_E_CERTIFICATE);
    const std::string error = LastError();
    EXPECT_NE(error.find(srv.HostPort() + ": the server's certificate is not trusted (self-signed certificate)"),
              std::string::npos)
        << error;
    const size_t at = error.find("fingerprint ");
    ASSERT_NE(at, std::string::npos) << error;
    const std::string fingerprint = error.substr(at + 12);
    EXPECT_EQ(fingerprint.size(), 95u);

    HookLog log;
    netvo_setcerthook(RecordingHook, &log);
    const struct {
        int answer;
        int login;
        bool remembered;
    } cases[] = {
        {NETVO_CERT_REJECT, NETVO_E_CERTIFICATE, false},
        {NETVO_CERT_ACCEPT_ONCE, 0, false},
        {NETVO_CERT_ACCEPT_ALWAYS, 0, true},
    };
    for (const auto& c : cases) {
        log.answer = c.answer;
        Open(srv, NETVO_SECURE_AUTO, login);
        EXPECT_EQ(login, c.login) << c.answer << ": " << LastError();
        EXPECT_EQ(fs::exists(TrustedFile()), c.remembered) << c.answer;
    }
    EXPECT_EQ(log.calls, 3);
    EXPECT_EQ(log.verified, 0);
    EXPECT_EQ(log.hostmatch, 1);
    EXPECT_EQ(log.fingerprint, fingerprint);
    EXPECT_EQ(log.subject, "CN=self-signed, O=Tavo test bed");
    EXPECT_EQ(ReadFile(TrustedFile()), srv.HostPort() + " " + fingerprint + "\n");
    EXPECT_EQ(fs::status(TrustedFile()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(TrustedFile().parent_path()).permissions(), fs::perms::owner_all);

    // Remembered: no hook needed, nothing asked.
    netvo_setcerthook(nullptr, nullptr);
    const int h = Open(srv, NETVO_SECURE_AUTO, login);
    EXPECT_EQ(login, 0) << LastError();
    EXPECT_EQ(ftp_getsecurity(h), 2);
    EXPECT_EQ(log.calls, 3);
}

TEST_F(Tls, CertificateForAnotherNameIsRefused)
{
    testbed::TestFtpServer srv(Options(certs->OtherCertificate(), certs->OtherKey()));
    int login = -1;
    Open(srv, NETVO_SECURE_EXPLICIT, login);
    EXPECT_EQ(login, NETVO_E_CERTIFICATE);
    EXPECT_NE(LastError().find("(it does not name 127.0.0.1)"), std::string::npos) << LastError();
    HookLog log;
    netvo_setcerthook(RecordingHook, &log);
    Open(srv, NETVO_SECURE_EXPLICIT, login);
    EXPECT_EQ(login, NETVO_E_CERTIFICATE);
    EXPECT_EQ(log.verified, 1);
    EXPECT_EQ(log.hostmatch, 0);
}

TEST_F(Tls, PlainServerFailsExplicitAndFallsBackInAuto)
{
    testbed::TestFtpServer srv;
    int login = -1;
    const int explicitHandle = Open(srv, NETVO_SECURE_EXPLICIT, login);
    EXPECT_EQ(login, NETVO_E_TLS);
    EXPECT_NE(LastError().find("AUTH TLS: the server does not offer TLS (500 "), std::string::npos) << LastError();
    // No password went out in clear text.
    for (const std::string& command : srv.Commands())
        EXPECT_NE(command.rfind("PASS", 0), 0u) << command;
    EXPECT_EQ(ftp_getsecurity(explicitHandle), 0);

    const int h = ftp_open(srv.HostPort().c_str());
    ASSERT_GT(h, 0);
    handles.push_back(h);
    EXPECT_EQ(ftp_negotiatesecurity(h), 0) << LastError();
    EXPECT_EQ(ftp_getsecurity(h), 0);
    EXPECT_EQ(ftp_relogin(h, srv.User().c_str(), srv.Password().c_str(), ""), 0) << LastError();
    EXPECT_EQ(ftp_setsecurity(h, NETVO_SECURE_IMPLICIT), NETVO_E_STATE);
}

TEST_F(Tls, RefusedProtPLeavesDataInClearText)
{
    testbed::ServerOptions options = Signed();
    options.requireReuse = false;
    testbed::TestFtpServer srv(options);
    srv.FailCommand("PROT", 1, 534);
    WriteFile(srv.Root() / "a.txt", "clear data");
    int login = -1;
    const int h = Open(srv, NETVO_SECURE_EXPLICIT, login);
    ASSERT_EQ(login, 0) << LastError();
    EXPECT_EQ(ftp_getsecurity(h), 1);
    ASSERT_EQ(ftp_get(h, "a.txt", "a.txt"), 0) << LastError();
    EXPECT_EQ(ReadFile(local.Path() / "a.txt"), "clear data");
    const testbed::TlsDataCounts counts = srv.TlsData();
    EXPECT_EQ(counts.protectedConnections, 0);
    EXPECT_EQ(counts.clear, 1);
}

TEST_F(Tls, IPv6AddressIsMatchedByTheCertificate)
{
    testbed::ServerOptions options = Signed();
    options.host = "::1";
    testbed::TestFtpServer srv(options);
    WriteFile(srv.Root() / "six.txt", "over ::1");
    int login = -1;
    const int h = Open(srv, NETVO_SECURE_EXPLICIT, login);
    ASSERT_EQ(login, 0) << LastError();
    ASSERT_EQ(ftp_get(h, "six.txt", "six.txt"), 0) << LastError();
    EXPECT_EQ(ReadFile(local.Path() / "six.txt"), "over ::1");
    EXPECT_EQ(srv.TlsData().resumed, 1);
}

TEST_F(Tls, SilentHandshakeIsBoundedByTheTimeout)
{
    ScriptedServer server;
    server.rawReplies["AUTH"] = "234 go ahead\r\n";  // and then nothing but silence
    const int h = ftp_opensecure(server.HostPort().c_str(), 0, NETVO_SECURE_EXPLICIT);
    ASSERT_GT(h, 0) << LastError();
    handles.push_back(h);
    ftp_setreceivetimeout(h, 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ftp_relogin(h, "u", "p", ""), NETVO_E_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_NE(LastError().find("no TLS handshake within the timeout"), std::string::npos) << LastError();
    EXPECT_EQ(ftp_isconnected(h), 0);
}

TEST_F(Tls, ServerToServerCopyOverTlsDataIsRefusedClearly)
{
    testbed::TestFtpServer secure(Signed());
    testbed::TestFtpServer plain;
    WriteFile(secure.Root() / "a.bin", "data");
    int login = -1;
    const int src = Open(secure, NETVO_SECURE_AUTO, login);
    ASSERT_EQ(login, 0) << LastError();
    const int dest = Open(plain, NETVO_SECURE_AUTO, login);
    ASSERT_EQ(login, 0) << LastError();
    EXPECT_EQ(ftp_RemotePut(src, dest, "a.bin", "b.bin", 1, 0), NETVO_E_TLS);
    EXPECT_NE(LastError().find(secure.HostPort() + ": server to server: the source protects its data connections "
                                                  "(PROT P) and the other server does not"),
              std::string::npos)
        << LastError();
    EXPECT_EQ(plain.Commands().back().rfind("STOR", 0), std::string::npos);
    EXPECT_EQ(ftp_noop(src), 0);
}

// Both protected: one server becomes the TLS client of the connection
// between them (SSCN) for the copy, and the TLS server of the handle's own
// transfers again after it.
TEST_F(Tls, ServerToServerCopiesBothWaysWhenOneServerIsTheTlsClient)
{
    // b is the TLS client of both copies, so it may insist on resumed
    // sessions where it is the server: the handle's own transfers.
    testbed::TestFtpServer a(CopyServer(true, false));
    testbed::TestFtpServer b(CopyServer(true, true));
    const std::string data = BinaryData(2 * 1024 * 1024 + 7, 4);
    WriteFile(a.Root() / "a.bin", data);
    int login = -1;
    const int ha = Open(a, NETVO_SECURE_EXPLICIT, login);
    ASSERT_EQ(login, 0) << LastError();
    const int hb = Open(b, NETVO_SECURE_EXPLICIT, login);
    ASSERT_EQ(login, 0) << LastError();

    ASSERT_EQ(ftp_RemotePut(ha, hb, "a.bin", "b.bin", 1, 0), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(b.Root() / "b.bin"), data));
    // The destination refuses to connect as TLS client: the other way round.
    a.FailCommand("SSCN", 1, 502);
    ASSERT_EQ(ftp_RemotePut(hb, ha, "b.bin", "back.bin", 1, 0), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(a.Root() / "back.bin"), data));
    EXPECT_EQ(SscnCommands(a), std::vector<std::string>{"SSCN ON"});
    EXPECT_EQ(SscnCommands(b), (std::vector<std::string>{"SSCN ON", "SSCN OFF", "SSCN ON", "SSCN OFF"}));
    for (const testbed::TestFtpServer* server : {&a, &b}) {
        const testbed::TlsDataCounts counts = server->TlsData();
        EXPECT_EQ(counts.protectedConnections, 2);
        EXPECT_EQ(counts.resumed, 0);
        EXPECT_EQ(counts.clear, 0);
    }

    ASSERT_EQ(ftp_get(ha, "back.bin", "from-a.bin"), 0) << LastError();
    ASSERT_EQ(ftp_get(hb, "b.bin", "from-b.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(local.Path() / "from-a.bin"), data));
    EXPECT_TRUE(SameBytes(ReadFile(local.Path() / "from-b.bin"), data));
    EXPECT_EQ(a.TlsData().resumed, 1);
    EXPECT_EQ(b.TlsData().resumed, 1);
}

TEST_F(Tls, ServerToServerCopyThatNoWayRoundAllowsCopiesNothing)
{
    // Servers that do not offer SSCN are not asked; those that offer it
    // may still refuse; a way round that fails for another reason is not
    // made good by a server that cannot take the other.
    const std::string neither = "neither server supports TLS-protected server-to-server copies (SSCN)";
    const struct {
        bool sourceSscn, destSscn;
        const char* destFault;  // fails once, with 500
        int result;
        std::string error;
        std::vector<std::string> destSscnCommands;
    } cases[] = {
        {false, false, nullptr, NETVO_E_TLS, neither, {}},
        {true, true, "SSCN", NETVO_E_TLS, neither, {"SSCN ON"}},
        {false, true, "PORT", 500, "PORT 127,0,0,1,", {"SSCN ON", "SSCN OFF"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        testbed::TestFtpServer a(CopyServer(c.sourceSscn, false));
        testbed::TestFtpServer b(CopyServer(c.destSscn, false));
        WriteFile(a.Root() / "a.bin", "data");
        int login = -1;
        const int ha = Open(a, NETVO_SECURE_EXPLICIT, login);
        const int hb = Open(b, NETVO_SECURE_EXPLICIT, login);
        if (c.sourceSscn)
            a.FailCommand("SSCN", 1, 502);
        if (c.destFault)
            b.FailCommand(c.destFault, 1, 500);
        EXPECT_EQ(ftp_RemotePut(ha, hb, "a.bin", "b.bin", 1, 0), c.result);
        EXPECT_NE(LastError().find(c.error), std::string::npos) << LastError();
        EXPECT_EQ(SscnCommands(b), c.destSscnCommands);
        EXPECT_FALSE(fs::exists(b.Root() / "b.bin"));
        for (const std::string& line : b.Commands())
            EXPECT_NE(line.rfind("STOR", 0), 0u) << line;
        EXPECT_EQ(ftp_noop(hb), 0) << LastError();
        EXPECT_EQ(ftp_get(ha, "a.bin", "a.bin"), 0) << LastError();
    }
}

}  // namespace
