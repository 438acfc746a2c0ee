// The script library's build of the session: the unique modes it records,
// also across a reconnection.
#include "FtpSession.h"
#include "SessionTestSupport.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

using sessiontest::CommandsSince;
using sessiontest::FindCommand;
using sessiontest::TraceCapture;
using sessiontest::WriteFile;

namespace {

class SessionMarloTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/session-marlo-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        local = pattern;
        ASSERT_EQ(session.Login(server.HostPort(), server.User(), server.Password(), "", false, false), 0);
    }
    void TearDown() override { std::filesystem::remove_all(local); }

    testbed::TestFtpServer server;
    TraceCapture trace;
    CSession session;
    std::filesystem::path local;
};

TEST_F(SessionMarloTest, UniqueModesAreRecordedAndTraced)
{
    EXPECT_EQ(session.SetLocalUnique(true), 0);
    EXPECT_TRUE(session.m_bLocalUnique);
    EXPECT_TRUE(trace.Has("SetLocalUnique: bFlag = True, cc = 0"));
    EXPECT_EQ(session.SetLocalUnique(false), 0);
    EXPECT_FALSE(session.m_bLocalUnique);
    EXPECT_TRUE(trace.Has("SetLocalUnique: bFlag = False, cc = 0"));

    EXPECT_EQ(session.SetStoreUnique(true), 0);
    EXPECT_TRUE(session.m_bStoreUnique);
    EXPECT_TRUE(trace.Has("SetStoreUnique: bFlag = True, cc = 0"));

    CSession offline;
    EXPECT_NE(offline.SetStoreUnique(true), 0);
    EXPECT_FALSE(offline.m_bStoreUnique);
}

// A reconnection must not switch the unique modes off: the library keeps a
// handle's modes through a new login on it.
TEST_F(SessionMarloTest, UniqueModesSurviveAReconnection)
{
    WriteFile(server.Root() / "big.bin", std::string(64 * 1024, 'x'));
    WriteFile(local / "keep.txt", "local data");
    ASSERT_EQ(session.SetStoreUnique(true), 0);
    ASSERT_EQ(session.SetLocalUnique(true), 0);

    server.DropAfterBytes("RETR", 1000);
    EXPECT_NE(session.GetFile("/big.bin", (local / "cut.bin").string(), TransferAuto), 0);
    ASSERT_EQ(session.CheckConnection(), 0);
    EXPECT_TRUE(session.m_bStoreUnique);
    EXPECT_TRUE(session.m_bLocalUnique);

    const size_t before = server.Commands().size();
    EXPECT_EQ(session.PutFile((local / "keep.txt").string(), "keep.txt", TransferAuto), 0);
    const auto commands = CommandsSince(server.Commands(), before);
    EXPECT_GE(FindCommand(commands, "STOU"), 0);
    EXPECT_EQ(FindCommand(commands, "STOR"), -1);

    // The download must not overwrite the local file of the same name.
    EXPECT_EQ(session.GetFile("/big.bin", (local / "keep.txt").string(), TransferAuto), 0);
    EXPECT_TRUE(sessiontest::ReadFile(local / "keep.txt") == "local data");
}

}  // namespace

// After a rebuild that failed, the session has no handle; logging in again
// opens a new connection and brings back the folder and the modes, the
// unique ones included, which a new handle does not have.
TEST_F(SessionMarloTest, LoginAgainRestoresTheLostConnection)
{
    std::filesystem::create_directories(server.Root() / "sub");
    WriteFile(local / "keep.txt", "local data");
    ASSERT_EQ(session.Cd("/sub", true), 0);
    ASSERT_EQ(session.SetBinary(), 0);
    ASSERT_EQ(session.SetStoreUnique(true), 0);
    session.Disconnect();  // what a failed rebuild leaves behind
    ASSERT_EQ(session.m_nFtpHandle, 0);

    const size_t before = server.Commands().size();
    EXPECT_EQ(session.LoginAgain(), 0);
    EXPECT_GT(session.m_nFtpHandle, 0);
    EXPECT_EQ(session.m_strCurDir, "/sub");
    EXPECT_EQ(session.PutFile((local / "keep.txt").string(), "keep.txt", TransferAuto), 0);
    const auto commands = CommandsSince(server.Commands(), before);
    EXPECT_GE(FindCommand(commands, "CWD /sub"), 0);
    EXPECT_GE(FindCommand(commands, "TYPE I"), 0);
    EXPECT_GE(FindCommand(commands, "STOU"), 0);

    CSession never;
    EXPECT_EQ(never.LoginAgain(), -99);
}
