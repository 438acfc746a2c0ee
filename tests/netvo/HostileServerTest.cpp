// Servers that send what no test-bed server would: garbage, cut replies,
// hostile file names. A scripted loopback server plays them.
#include "TestSupport.h"

#include <filesystem>
#include <set>

namespace {

using namespace netvotest;
namespace fs = std::filesystem;

TEST(HostileServer, GarbageAndCutRepliesGiveErrorCodes)
{
    struct Case {
        std::string greeting;
        int expected;
    } cases[] = {
        {std::string(1024 * 1024, 'x') + "\r\n", NETVO_E_PROTOCOL},  // a 1 MB line
        {"hello there\r\n", NETVO_E_PROTOCOL},
        {"220-never finished\r\n220", NETVO_E_CLOSED},
        {"421 Too many users\r\n", NETVO_E_REFUSED},
        {std::string("\0\xff\xfe\r\n", 5), NETVO_E_PROTOCOL},
    };
    for (const Case& c : cases) {
        ScriptedServer server;
        server.greeting = c.greeting;
        EXPECT_EQ(ftp_open(server.HostPort().c_str()), c.expected) << c.greeting.substr(0, 20);
    }
}

TEST(HostileServer, ReplyCutMidwayDuringLogin)
{
    ScriptedServer server;
    server.rawReplies["PASS"] = "230-Welcome\r\n230-still";  // then the server goes away
    int h = ftp_open(server.HostPort().c_str());
    ASSERT_GT(h, 0) << LastError();
    EXPECT_EQ(ftp_relogin(h, "u", "p", ""), NETVO_E_CLOSED);
    EXPECT_EQ(ftp_isconnected(h), 0);
    netvo_release(h);
}

TEST(HostileServer, UnsolicitedClosingReplyMeansDisconnected)
{
    ScriptedServer server;
    server.greeting = "220 hi\r\n421 Service shutting down\r\n";
    int h = ftp_open(server.HostPort().c_str());
    ASSERT_GT(h, 0) << LastError();
    EXPECT_EQ(ftp_isconnected(h), 0);
    netvo_release(h);
}

TEST(HostileServer, BadPassiveRepliesAreProtocolErrors)
{
    ScriptedServer server;
    server.rawReplies["EPSV"] = "229 Entering Extended Passive Mode (|||99999|)\r\n";
    int h = ftp_open(server.HostPort().c_str());
    ASSERT_GT(h, 0);
    ASSERT_EQ(ftp_relogin(h, "u", "p", ""), 0) << LastError();
    TempFolder local;
    ftp_SetLocalPath(h, local.Path().c_str());
    EXPECT_EQ(ftp_get(h, "a", nullptr), NETVO_E_PROTOCOL);
    EXPECT_TRUE(fs::is_empty(local.Path()));
    netvo_release(h);
}

TEST(PlainServer, ExistsFallsBackToChangingFolderAndBack)
{
    // A server without MLST and SIZE: only a CWD there (and back) can tell.
    for (bool present : {true, false}) {
        ScriptedServer server;
        server.rawReplies["PWD"] = "257 \"/home\" is current\r\n";
        server.rawReplies["CWD"] = present ? "250 ok\r\n" : "550 no such folder\r\n";
        int h = ftp_open(server.HostPort().c_str());
        ASSERT_GT(h, 0);
        ASSERT_EQ(ftp_relogin(h, "u", "p", ""), 0) << LastError();
        EXPECT_EQ(ftp_Exists(h, "sub"), present ? 1 : 0);
        char reply[256];
        ftp_copyreplystr(h, reply, sizeof reply);
        EXPECT_EQ(std::string(reply), present ? "250 ok" : "550 no such folder");
        netvo_release(h);
    }
    // A refused PWD leaves the question open: that is no "yes".
    ScriptedServer server;
    server.rawReplies["PWD"] = "550 not allowed\r\n";
    server.rawReplies["CWD"] = "250 ok\r\n";
    int h = ftp_open(server.HostPort().c_str());
    ASSERT_GT(h, 0);
    ASSERT_EQ(ftp_relogin(h, "u", "p", ""), 0) << LastError();
    EXPECT_EQ(ftp_Exists(h, "sub"), 0);
    netvo_release(h);
}

class HostileNames : public ::testing::TestWithParam<bool> {};

TEST_P(HostileNames, MgetNeverWritesOutsideTheLocalFolder)
{
    ScriptedServer server(GetParam());
    server.nameList =
        "../evil.txt\r\n/tmp/netvo-abs.txt\r\n..\r\n.\r\n\r\nsub/ok.txt\r\n..\\..\\win.txt\r\ngood.txt\r\n"
        "dir/..\r\n";
    for (const char* name : {"../evil.txt", "/tmp/netvo-abs.txt", "sub/ok.txt", "..\\..\\win.txt", "good.txt", "..",
                             ".", "dir/.."})
        server.files[name] = std::string("from ") + name;
    TempFolder outer;
    fs::path local = outer.Path() / "local";
    fs::create_directory(local);
    int h = ftp_open(server.HostPort().c_str());
    ASSERT_GT(h, 0) << LastError();
    ASSERT_EQ(ftp_relogin(h, "u", "p", ""), 0) << LastError();
    ftp_SetLocalPath(h, local.c_str());
    EXPECT_EQ(ftp_mget(h, "*"), 0) << LastError();
    std::set<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(outer.Path()))
        written.insert(fs::relative(entry.path(), outer.Path()).string());
    EXPECT_EQ(written, (std::set<std::string>{"local", "local/evil.txt", "local/netvo-abs.txt", "local/ok.txt",
                                              "local/win.txt", "local/good.txt"}));
    EXPECT_EQ(ReadFile(local / "evil.txt"), "from ../evil.txt");
    EXPECT_FALSE(fs::exists("/tmp/netvo-abs.txt"));
    netvo_release(h);
}

INSTANTIATE_TEST_SUITE_P(Family, HostileNames, ::testing::Bool(),
                         [](const auto& info) { return info.param ? std::string("IPv6") : std::string("IPv4"); });

}  // namespace
