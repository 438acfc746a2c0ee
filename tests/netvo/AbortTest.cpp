// Abandoned transfers and refused copies: the cleanup after ABOR is short
// whatever the server answers (two replies, one, or only late), and the
// handles stay connected and in step.
#include "TestSupport.h"

#include <atomic>
#include <chrono>
#include <filesystem>

namespace {

using namespace netvotest;
using Clock = std::chrono::steady_clock;
using AbortStyle = testbed::TestFtpServer::AbortStyle;
namespace fs = std::filesystem;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string Pwd(int handle)
{
    char dir[256] = "";
    return ftp_pwd(handle, dir, sizeof dir) == 0 ? std::string(dir) : "failed: " + LastError();
}

// Set to abort the running call from a moment on.
std::atomic<Clock::rep> g_abortFrom{Clock::time_point::max().time_since_epoch().count()};

int AbortWhenAsked(int, long long, long long, int, void*)
{
    return Clock::now().time_since_epoch().count() >= g_abortFrom ? 1 : 0;
}

TEST_F(FtpTest, AnAbandonedTransferReturnsPromptlyWhateverTheServerAnswersToAbor)
{
    const std::string data = BinaryData(4 * 1024 * 1024, 31);
    WriteFile(Remote("big.bin"), data);
    WriteFile(Local("big.bin"), data);
    WriteFile(Remote("small.txt"), "in step");
    const auto closeEarly = [&] {
        char buffer[65536];
        if (ftp_openreadforget(h, "big.bin") != 0 || ftp_readdata(h, buffer, sizeof buffer) <= 0)
            return -100;
        return ftp_closeread(h);
    };
    const auto abortUpload = [&] {
        g_abortFrom = (Clock::now() + std::chrono::milliseconds(300)).time_since_epoch().count();
        return ftp_put(h, "big.bin", "up.bin");
    };
    struct Case {
        const char* what;
        AbortStyle style;
        std::function<int()> abandon;
        int code;
    } cases[] = {
        {"426 then 226, read stream closed early", AbortStyle::Normal, closeEarly, 0},
        {"one 226 (pure-ftpd), read stream closed early", AbortStyle::Single, closeEarly, 0},
        {"426 then 226, upload aborted by the hook", AbortStyle::Normal, abortUpload, NETVO_E_ABORTED},
        {"one 226 (pure-ftpd), upload aborted by the hook", AbortStyle::Single, abortUpload, NETVO_E_ABORTED},
    };
    netvo_setwaithook(AbortWhenAsked, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        srv.ClearFaults();
        srv.SetAbortStyle(c.style);
        srv.Throttle(100000);  // the transfer is still running when it is abandoned
        const auto start = Clock::now();
        EXPECT_EQ(c.abandon(), c.code) << LastError();
        EXPECT_LT(SecondsSince(start), 1.0);
        g_abortFrom = Clock::time_point::max().time_since_epoch().count();
        // In step: each command gets its own reply, not a leftover.
        EXPECT_EQ(ftp_isconnected(h), 1);
        EXPECT_EQ(Pwd(h), "/");
        EXPECT_EQ(ftp_get(h, "small.txt", "small.txt"), 0) << LastError();
        EXPECT_EQ(ReadFile(Local("small.txt")), "in step");
        EXPECT_EQ(Pwd(h), "/");
    }
    netvo_setwaithook(nullptr, nullptr);
}

class RefusedCopy : public TwoServerTest {};

TEST_F(RefusedCopy, BothHandlesStayConnectedAndInStep)
{
    // The destination already has STOR (and a data connection to the
    // source) when the source refuses RETR.
    WriteFile(Remote("src.txt"), "copied after all");
    fs::create_directory(other.Root() / "sub");
    struct Case {
        const char* what;
        std::function<void()> arm;
    } cases[] = {
        {"destination reads no command while it receives (vsftpd)",
         [&] { other.SetAbortStyle(AbortStyle::Late); }},
        {"destination answers ABOR later than the cleanup waits", [&] { other.DelayReplies("ABOR", 4); }},
        {"source keeps its passive port after ABOR (pure-ftpd), destination is vsftpd",
         [&] {
             srv.SetAbortStyle(AbortStyle::Single);
             other.SetAbortStyle(AbortStyle::Late);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        srv.ClearFaults();
        other.ClearFaults();
        ASSERT_EQ(ftp_cd(dest, "/"), 0) << LastError();
        c.arm();
        srv.FailCommand("RETR", 1, 550);
        const auto start = Clock::now();
        EXPECT_EQ(ftp_RemotePut(h, dest, "src.txt", "dst.txt", 1, 0), 550);
        EXPECT_LT(SecondsSince(start), 3.0);
        EXPECT_NE(LastError().find("RETR src.txt: 550"), std::string::npos) << LastError();
        EXPECT_EQ(ftp_isconnected(h), 1);
        EXPECT_EQ(ftp_isconnected(dest), 1);
        // Late answers to the abort are dropped, not taken for these replies.
        EXPECT_EQ(Pwd(h), "/");
        EXPECT_EQ(Pwd(dest), "/");
        EXPECT_EQ(ftp_cd(dest, "sub"), 0) << LastError();
        EXPECT_EQ(Pwd(dest), "/sub");
        ASSERT_EQ(ftp_RemotePut(h, dest, "src.txt", "dst.txt", 1, 0), 0) << LastError();
        EXPECT_EQ(ReadFile(other.Root() / "sub" / "dst.txt"), "copied after all");
    }
}

}  // namespace
