// Connecting, logging in and out, and the commands without data transfer.
#include "TestSupport.h"

#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace netvotest;
namespace fs = std::filesystem;

std::string Reply(int h)
{
    char buf[1024];
    return ftp_copyreplystr(h, buf, sizeof buf) > 0 ? std::string(buf) : std::string();
}

TEST_F(FtpTest, OpensEveryHostFormAndReadsTheGreeting)
{
    for (std::string host : {srv.HostPort(), "[127.0.0.1]:" + std::to_string(srv.Port()),
                             "localhost:" + std::to_string(srv.Port())}) {
        int other = ftp_open(host.c_str());
        ASSERT_GT(other, 0) << host << ": " << LastError();
        EXPECT_NE(other, h);
        EXPECT_NE(Reply(other).find("220"), std::string::npos);
        netvo_release(other);
    }
    int byPort = ftp_openport("127.0.0.1", srv.Port());
    ASSERT_GT(byPort, 0) << LastError();
    netvo_release(byPort);
}

TEST(Open, FailsCleanlyWithoutAServer)
{
    int port = FreePort();  // nothing listens there
    EXPECT_EQ(ftp_openport("127.0.0.1", port), NETVO_E_CONNECT);
    EXPECT_NE(LastError().find("127.0.0.1:" + std::to_string(port)), std::string::npos) << LastError();
    EXPECT_EQ(ftp_open("bad host"), NETVO_E_BADARG);
    EXPECT_EQ(ftp_open(nullptr), NETVO_E_BADARG);
}

TEST_F(FtpTest, WrongPasswordReturnsTheServerCode)
{
    int other = ftp_open(srv.HostPort().c_str());
    ASSERT_GT(other, 0);
    EXPECT_EQ(ftp_relogin(other, srv.User().c_str(), "wrong", ""), 530);
    std::string error = LastError();
    EXPECT_NE(error.find("530"), std::string::npos) << error;
    EXPECT_EQ(error.find("wrong"), std::string::npos) << "password leaked: " << error;
    EXPECT_EQ(ftp_relogin(other, srv.User().c_str(), srv.Password().c_str(), ""), 0) << LastError();
    netvo_release(other);
}

// The login's reply is the last reply, whatever the library sends on its
// own afterwards; TYPE goes out with the first transfer, or when asked for.
TEST_F(FtpTest, LoginKeepsItsReplyLastAndLeavesTypeToTheFirstTransfer)
{
    WriteFile(Remote("t.txt"), "x");
    ASSERT_EQ(ftp_relogin(h, srv.User().c_str(), srv.Password().c_str(), ""), 0) << LastError();
    EXPECT_EQ(Reply(h).substr(0, 4), "230 ") << Reply(h);
    const size_t mark = srv.Commands().size();
    ASSERT_EQ(ftp_get(h, "t.txt", "t.txt"), 0) << LastError();
    ASSERT_EQ(ftp_setascii(h), 0);
    EXPECT_EQ(Reply(h).substr(0, 4), "200 ") << Reply(h);
    const auto commands = srv.Commands();
    auto at = [&](const std::string& c) { return std::find(commands.begin(), commands.end(), c) - commands.begin(); };
    // Two logins (the fixture's and ours), both with FEAT and OPTS, no TYPE.
    for (size_t i = 0; i < mark; ++i)
        EXPECT_NE(commands[i].substr(0, 5), "TYPE ") << i;
    EXPECT_LT(at("OPTS UTF8 ON"), static_cast<long>(mark));
    EXPECT_GE(at("TYPE I"), static_cast<long>(mark));
    EXPECT_LT(at("TYPE I"), at("RETR t.txt"));
    EXPECT_EQ(commands.back(), "TYPE A");  // an explicit switch is sent
}

TEST_F(FtpTest, QuitAndLogoutKeepTheHandleForRelogin)
{
    for (auto close : {ftp_quit, ftp_Logout}) {
        ASSERT_EQ(close(h), 0);
        EXPECT_EQ(ftp_isconnected(h), 0);
        EXPECT_EQ(ftp_noop(h), NETVO_E_NOTCONNECTED);
        ASSERT_EQ(ftp_relogin(h, srv.User().c_str(), srv.Password().c_str(), ""), 0) << LastError();
        EXPECT_NE(ftp_isconnected(h), 0);
        EXPECT_EQ(ftp_noop(h), 0);
    }
}

