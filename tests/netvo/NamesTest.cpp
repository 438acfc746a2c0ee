// Host texts and the names the library writes to locally.
#include "LocalFiles.h"
#include "Socket.h"

#include <gtest/gtest.h>

namespace netvo {
namespace {

TEST(ParseHost, AcceptsTheUsualForms)
{
    struct Case {
        const char* text;
        const char* host;
        int port;
    } cases[] = {
        {"ftp.example.org", "ftp.example.org", 21},
        {"127.0.0.1:2121", "127.0.0.1", 2121},
        {"[::1]:2121", "::1", 2121},
        {"[::1]", "::1", 21},
        {"::1", "::1", 21},
        {"fe80::1:2", "fe80::1:2", 21},
        {" host:65535 ", "host", 65535},
    };
    for (const Case& c : cases) {
        auto endpoint = ParseHost(c.text);
        ASSERT_TRUE(endpoint) << c.text;
        EXPECT_EQ(endpoint->host, c.host);
        EXPECT_EQ(endpoint->port, c.port);
    }
    for (const char* bad : {"", ":21", "host:", "host:0", "host:65536", "host:2x", "[::1", "[::1]x", "[]:21",
                            "a b", "user@host", "host/path", "ho\r\nst"})
        EXPECT_FALSE(ParseHost(bad)) << bad;
}

TEST(LocalNames, ServerNamesAreReducedToTheirLastComponent)
{
    struct Case {
        const char* name;
        const char* safe;
    } cases[] = {
        {"a.txt", "a.txt"},
        {"dir/a.txt", "a.txt"},
        {"../../etc/passwd", "passwd"},
        {"..\\..\\win.ini", "win.ini"},
        {"dir/", "dir"},
        {"..", ""},
        {".", ""},
        {"", ""},
        {"a/..", ""},
        {"/", ""},
        {"..%2f..%2fx", "..%2f..%2fx"},  // no separator in it: an ordinary (odd) name
    };
    for (const Case& c : cases)
        EXPECT_EQ(SafeLastComponent(c.name), c.safe) << c.name;
}

TEST(LocalNames, TargetFollowsTheLocalPath)
{
    Settings s;
    EXPECT_EQ(LocalTarget(s, nullptr, "dir/a.txt"), "a.txt");
    EXPECT_EQ(LocalTarget(s, "b.txt", "a.txt"), "b.txt");
    s.localPath = "/tmp/x";
    EXPECT_EQ(LocalTarget(s, nullptr, "../a.txt"), "/tmp/x/a.txt");
    EXPECT_EQ(LocalTarget(s, "", "a.txt"), "/tmp/x/a.txt");
    EXPECT_EQ(LocalTarget(s, "sub/b.txt", "a.txt"), "/tmp/x/sub/b.txt");
    EXPECT_EQ(LocalTarget(s, "/abs/b.txt", "a.txt"), "/abs/b.txt");
    EXPECT_EQ(LocalTarget(s, nullptr, ".."), "");
}

}  // namespace
}  // namespace netvo
