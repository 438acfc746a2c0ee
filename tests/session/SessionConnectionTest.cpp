// The session against a real FTP server: login, the busy bracket, and the
// rebuilding of a lost connection with its modes and firewall logins.
#include "FtpSession.h"
#include "ServerConnections.h"
#include "SessionTestSupport.h"
#include "TestFtpServer.h"

#include <netvo32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using sessiontest::CommandsSince;
using sessiontest::FindCommand;
using sessiontest::SettledConnections;
using sessiontest::TraceCapture;
using sessiontest::WriteFile;

namespace {

class SessionFtpTest : public ::testing::Test {
protected:
    int LoginTo(CSession& session, bool passive = false)
    {
        return session.Login(server.HostPort(), server.User(), server.Password(), "", false, passive);
    }

    testbed::TestFtpServer server;
    TraceCapture trace;
};

TEST_F(SessionFtpTest, LoginKeepsTheLoginDataAndTraces)
{
    CSession session;
    ASSERT_EQ(LoginTo(session), 0);
    EXPECT_GT(session.m_nFtpHandle, 0);
    EXPECT_EQ(session.m_strHost, server.HostPort());
    EXPECT_EQ(session.m_strUser, server.User());
    EXPECT_EQ(session.m_strPassword, server.Password());
    EXPECT_TRUE(trace.Has("Connecting to " + server.HostPort() + " FTP server, please wait..."));
    EXPECT_TRUE(trace.Has("Trace-->Login: ftphandle = " + std::to_string(session.m_nFtpHandle)));
    // The server's last reply is shown as a message after "Connecting to".
    ASSERT_GE(trace.Lines().size(), 2u);
    EXPECT_EQ(trace.Lines()[1].find("Trace-->"), std::string::npos);
    EXPECT_EQ(SettledConnections(server, 1), 1);

    CSession unsaved;
    ASSERT_EQ(unsaved.Login(server.HostPort(), server.User(), server.Password(), "acct", true, false), 0);
    EXPECT_EQ(unsaved.m_strHost, "");
    EXPECT_EQ(unsaved.m_strAccount, "");
}

TEST_F(SessionFtpTest, FailedLoginsLeaveNoHandleAndNoConnection)
{
    struct Case {
        std::string host;
        std::string password;
    };
    const Case cases[] = {
        {server.HostPort(), "wrong"},  // refused by the server
        {"127.0.0.1:1", "secret"},     // nothing listens there
    };
    for (const Case& c : cases) {
        CSession session;
        trace.Clear();
        EXPECT_EQ(session.Login(c.host, server.User(), c.password, "", false, false), -1) << c.host;
        EXPECT_EQ(session.m_nFtpHandle, 0) << c.host;
        EXPECT_EQ(session.m_strUser, "") << c.host;
        EXPECT_TRUE(trace.Has("Login: ftphandle = 0")) << c.host;
        // Besides "Connecting to", the reason reaches the user as a message.
        int messages = 0;
        for (const std::string& line : trace.Lines())
            messages += line.find("Trace-->") == std::string::npos ? 1 : 0;
        EXPECT_GE(messages, 2) << c.host;
        EXPECT_EQ(session.GetFtpHandle(), 0);
    }
    EXPECT_EQ(SettledConnections(server, 0), 0);
}

TEST_F(SessionFtpTest, LoggingInAgainClosesTheFirstConnection)
{
    CSession session;
    ASSERT_EQ(LoginTo(session), 0);
    const int first = session.m_nFtpHandle;
    ASSERT_EQ(LoginTo(session), 0);
    EXPECT_NE(session.m_nFtpHandle, first);
    EXPECT_EQ(SettledConnections(server, 1), 1);
}

TEST_F(SessionFtpTest, DestructionQuitsUnlessTheSessionWrapsACallersConnection)
{
    {
        CSession session;
        ASSERT_EQ(LoginTo(session), 0);
        EXPECT_EQ(SettledConnections(server, 1), 1);
    }
    EXPECT_EQ(SettledConnections(server, 0), 0);

    const int handle = ftp_open(server.HostPort().c_str());
    ASSERT_GT(handle, 0);
    ASSERT_EQ(ftp_relogin(handle, server.User().c_str(), server.Password().c_str(), ""), 0);
    {
        CSession wrapper;
        wrapper.m_strName = kCallerSessionName;
        wrapper.m_nFtpHandle = handle;
    }
    EXPECT_EQ(ftp_isconnected(handle), 1);
    EXPECT_EQ(SettledConnections(server, 1), 1);
    ftp_quit(handle);
}

TEST_F(SessionFtpTest, FoldersAndTypes)
{
    std::filesystem::create_directories(server.Root() / "pub" / "Docs");
    CSession session;
    ASSERT_EQ(LoginTo(session), 0);
    ASSERT_EQ(session.SetPwd(), 0);
    EXPECT_EQ(session.m_strCurDir, "/");
    EXPECT_EQ(session.m_strRoot, "/");

    EXPECT_EQ(session.Cd("/pub/Docs", true), 0);
    EXPECT_EQ(session.m_strCurDir, "/pub/Docs");
    EXPECT_EQ(session.m_strRoot, "/");  // only the first folder is the root
    EXPECT_TRUE(trace.Has("Cd: /pub/Docs, cc = 0"));
    EXPECT_EQ(session.Cdup(), 0);
    EXPECT_EQ(session.m_strCurDir, "/pub");
    EXPECT_TRUE(trace.Has("Cdup: cc = 0"));

    EXPECT_NE(session.Cd("/missing", true), 0);
    EXPECT_EQ(session.m_strCurDir, "/pub");
    EXPECT_TRUE(trace.Has("550"));  // the refusal is shown

    // Binary already: nothing is sent, and the old refusal is not shown
    // again as if it were the answer.
    const int refusals = trace.Count("550");
    EXPECT_EQ(session.SetBinary(), 0);
    EXPECT_TRUE(session.m_bBinary);
    EXPECT_EQ(trace.Count("550"), refusals);
    EXPECT_EQ(session.SetAscii(), 0);
    EXPECT_FALSE(session.m_bBinary);
    EXPECT_TRUE(trace.Has("Type set to: ASCII"));
    EXPECT_TRUE(trace.Has("SetBinary: cc = 0"));
    EXPECT_TRUE(trace.Has("SetAscii: cc = 0"));
    EXPECT_EQ(session.m_nBusy, 0);
}

TEST_F(SessionFtpTest, OperationsWithoutConnectionAreNotTried)
{
    CSession session;
    EXPECT_EQ(session.GateLogin(server.HostPort(), "u", "p", "", false, false), kSessionNotTried);
    EXPECT_EQ(session.Reconnect(), kSessionNotTried);
    EXPECT_FALSE(trace.Has("Reconnecting"));
    EXPECT_EQ(session.Disconnect(), 0);
    EXPECT_EQ(session.SetPwd(), kSessionFailed);
    EXPECT_EQ(session.FtpExists("/x"), 0);
    EXPECT_EQ(session.GetReplyString(), "");
}

TEST_F(SessionFtpTest, FtpExistsAndRename)
{
    WriteFile(server.Root() / "old.txt", "data");
    CSession session;
    ASSERT_EQ(LoginTo(session), 0);
    EXPECT_NE(session.FtpExists("/old.txt"), 0);
    EXPECT_EQ(session.FtpExists("/nothing.txt"), 0);
    EXPECT_EQ(session.FtpRename("/old.txt", "/new.txt"), 0);
    EXPECT_TRUE(std::filesystem::exists(server.Root() / "new.txt"));
    EXPECT_TRUE(trace.Has("CSession::FtpRename: Rename /old.txt to /new.txt, rc = 0"));
    EXPECT_TRUE(trace.Has("CSession::FtpExists: Exist /nothing.txt, rc = 0"));
}

TEST_F(SessionFtpTest, ChmodSendsThreeDigitsAtLeastAndKeepsTheSpecialBits)
{
    WriteFile(server.Root() / "f.bin", "data");
    CSession session;
    ASSERT_EQ(LoginTo(session), 0);
    const struct {
        unsigned mode;
        const char* sent;
    } cases[] = {{044, "SITE CHMOD 044 /f.bin"}, {04751, "SITE CHMOD 4751 /f.bin"}, {0100644, "SITE CHMOD 644 /f.bin"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        EXPECT_EQ(session.FtpChmod("/f.bin", c.mode), 0);
        EXPECT_EQ(server.Commands().back(), c.sent);
        const auto perms = std::filesystem::status(server.Root() / "f.bin").permissions();
        EXPECT_EQ(static_cast<unsigned>(perms) & 07777u, c.mode & 07777u);
    }
}

// The GUI handles events while the library waits; a keep-alive tick that
// arrives then must find the session busy.
TEST_F(SessionFtpTest, BusyBracketCoversEachLibraryCall)
{
    CSession session;
    ASSERT_EQ(LoginTo(session), 0);
    struct Probe {
        CSession* session;
        std::vector<int> busy;
    } probe{&session, {}};
    netvo_setwaithook(
        [](int, long long, long long, int, void* context) {
            auto* p = static_cast<Probe*>(context);
            p->busy.push_back(p->session->m_nBusy);
            return 0;
        },
        &probe);
    server.DelayReplies("CWD", 0.3);
    const int cc = session.Cd("/", true);
    netvo_setwaithook(nullptr, nullptr);
    EXPECT_EQ(cc, 0);
    ASSERT_FALSE(probe.busy.empty());
    for (int busy : probe.busy)
        EXPECT_EQ(busy, 1);
    EXPECT_EQ(session.m_nBusy, 0);
}

class SessionReconnectTest : public SessionFtpTest {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(server.Root() / "sub");
        WriteFile(server.Root() / "sub" / "big.bin", std::string(64 * 1024, 'x'));
        char pattern[] = "/tmp/session-local-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        local = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(local); }

    // The server cuts the control connection in the middle of a download.
    void DropConnection(CSession& session)
    {
        server.DropAfterBytes("RETR", 1000);
        EXPECT_NE(session.GetFile("/sub/big.bin", (local / "cut.bin").string(), TransferAuto), 0);
    }

    std::filesystem::path local;
};

TEST_F(SessionReconnectTest, CheckConnectionRestoresFolderAndModes)
{
    CSession session;
    ASSERT_EQ(LoginTo(session, true), 0);
    const int handle = session.m_nFtpHandle;
    ASSERT_EQ(session.Cd("/sub", true), 0);
    ASSERT_EQ(session.SetBinary(), 0);
    ASSERT_EQ(session.SetReceiveTimeout(30), 0);
    EXPECT_EQ(session.CheckConnection(), 0);  // alive: nothing to do
    EXPECT_FALSE(trace.Has("Lost connection"));

    DropConnection(session);
    const size_t before = server.Commands().size();
    trace.Clear();
    EXPECT_EQ(session.CheckConnection(), 0);

    EXPECT_EQ(session.m_nFtpHandle, handle);  // same handle: registry and timer stay valid
    EXPECT_EQ(session.m_strCurDir, "/sub");
    const int lost = trace.Find("CheckConnection: Lost connection, need to reconnect");
    const int wait = trace.Find("Wait! Reconnecting to " + server.HostPort() + " FTP server...", lost);
    const int passive = trace.Find("SetPassive: Flag = 1", wait);
    const int cd = trace.Find("Cd: /sub, cc = 0", passive);
    const int binary = trace.Find("SetBinary: cc = 0", cd);
    const int done = trace.Find("CheckConnection: cc = 0", binary);
    EXPECT_TRUE(lost >= 0 && wait > lost && passive > wait && cd > passive && binary > cd && done > binary);

    const auto commands = CommandsSince(server.Commands(), before);
    const int user = FindCommand(commands, "USER " + server.User());
    const int cwd = FindCommand(commands, "CWD /sub", user);
    EXPECT_GE(user, 0);
    EXPECT_GT(cwd, user);
    EXPECT_GT(FindCommand(commands, "PWD", cwd), cwd);

    // The rebuilt connection works: the download now completes in binary.
    EXPECT_EQ(session.GetFile("big.bin", (local / "whole.bin").string(), TransferAuto), 0);
    EXPECT_EQ(std::filesystem::file_size(local / "whole.bin"), 64u * 1024u);
    EXPECT_EQ(session.m_nBusy, 0);
}

TEST_F(SessionReconnectTest, EnsureAliveChecksOnlyAfterTheIdleLimit)
{
    CSession session;
    ASSERT_EQ(LoginTo(session), 0);
    DropConnection(session);

    // Within the idle limit the link is taken as alive and the command fails.
    EXPECT_NE(session.Cd("/sub", false), 0);
    EXPECT_TRUE(trace.Has("Time elapsed "));
    EXPECT_FALSE(trace.Has("Lost connection"));

    // Once the limit has passed, the next command rebuilds the link first.
    session.m_tLastCheck -= session.m_nIdleLimit;
    EXPECT_EQ(session.Cd("/sub", true), 0);
    EXPECT_TRUE(trace.Has("CheckConnection: Lost connection, need to reconnect"));
    EXPECT_EQ(session.m_strCurDir, "/sub");
}

TEST_F(SessionReconnectTest, FailedReconnectDisconnects)
{
    CSession session;
    ASSERT_EQ(LoginTo(session), 0);
    session.m_strPassword = "changed meanwhile";
    DropConnection(session);
    EXPECT_NE(session.CheckConnection(), 0);
    EXPECT_EQ(session.m_nFtpHandle, 0);
    EXPECT_EQ(SettledConnections(server, 0), 0);
    // Later checks find nothing to rebuild.
    trace.Clear();
    EXPECT_EQ(session.CheckConnection(), kSessionNotTried);
    EXPECT_FALSE(trace.Has("Wait! Reconnecting"));
}

TEST_F(SessionReconnectTest, ReconnectReplaysTheFirewallLogins)
{
    testbed::TestFtpProxy proxy;
    CSession session;
    ASSERT_EQ(session.Login(proxy.HostPort(), proxy.User(), proxy.Password(), "", false, false), 0);
    ASSERT_EQ(session.GateLogin(server.HostPort(), server.User(), server.Password(), "", false, false), 0);
    EXPECT_EQ(session.m_nGateCount, 1);
    EXPECT_EQ(session.m_aGateHost.at(0), server.HostPort());
    ASSERT_EQ(session.Cd("/sub", true), 0);

    DropConnection(session);
    const size_t before = server.Commands().size();
    EXPECT_EQ(session.CheckConnection(), 0);
    const auto commands = CommandsSince(server.Commands(), before);
    EXPECT_GE(FindCommand(commands, "USER " + server.User()), 0);
    EXPECT_GE(FindCommand(commands, "CWD /sub"), 0);
    EXPECT_EQ(session.SetPwd(), 0);
    EXPECT_EQ(session.m_strCurDir, "/sub");
}

}  // namespace
