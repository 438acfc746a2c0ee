// Script files run through the library's exports against the real server.
#include "Marlo32.h"
#include "ScriptRunSupport.h"
#include "ServerConnections.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

using scripttest::EchoRecorder;
using scripttest::ScriptFolder;
using sessiontest::SettledConnections;

namespace {

class Marlo32RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(server.Root() / "a");
        std::filesystem::create_directories(server.Root() / "third");
    }

    // The script's text with LOGIN replaced by a login line for the server.
    std::string Script(std::string text) const
    {
        const std::string login = "login " + server.HostPort() + " " + server.User() + " " + server.Password();
        for (size_t at = text.find("LOGIN"); at != std::string::npos; at = text.find("LOGIN", at + login.size()))
            text.replace(at, 5, login);
        return text;
    }

    int Run(const std::string& text)
    {
        const std::string path = folder.Write("run.txt", Script(text));
        return Marlo_Execute2(path.c_str(), 1234, &EchoRecorder::Client, &EchoRecorder::Server);
    }

    bool Received(const std::string& command) const
    {
        const std::vector<std::string> commands = server.Commands();
        return std::find(commands.begin(), commands.end(), command) != commands.end();
    }

    int ReceivedCount(const std::string& prefix) const
    {
        const std::vector<std::string> commands = server.Commands();
        return static_cast<int>(std::count_if(commands.begin(), commands.end(),
                                              [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
    }

    std::string LoginLine() const { return Script("LOGIN"); }

    testbed::TestFtpServer server;
    ScriptFolder folder;
    EchoRecorder echo;
};

// Where a run stops, and with which code. "cd /third" marks whether the
// line after the interesting one ran.
TEST_F(Marlo32RunTest, RunStopsAtTheFirstFailingLineWithItsCode)
{
    struct Case {
        const char* name;
        const char* script;
        int rc;
        bool thirdRan;
    };
    const Case cases[] = {
        {"all lines succeed", "LOGIN\ncd /a\ncd /third\n", 0, true},
        {"a failing command", "LOGIN\ncd /missing\ncd /third\n", 550, false},
        {"ignore on goes on", "ignore on\nLOGIN\ncd /missing\ncd /third\n", 0, true},
        {"ignore off again", "ignore on\nignore off\nLOGIN\ncd /missing\ncd /third\n", 550, false},
        {"a stray endif", "LOGIN\nendif\ncd /third\n", 712, false},
        {"a stray else", "LOGIN\nELSE\ncd /third\n", 711, false},
        {"an unknown word", "LOGIN\nfrobnicate now\ncd /third\n", -98, false},
        {"a reserved word", "LOGIN\ngetat x\ncd /third\n", -98, false},
        {"a number first", "LOGIN\n42\ncd /third\n", -98, false},
        {"a command before login", "cd /third\nLOGIN\n", -99, false},
        {"a line on a session that never logged in", "#1 LOGIN\ncd /third\n", -99, false},
        {"names are case-sensitive", "#a LOGIN\n#A cd /third\n", -99, false},
        {"after quit", "LOGIN\nquit\ncd /third\n", -99, false},
        {"login without host", "login\ncd /third\n", -999, false},
        {"cd without path", "LOGIN\ncd   \ncd /third\n", -999, false},
        {"a bad switch", "LOGIN\necho maybe\ncd /third\n", -999, false},
        {"a switch without value", "LOGIN\nignore\ncd /third\n", -999, false},
        {"a wrong password", "login HOSTPORT tavo wrong\ncd /third\n", -1, false},
        {"a numeric password must be quoted", "login HOSTPORT tavo 123\n", -1, false},
        {"an empty file", "", 0, false},
        {"only comments and blanks", "// one\n\n   \t\n  // two\n", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testbed::TestFtpServer fresh;
        std::filesystem::create_directories(fresh.Root() / "a");
        std::filesystem::create_directories(fresh.Root() / "third");
        std::string text = c.script;
        const std::string login = "login " + fresh.HostPort() + " " + fresh.User() + " " + fresh.Password();
        for (size_t at = text.find("LOGIN"); at != std::string::npos; at = text.find("LOGIN", at + 1))
            text.replace(at, 5, login);
        for (size_t at = text.find("HOSTPORT"); at != std::string::npos; at = text.find("HOSTPORT", at + 1))
            text.replace(at, 8, fresh.HostPort());
        const std::string path = folder.Write("case.txt", text);
        EXPECT_EQ(Marlo_Execute2(path.c_str(), 0, &EchoRecorder::Client, &EchoRecorder::Server), c.rc);
        const std::vector<std::string> commands = fresh.Commands();
        EXPECT_EQ(std::count(commands.begin(), commands.end(), "CWD /third"), c.thirdRan ? 1 : 0);
        EXPECT_EQ(SettledConnections(fresh, 0), 0);
    }
    EXPECT_TRUE(echo.all.empty());  // echo was never switched on
}

TEST_F(Marlo32RunTest, MissingScriptFile)
{
    const std::string missing = (folder.Path() / "missing.txt").string();
    EXPECT_EQ(Marlo_Execute2(missing.c_str(), 0, &EchoRecorder::Client, &EchoRecorder::Server), -1);
    EXPECT_EQ(Marlo_Execute2(folder.Path().c_str(), 0, &EchoRecorder::Client, &EchoRecorder::Server), -1);
    EXPECT_EQ(Marlo_Execute2(nullptr, 0, &EchoRecorder::Client, &EchoRecorder::Server), -1);
    EXPECT_EQ(Marlo_Execute(missing.c_str()), -1);
    EXPECT_TRUE(echo.all.empty());
}

// A script that cannot be read to its end stops the run with a code that is
// not 0 and a message the caller sees even with echo off: a line beyond 64
// KiB (a device without line ends, a binary file given by mistake) is not
// read further, and a read error is no end of the file.
TEST_F(Marlo32RunTest, AScriptThatCannotBeReadToItsEndFails)
{
    const std::string longest = "// " + std::string(65536 - 3, 'x') + "\r\n";
    struct Case {
        const char* name;
        std::string path;
        int rc;
        const char* message;  // what the client callback receives, "" for nothing
    };
    const Case cases[] = {
        {"a line at the limit", folder.Write("limit.txt", longest + LoginLine() + "\n"), 0, ""},
        {"one byte beyond it", folder.Write("beyond.txt", "ignore on\n" + longest.substr(0, 65536) + "y\n" + LoginLine()),
         -999, "C> Script line 2 is longer than 65536 bytes; the script stops.\r\n"},
        {"no line ends at all", "/dev/zero", -999, "C> Script line 1 is longer than 65536 bytes; the script stops.\r\n"},
        {"a read error", "/proc/self/mem", -1, "C> The script file could not be read after line 0: Input/output error.\r\n"},
        {"a folder", folder.Path().string(), -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        echo.client.clear();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Marlo_Execute2(c.path.c_str(), 0, &EchoRecorder::Client, &EchoRecorder::Server), c.rc);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        const std::vector<std::string> expected =
            *c.message == '\0' ? std::vector<std::string>{} : std::vector<std::string>{c.message};
        EXPECT_EQ(echo.client, expected);
    }
    EXPECT_EQ(ReceivedCount("USER "), 1);  // only the script whose lines were all readable logged in
}

TEST_F(Marlo32RunTest, CommentsStartAtDoubleSlashAnywhere)
{
    const int rc = Run("// a whole-line comment\n"
                       "   // an indented comment\n"
                       "\n"
                       "echo on // from here on\n"
                       "LOGIN\n"
                       "cd /a//b\n"
                       "\t  pwd   // where are we\n");
    EXPECT_EQ(rc, 0);
    // The echo line itself ran with echo still off; blanks before "//" stay.
    const std::vector<std::string> expected = {"C> " + LoginLine() + "\r\n", "C> cd /a\r\n", "C> pwd   \r\n"};
    EXPECT_EQ(echo.client, expected);
    EXPECT_TRUE(Received("CWD /a"));
    EXPECT_FALSE(Received("CWD /a//b"));
    EXPECT_NE(std::find(echo.server.begin(), echo.server.end(), "S> /a\r\n"), echo.server.end());
}

TEST_F(Marlo32RunTest, EchoTextsAreExact)
{
    const int rc = Run("echo on\n"
                       "LOGIN\n"
                       "binary\n"
                       "pwd\n"
                       "frobnicate\n");
    EXPECT_EQ(rc, -98);
    const std::vector<std::string> expected = {
        "client: C> " + LoginLine() + "\r\n",
        "server: S> 230 Login successful.\r\n",  // the login's own reply, not a later one
        "client: C> binary\r\n",
        "server: S> 200 Type set to: Binary.\r\n",
        "client: C> pwd\r\n",
        "server: S> /\r\n",
        "server: S> 257 \"/\" is the current directory.\r\n",
        "client: C> frobnicate\r\n",
        "client: C> FTP: syntax error. Expecting \"<FTP Command>\", found \"frobnicate\".\r\n",
        "server: S> 257 \"/\" is the current directory.\r\n",
    };
    EXPECT_EQ(echo.all, expected);
    for (std::intptr_t data : echo.userData)
        EXPECT_EQ(data, 1234);
}

// A failure the server did not answer shows the library's error; a quit,
// which leaves no reply, shows no old error.
TEST_F(Marlo32RunTest, FailuresWithoutReplyEchoTheLibraryError)
{
    const int rc = Run("echo on\n"
                       "ignore on\n"
                       "login 127.0.0.1:1 nobody nothing\n"
                       "LOGIN\n"
                       "quit\n");
    EXPECT_EQ(rc, 0);
    ASSERT_EQ(echo.server.size(), 3u);
    EXPECT_NE(echo.server[0].find("127.0.0.1:1"), std::string::npos) << echo.server[0];
    EXPECT_EQ(echo.server[2], "");
}

TEST_F(Marlo32RunTest, CommandBeforeLoginIsRefusedWithAMessage)
{
    EXPECT_EQ(Run("echo on\npwd\n"), -99);
    const std::vector<std::string> expected = {"client: C> pwd\r\n",
                                               "client: C> Session not login yet, check your syntax.\r\n"};
    EXPECT_EQ(echo.all, expected);
    EXPECT_TRUE(server.Commands().empty());
}

TEST_F(Marlo32RunTest, EchoOffCallsNoCallbackWhateverHappens)
{
    const int rc = Run("LOGIN\n"
                       "pwd\n"
                       "ignore on\n"
                       "frobnicate\n"
                       "cd /missing\n"
                       "endif\n"
                       "cd\n"
                       "#9 pwd\n"
                       "echo off\n"
                       "cdup\n");
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(echo.all.empty());
    EXPECT_TRUE(Received("CDUP"));
}

TEST_F(Marlo32RunTest, EverySessionIsDisconnectedAtTheEnd)
{
    const int rc = Run("#1 LOGIN\n"
                       "#2 LOGIN\n"
                       "LOGIN\n"
                       "#1 cd /a\n"
                       "#2 cd /third\n"
                       "#1 pwd\n"
                       "pwd\n");
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(ReceivedCount("USER "), 3);
    EXPECT_EQ(ReceivedCount("QUIT"), 3);
    EXPECT_EQ(SettledConnections(server, 0), 0);
}

TEST_F(Marlo32RunTest, LoggingInAgainOnASessionClosesItsFirstConnection)
{
    EXPECT_EQ(Run("LOGIN\nLOGIN\n#1 LOGIN\n#1 LOGIN\n"), 0);
    EXPECT_EQ(ReceivedCount("USER "), 4);
    EXPECT_EQ(ReceivedCount("QUIT"), 4);
    EXPECT_EQ(SettledConnections(server, 0), 0);
}

TEST_F(Marlo32RunTest, WindowsLineEndsAndByteOrderMark)
{
    const std::string text = "\xEF\xBB\xBF" + LoginLine() + "\r\ncd /a\r\npwd\r\n";
    const std::string path = folder.Write("dos.txt", text);
    EXPECT_EQ(Marlo_Execute2(path.c_str(), 0, &EchoRecorder::Client, &EchoRecorder::Server), 0);
    EXPECT_TRUE(Received("PASS " + server.Password()) || Received("PASS ****"));
    EXPECT_TRUE(Received("CWD /a"));
}

TEST_F(Marlo32RunTest, DefaultCallbacksPrintToStandardOutput)
{
    const std::string path = folder.Write("stdout.txt", Script("echo on\nLOGIN\npwd\n"));
    for (int twice = 0; twice < 2; ++twice) {
        testing::internal::CaptureStdout();
        const int rc = twice == 0 ? Marlo_Execute(path.c_str()) : Marlo_Execute2(path.c_str(), 7, nullptr, nullptr);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(rc, 0);
        EXPECT_NE(out.find("C> C> " + LoginLine() + "\r\n\n"), std::string::npos) << out;
        EXPECT_NE(out.find("S> S> /\r\n\n"), std::string::npos) << out;
    }
    EXPECT_TRUE(echo.all.empty());
}

}  // namespace
