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

// mget patterns count characters: "?" is one UTF-8 character, not a byte,
// and bytes that are not UTF-8 count one each.
TEST(LocalNames, WildcardsMatchCharactersAsFnmatchDoes)
{
    const struct {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"gr?n.txt", "gr\u00fcn.txt", true},            // u-umlaut: two bytes
        {"gr??n.txt", "gr\u00fcn.txt", false},
        {"gr?n.txt", "grn.txt", false},
        {"?.png", "\U0001F600.png", true},              // four bytes
        {"*.txt", "gr\u00fcn.txt", true},
        {"*a*b*c", "xaybzc", true},                      // going back over stars
        {"*a*b*c", "xaybz", false},
        {"", "", true},
        {"*", "", true},
        {"?", "", false},
        {"[\u00e0-\u00fc]rger", "\u00e4rger", true},  // a range of characters
        {"[a-z]rger", "\u00e4rger", false},
        {"[!a]bc", "\u00e4bc", true},
        {"[^\u00e4]bc", "\u00e4bc", false},
        {"[]]", "]", true},                              // ']' first is literal
        {"[!]]", "a", true},
        {"a[b", "a[b", true},                            // no closing bracket
        {"\\*", "*", true},                            // backslash escape
        {"\\*", "a", false},
        {"[\\]]", "]", true},
        {"[[:digit:]]x", "5x", true},
        {"[[:alpha:]]", "\u00e9", false},               // classes are ASCII only
        {"?", "\xe4", true},                            // Latin-1: one byte, one character
        {"a\xe4?", "a\xe4" "b", true},
        {"?", "\xc0\xaf", false},                      // overlong: two bytes
        {"??", "\xc0\xaf", true},
        {"\xc3?", "\xc3\xbc", false},                 // a lone lead byte is not half of a character
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << "'" << c.pattern << "' '" << c.name << "'";
}

}  // namespace
}  // namespace netvo
