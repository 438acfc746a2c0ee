// Servers that fail, stall, drop or lie: every case ends in a documented
// code, never a hang, and the handle stays usable or reconnects.
#include "TestSupport.h"

#include <atomic>
#include <filesystem>

namespace {

using namespace netvotest;
namespace fs = std::filesystem;

class Faults : public FtpModeTest {};

TEST_P(Faults, ServerRefusalsComeBackAsTheirCode)
{
    WriteFile(Remote("a.txt"), "a");
    struct Case {
        const char* command;
        int code;
        std::function<int()> call;
    } cases[] = {
        {"RETR", 451, [&] { return ftp_get(h, "a.txt", "a.txt"); }},
        {"RETR", 425, [&] { return ftp_get(h, "a.txt", "a.txt"); }},  // no data connection
        {"APPE", 550, [&] { return ftp_append(h, "a.txt", "b.txt"); }},
        {"STOR", 452, [&] { return ftp_put(h, "a.txt", "b.txt"); }},
        {"CWD", 550, [&] { return ftp_cd(h, "/"); }},
        {"MKD", 521, [&] { return ftp_mkdir(h, "d"); }},
        {"LIST", 450, [&] { return ftp_dir(h, "", "l.txt"); }},
        {"SIZE", 550, [&] { return ftp_GetFileSize(h, "a.txt") == 0 ? 550 : 0; }},
    };
    WriteFile(Local("a.txt"), "local");
    for (const Case& c : cases) {
        srv.FailCommand(c.command, 1, c.code);
        EXPECT_EQ(c.call(), c.code) << c.command;
        EXPECT_NE(LastError().find(std::to_string(c.code)), std::string::npos) << LastError();
        EXPECT_EQ(ftp_noop(h), 0) << c.command;  // still in step
    }
    EXPECT_EQ(ReadFile(Local("a.txt")), "local");
}

TEST_P(Faults, AFolderTheServerCouldNotOpenIsNoEmptyListing)
{
    srv.SetListErrors(testbed::TestFtpServer::ListErrors::Vsftpd);
    EXPECT_EQ(ftp_dir(h, "missing", "l.txt"), 550);
    EXPECT_NE(LastError().find("failed to open directory"), std::string::npos) << LastError();
    fs::create_directories(Remote("empty"));
    EXPECT_EQ(ftp_dir(h, "empty", "l.txt"), 0) << LastError();
    EXPECT_EQ(ftp_noop(h), 0);
}

TEST_P(Faults, DroppedDownloadFailsAndReloginResumes)
{
    const std::string data = BinaryData(4 * 1024 * 1024, 9);
    WriteFile(Remote("d.bin"), data);
    srv.DropAfterBytes("RETR", 1024 * 1024);
    int rc = ftp_get(h, "d.bin", "d.bin");
    EXPECT_TRUE(rc == NETVO_E_CLOSED || rc >= 400) << rc;  // never reported as success
    EXPECT_EQ(ftp_isconnected(h), 0);
    ASSERT_EQ(ftp_relogin(h, srv.User().c_str(), srv.Password().c_str(), ""), 0) << LastError();
    ftp_SetPassive(h, GetParam() ? 1 : 0);
    ASSERT_EQ(ftp_RestartGet(h, "d.bin", "d.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Local("d.bin")), data));
}

TEST_P(Faults, DroppedUploadFailsAndReloginResumes)
{
    const std::string data = BinaryData(4 * 1024 * 1024, 10);
    WriteFile(Local("u.bin"), data);
    srv.DropAfterBytes("STOR", 1024 * 1024);
    int rc = ftp_put(h, "u.bin", "u.bin");
    EXPECT_TRUE(rc == NETVO_E_CLOSED || rc >= 400) << rc;
    ASSERT_EQ(ftp_relogin(h, srv.User().c_str(), srv.Password().c_str(), ""), 0) << LastError();
    ftp_SetPassive(h, GetParam() ? 1 : 0);
    ASSERT_EQ(ftp_RestartPut(h, "u.bin", "u.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Remote("u.bin")), data));
}

std::atomic<int> g_hookCalls{0};
std::atomic<long long> g_abortAfter{-1};
std::atomic<int> g_statusbox{0};

int AbortingHook(int, long long done, long long, int statusbox, void*)
{
    ++g_hookCalls;
    g_statusbox = statusbox;
    return g_abortAfter >= 0 && done >= g_abortAfter ? 1 : 0;
}

TEST_P(Faults, WaitHookSeesProgressAndAbortsATransfer)
{
    // Large and sparse: cheap to make, far longer to send than the abort takes.
    WriteFile(Remote("big.bin"), "");
    fs::resize_file(Remote("big.bin"), 4LL * 1024 * 1024 * 1024);
    g_hookCalls = 0;
    g_abortAfter = 1;
    netvo_setwaithook(AbortingHook, nullptr);
    ftp_statusbox(h, 1);
    // The server's reply is late, so the hook is called while waiting too.
    srv.DelayReplies("RETR", 0.3);
    EXPECT_EQ(ftp_get(h, "big.bin", "big.bin"), NETVO_E_ABORTED);
    g_abortAfter = -1;
    EXPECT_GT(g_hookCalls.load(), 1);
    EXPECT_EQ(g_statusbox.load(), 1);
    EXPECT_LT(fs::file_size(Local("big.bin")), 4LL * 1024 * 1024 * 1024);
    srv.ClearFaults();
    EXPECT_EQ(ftp_noop(h), 0) << LastError();
    WriteFile(Remote("small.txt"), "fine");
    EXPECT_EQ(ftp_get(h, "small.txt", nullptr), 0) << LastError();
    netvo_setwaithook(nullptr, nullptr);
}

TEST_F(FtpTest, DelayedReplyTimesOutWithText)
{
    ftp_setreceivetimeout(h, 1);
    srv.DelayReplies("NOOP", 3);
    EXPECT_EQ(ftp_noop(h), NETVO_E_TIMEOUT);
    std::string error = LastError();
    EXPECT_NE(error.find(srv.HostPort()), std::string::npos) << error;
    EXPECT_NE(error.find("NOOP"), std::string::npos) << error;
    EXPECT_NE(error.find("timed out"), std::string::npos) << error;
    srv.ClearFaults();
    ASSERT_EQ(ftp_relogin(h, srv.User().c_str(), srv.Password().c_str(), ""), 0) << LastError();
    EXPECT_EQ(ftp_noop(h), 0);
}

TEST_F(FtpTest, SilentGreetingTimesOut)
{
    netvo_setdefaulttimeout(1);
    srv.DelayReplies("CONNECT", 3);
    EXPECT_EQ(ftp_open(srv.HostPort().c_str()), NETVO_E_TIMEOUT);
    netvo_setdefaulttimeout(0);
}

TEST_F(FtpTest, ServerClosingIsNoticedWithoutACommand)
{
    WriteFile(Remote("x.bin"), BinaryData(1024 * 1024));
    srv.DropAfterBytes("RETR", 1000);
    EXPECT_NE(ftp_get(h, "x.bin", nullptr), 0);
    EXPECT_EQ(ftp_isconnected(h), 0);
    int other = Login(srv);
    EXPECT_NE(ftp_isconnected(other), 0);
    netvo_release(other);
}

TEST_F(FtpTest, ForeignPasvAddressIsIgnored)
{
    srv.RefuseEpsv(true);
    srv.ForeignPasvAddress(true);
    WriteFile(Remote("f.txt"), "via the peer");
    ASSERT_EQ(ftp_get(h, "f.txt", nullptr), 0) << LastError();
    EXPECT_EQ(ReadFile(Local("f.txt")), "via the peer");
}

TEST_F(FtpTest, RefusedEpsvFallsBackToPasvOnce)
{
    srv.RefuseEpsv(true);
    WriteFile(Remote("e.txt"), "e");
    ASSERT_EQ(ftp_get(h, "e.txt", nullptr), 0) << LastError();
    ASSERT_EQ(ftp_get(h, "e.txt", "e2.txt"), 0) << LastError();
    auto commands = srv.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "EPSV"), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "PASV"), 2);
}

TEST_F(FtpTest, ActiveModeOnAFixedDataPort)
{
    int port = FreePort();
    ftp_SetPassive(h, 0);
    ftp_SetDataPort(h, port);
    WriteFile(Remote("p.txt"), "port");
    ASSERT_EQ(ftp_get(h, "p.txt", nullptr), 0) << LastError();
    auto commands = srv.Commands();
    std::string expected = "PORT 127,0,0,1," + std::to_string(port / 256) + "," + std::to_string(port % 256);
    EXPECT_NE(std::find(commands.begin(), commands.end(), expected), commands.end());
}

INSTANTIATE_TEST_SUITE_P(Modes, Faults, ::testing::Bool(), ModeName);

}  // namespace
