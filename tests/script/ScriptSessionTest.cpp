// Named sessions, copies between two test-bed servers, and test quit.
#include "ScriptServerTest.h"
#include "ServerConnections.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace scripttest {
namespace {

class SessionTest : public ScriptServerTest {
protected:
    // LOGIN2 logs in to the second server; LOGIN, LOCAL as for every script.
    int RunTwo(std::string text)
    {
        const std::string login = "login " + second.HostPort() + " " + second.User() + " " + second.Password();
        for (size_t at = text.find("LOGIN2"); at != std::string::npos; at = text.find("LOGIN2", at + login.size()))
            text.replace(at, 6, login);
        return Run(text);
    }

    int CountOn(const testbed::TestFtpServer& on, size_t mark, const std::string& prefix) const
    {
        const std::vector<std::string> all = on.Commands();
        int count = 0;
        for (size_t i = mark; i < all.size(); ++i)
            count += all[i].rfind(prefix, 0) == 0 ? 1 : 0;
        return count;
    }

    testbed::TestFtpServer second;
};

// A line without a name works on "#0", whatever the line before named.
TEST_F(SessionTest, PrefixesChooseTheSession)
{
    WriteFile(Remote("a.txt"), "a");
    EXPECT_EQ(Run("echo on\n#1 LOGIN\nget a.txt \"LOCAL/a.txt\"\n"), -99);
    EXPECT_NE(ClientText().find("C> Session not login yet, check your syntax.\r\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Local("a.txt")));
    EXPECT_EQ(Run("#1 LOGIN\n#1 get a.txt \"LOCAL/a.txt\"\n"), 0);
    EXPECT_EQ(ReadFile(Local("a.txt")), "a");
    // Names compare exactly.
    EXPECT_EQ(Run("#a LOGIN\n#A pwd\n"), -99);
}

// The first session named is the source, the second the destination; the
// bytes arrive unchanged.
TEST_F(SessionTest, RemotePutCopiesBetweenTwoServers)
{
    const std::string data = Pattern(300000);
    WriteFile(Remote("src.bin"), data);
    const size_t mark1 = Mark();
    const size_t mark2 = second.Commands().size();
    EXPECT_EQ(RunTwo("#1 LOGIN\n#2 LOGIN2\n#1 remote put #1 #2 src.bin dst.bin\n"), 0);
    EXPECT_TRUE(ReadFile(second.Root() / "dst.bin") == data);
    EXPECT_EQ(CountOn(server, mark1, "RETR src.bin"), 1);
    EXPECT_EQ(CountOn(second, mark2, "STOR dst.bin"), 1);
    EXPECT_EQ(CountOn(server, mark1, "TYPE I"), 1);  // binary on both sides
    EXPECT_EQ(CountOn(second, mark2, "TYPE I"), 1);

    // The other way round, from the second server back to the first, with
    // the library's name for the destination.
    WriteFile(second.Root() / "back.bin", data.substr(0, 1000));
    EXPECT_EQ(RunTwo("#1 LOGIN\n#2 LOGIN2\n#2 remote put #2 #1 back.bin\n"), 0);
    EXPECT_TRUE(ReadFile(Remote("back.bin")) == data.substr(0, 1000));
}

TEST_F(SessionTest, RemoteAppendAndRestart)
{
    const std::string data = Pattern(200000);
    WriteFile(Remote("src.bin"), data);
    WriteFile(second.Root() / "log.bin", "head");
    EXPECT_EQ(RunTwo("#1 LOGIN\n#2 LOGIN2\n#1 remote append #1 #2 src.bin log.bin\n"), 0);
    EXPECT_TRUE(ReadFile(second.Root() / "log.bin") == "head" + data);

    // restart remote put resumes from the destination's size.
    WriteFile(second.Root() / "part.bin", data.substr(0, 70000));
    size_t mark = Mark();
    EXPECT_EQ(RunTwo("#1 LOGIN\n#2 LOGIN2\n#1 restart remote put #1 #2 src.bin part.bin\n"), 0);
    EXPECT_TRUE(ReadFile(second.Root() / "part.bin") == data);
    EXPECT_EQ(CountOn(server, mark, "REST 70000"), 1);

    // An offset given resumes there, on both sides.
    WriteFile(second.Root() / "at.bin", data.substr(0, 1000));
    mark = Mark();
    EXPECT_EQ(RunTwo("#1 LOGIN\n#2 LOGIN2\n#1 remote put #1 #2 src.bin at.bin @ 1000\n"), 0);
    EXPECT_TRUE(ReadFile(second.Root() / "at.bin") == data);
    EXPECT_EQ(CountOn(server, mark, "REST 1000"), 1);

    // An append that restarts sends the rest of the source from the offset.
    WriteFile(second.Root() / "tail.bin", "x");
    EXPECT_EQ(RunTwo("#1 LOGIN\n#2 LOGIN2\n#1 restart remote append #1 #2 src.bin tail.bin @ 199990\n"), 0);
    EXPECT_EQ(ReadFile(second.Root() / "tail.bin"), "x" + data.substr(199990));
}

TEST_F(SessionTest, RemoteMistakes)
{
    WriteFile(Remote("a.txt"), "a");
    struct Case {
        const char* line;
        int rc;
        const char* message;
    };
    const Case cases[] = {
        {"#1 remote get #1 #2 a.txt", -999, "C> Remote: syntax error. Expecting \"[Put | Append]\", found \"get\".\r\n"},
        {"#1 remote put #1 a.txt", -99, "C> Remote ...: syntax error. Expecting \"<session>\", found \"a.txt\".\r\n"},
        {"#1 remote put #1 #2", -999, "C> Put: syntax error. Expecting \"<filename>\", found \"\".\r\n"},
        {"#1 remote put #1 #2 a.txt @ x", -999, "C> ... @: syntax error. Expecting \"integer\", found \"x\".\r\n"},
        {"#1 remote append #1 #2 a.txt @", -999, "C> ... @: syntax error. Expecting \"<integer>\", found \"\".\r\n"},
        {"#1 restart remote append #1 #2 a.txt", -999, "C> ... Append ...: syntax error. Expecting \"@\", found \"\".\r\n"},
        // Without the prefix the line runs on "#0", which never logged in.
        {"remote put #1 #2 a.txt", -99, "C> Session not login yet, check your syntax.\r\n"},
        // A session never mentioned is not found, and not created either.
        {"#1 remote put #1 #9 a.txt", -99, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        echo.client.clear();
        const size_t mark1 = Mark();
        const size_t mark2 = second.Commands().size();
        EXPECT_EQ(RunTwo(std::string("logfile \"LOCAL/trace.log\" clear\ndebug on\n#1 LOGIN\n#2 LOGIN2\necho on\n") +
                         c.line + "\n"),
                  c.rc);
        EXPECT_EQ(RunTwo("debug off\nlogfile\n"), 0);
        if (*c.message != '\0') {
            EXPECT_NE(ClientText().find(c.message), std::string::npos) << ClientText();
        }
        EXPECT_EQ(CountOn(server, mark1, "RETR"), 0);
        EXPECT_EQ(CountOn(second, mark2, "STOR") + CountOn(second, mark2, "APPE"), 0);
        const std::string log = ReadFile(Local("trace.log"));
        EXPECT_EQ(log.find("#9 is a new session"), std::string::npos);
    }
    EXPECT_NE(ReadFile(Local("trace.log")).find("FindFtpHandle: End. hndl = -1"), std::string::npos);
}

TEST_F(SessionTest, EverySessionIsClosedAtTheEnd)
{
    const size_t mark = Mark();
    EXPECT_EQ(Run("#1 LOGIN\n#2 LOGIN\n#3 LOGIN\n"), 0);
    EXPECT_EQ(CountSince(mark, "USER "), 3);
    EXPECT_EQ(CountSince(mark, "QUIT"), 3);
    EXPECT_EQ(sessiontest::SettledConnections(server, 0), 0);
}

// test quit #1 closes the connection behind the session's back; the failing
// get finds it lost and the repeat runs on a rebuilt one.
TEST_F(SessionTest, TestQuitThenAReconnectOnRetry)
{
    WriteFile(Remote("a.txt"), "a");
    const size_t mark = Mark();
    EXPECT_EQ(Run("on failed retry 1\n#1 LOGIN\ntest quit #1\n#1 get a.txt \"LOCAL/a.txt\"\n"), 0);
    EXPECT_EQ(ReadFile(Local("a.txt")), "a");
    const std::vector<std::string> commands = CommandsSince(mark);
    const auto quit = std::find(commands.begin(), commands.end(), "QUIT");
    ASSERT_NE(quit, commands.end());
    EXPECT_EQ(std::count(quit, commands.end(), "USER " + server.User()), 1);  // the rebuild
    EXPECT_EQ(std::count(quit, commands.end(), "RETR a.txt"), 1);

    // Without a name the current session disconnects the ordinary way.
    EXPECT_EQ(Run("LOGIN\ntest quit\npwd\n"), -99);
    // Anything else after test does nothing.
    EXPECT_EQ(Run("test\ntest what\ntest quit #none\n"), 0);
}

// A failed copy is repeated under the retry rule.
TEST_F(SessionTest, RemotePutRepeatsUnderTheRetryRule)
{
    WriteFile(Remote("src.txt"), "payload");
    server.FailCommand("RETR", 1, 450);
    const size_t mark = Mark();
    EXPECT_EQ(RunTwo("on failed retry 1\n#1 LOGIN\n#2 LOGIN2\n#1 remote put #1 #2 src.txt\n"), 0);
    EXPECT_EQ(ReadFile(second.Root() / "src.txt"), "payload");
    EXPECT_EQ(CountSince(mark, "RETR src.txt"), 2);
}

}  // namespace
}  // namespace scripttest