TEST_F(FtpTest, FolderCommands)
{
    char buf[1024];
    ASSERT_EQ(ftp_pwd(h, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "/");
    ASSERT_EQ(ftp_mkdir(h, "dir \"q\""), 0) << LastError();
    ASSERT_EQ(ftp_cd(h, "dir \"q\""), 0);
    ASSERT_EQ(ftp_pwd(h, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "/dir \"q\"");  // the doubled quotes of the 257 undone
    char tiny[4];
    EXPECT_EQ(ftp_pwd(h, tiny, sizeof tiny), NETVO_E_BADARG);
    ASSERT_EQ(ftp_cdup(h), 0);
    EXPECT_EQ(ftp_cd(h, "missing"), 550);
    EXPECT_EQ(ftp_rmdir(h, "dir \"q\""), 0);
    EXPECT_FALSE(fs::exists(Remote("dir \"q\"")));
}

TEST_F(FtpTest, FileCommands)
{
    WriteFile(Remote("a.txt"), "abc");
    EXPECT_EQ(ftp_rename(h, "a.txt", "b.txt"), 0) << LastError();
    EXPECT_TRUE(fs::exists(Remote("b.txt")));
    EXPECT_EQ(ftp_rename(h, "a.txt", "c.txt"), 550);
    EXPECT_EQ(ftp_delete(h, "b.txt"), 0);
    EXPECT_EQ(ftp_delete(h, "b.txt"), 550);
    EXPECT_EQ(ftp_noop(h), 0);
    EXPECT_NE(ftp_site(h, "NOSUCH"), 0);
}

TEST_F(FtpTest, NamesWithLineBreaksAreRefused)
{
    for (const char* bad : {"a\r\nDELE x", "a\nb", "a\rb"}) {
        EXPECT_EQ(ftp_cd(h, bad), NETVO_E_BADARG);
        EXPECT_EQ(ftp_delete(h, bad), NETVO_E_BADARG);
        EXPECT_EQ(ftp_get(h, bad, "x"), NETVO_E_BADARG);
        EXPECT_EQ(ftp_rename(h, "a", bad), NETVO_E_BADARG);
        char buf[64];
        EXPECT_EQ(ftp_quote(h, bad, buf, sizeof buf), NETVO_E_BADARG);
    }
    for (const std::string& c : srv.Commands())
        EXPECT_EQ(c.find("DELE"), std::string::npos) << c;
}

TEST_F(FtpTest, QuoteReturnsZeroOrTheNegativeCode)
{
    char buf[1024];
    EXPECT_EQ(ftp_quote(h, "NOOP", buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf).substr(0, 3), "200");
    EXPECT_EQ(ftp_quote(h, "MKD d", buf, sizeof buf), 0);
    EXPECT_EQ(ftp_quote(h, "RMD nothing", buf, sizeof buf), 550);
    EXPECT_EQ(std::string(buf).substr(0, 3), "550");
    char small[8];
    EXPECT_EQ(ftp_quote(h, "HELP", small, sizeof small), 0);  // multi-line, cut safely
    EXPECT_EQ(std::string(small).size(), 7u);
    EXPECT_NE(Reply(h).find("\r\n"), std::string::npos);  // the whole multi-line reply is kept
}

TEST_F(FtpTest, ExistsForFilesAndFolders)
{
    WriteFile(Remote("f.txt"), "x");
    fs::create_directory(Remote("sub"));
    EXPECT_EQ(ftp_Exists(h, "f.txt"), 1);
    EXPECT_EQ(ftp_Exists(h, "sub"), 1);
    EXPECT_EQ(ftp_Exists(h, "none"), 0);
    char buf[1024];
    ASSERT_EQ(ftp_pwd(h, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "/");  // a CWD test (if any) went back
}

TEST_F(FtpTest, SizesPastFourGigabytesAndDates)
{
    {
        WriteFile(Remote("big.bin"), "");
        fs::resize_file(Remote("big.bin"), 5LL * 1024 * 1024 * 1024 + 7);  // sparse
    }
    EXPECT_EQ(ftp_GetFileSize(h, "big.bin"), 5LL * 1024 * 1024 * 1024 + 7);
    EXPECT_EQ(ftp_GetFileSize(h, "none"), 0);
    ASSERT_EQ(ftp_setascii(h), 0);
    EXPECT_EQ(ftp_GetFileSize(h, "big.bin"), 5LL * 1024 * 1024 * 1024 + 7);  // asked in binary

    struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}};  // 2023-11-14 22:13:20 UTC
    ASSERT_EQ(::utimensat(AT_FDCWD, Remote("big.bin").c_str(), times, 0), 0);
    char stamp[32];
    ASSERT_EQ(ftp_GetFileDateTime(h, "big.bin", stamp, sizeof stamp, ""), 0) << LastError();
    EXPECT_STREQ(stamp, "20231114221320");
    EXPECT_EQ(ftp_GetFileDateTime(h, "none", stamp, sizeof stamp, ""), 550);
}

}  // namespace
