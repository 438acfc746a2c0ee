// The calls without a handle: local files, addresses, ping; and what every
// handle call does with a handle it does not know.
#include "netvo32.h"

#include "TestSupport.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(LocalHelpers, FilesAndFolders)
{
    netvotest::TempFolder dir;
    fs::path file = dir.Path() / "a.txt";
    std::ofstream(file) << "x";
    EXPECT_EQ(f_getfileattr(dir.Path().c_str()), f_fileattr_subdir());
    EXPECT_NE(f_getfileattr(file.c_str()), f_fileattr_subdir());
    EXPECT_EQ(f_getfileattr((dir.Path() / "none").c_str()), NETVO_FATTR_MISSING);

    fs::path moved = dir.Path() / "b.txt";
    EXPECT_EQ(f_rename(file.c_str(), moved.c_str()), 0);
    EXPECT_NE(f_rename(file.c_str(), moved.c_str()), 0);
    EXPECT_EQ(f_deletefile(moved.c_str()), 0);
    EXPECT_NE(f_deletefile(moved.c_str()), 0);
    fs::create_directory(dir.Path() / "sub");
    EXPECT_EQ(f_rmdir((dir.Path() / "sub").c_str()), 0);
    EXPECT_NE(f_rmdir((dir.Path() / "sub").c_str()), 0);
}

TEST(LocalHelpers, ChangesAndReportsTheCurrentFolder)
{
    netvotest::TempFolder dir;
    fs::path before = fs::current_path();
    ASSERT_EQ(ftp_lcd(dir.Path().c_str()), 0);
    char buf[512];
    ASSERT_EQ(f_getcwd(buf, 511), 0);
    EXPECT_EQ(fs::path(buf), fs::canonical(dir.Path()));
    char tiny[2];
    EXPECT_NE(f_getcwd(tiny, sizeof tiny), 0);
    EXPECT_NE(ftp_lcd((dir.Path() / "missing").c_str()), 0);
    fs::current_path(before);
}

TEST(NetTools, Addresses)
{
    char buf[20];
    ASSERT_EQ(f_GetMyIpAddress(buf, sizeof buf), 0);
    EXPECT_GT(std::string(buf).size(), 6u);
    ASSERT_EQ(f_GetIpAddress("127.0.0.1", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "127.0.0.1");
    ASSERT_EQ(f_GetIpAddress("localhost", buf, sizeof buf), 0);
    EXPECT_TRUE(std::string(buf) == "127.0.0.1" || std::string(buf) == "::1") << buf;
    ASSERT_EQ(f_GetIpAddress("::1", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "::1");
    // An address that does not fit is refused, never cut short.
    char small[8];
    EXPECT_NE(f_GetIpAddress("127.0.0.1", small, sizeof small), 0);
    EXPECT_STREQ(small, "");
    EXPECT_NE(f_GetIpAddress("", buf, sizeof buf), 0);
}

TEST(NetTools, QuickPingOnLoopback)
{
    // Needs an ICMP socket: unprivileged where the system allows it, else root.
    if (geteuid() != 0) {
        GTEST_SKIP() << "no ICMP socket without root here";
    }
    EXPECT_TRUE(f_QuickPing("127.0.0.1", 1000));
    EXPECT_TRUE(f_QuickPing("::1", 1000));
    EXPECT_FALSE(f_QuickPing("", 100));
}

TEST(Handles, UnknownHandlesFailWithoutSideEffects)
{
    char buf[64] = "unchanged";
    for (int h : {0, -1, 999999}) {
        EXPECT_EQ(ftp_noop(h), NETVO_E_BADHANDLE);
        EXPECT_EQ(ftp_cd(h, "x"), NETVO_E_BADHANDLE);
        EXPECT_EQ(ftp_get(h, "a", "b"), NETVO_E_BADHANDLE);
        EXPECT_EQ(ftp_relogin(h, "u", "p", ""), NETVO_E_BADHANDLE);
        EXPECT_EQ(ftp_readdata(h, buf, sizeof buf), NETVO_E_BADHANDLE);
        EXPECT_EQ(ftp_isconnected(h), 0);
        EXPECT_EQ(ftp_Exists(h, "a"), 0);
        EXPECT_EQ(ftp_GetFileSize(h, "a"), 0);
        EXPECT_EQ(ftp_RemotePut(h, h + 1, "a", "b", 1, 0), NETVO_E_BADHANDLE);
    }
    char text[256];
    ASSERT_GT(ftp_lasterror(text, sizeof text), 0);
    EXPECT_NE(std::string(text).find("unknown connection handle"), std::string::npos);
    EXPECT_STREQ(netvo_strerror(NETVO_E_TIMEOUT), "timed out");
}

}  // namespace
