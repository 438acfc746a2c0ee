// The marlo program, run as users and schedulers run it: its output streams
// and its exit status.
#include "RunProgram.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

using runnertest::ProgramResult;
using runnertest::RunProgram;

namespace {

class MarloProgramTest : public ::testing::Test {
protected:
    // Writes the script, with LOGIN replaced by a login line, and runs it.
    ProgramResult RunScript(std::string text)
    {
        const std::string login = "login " + server.HostPort() + " " + server.User() + " " + server.Password();
        for (size_t at = text.find("LOGIN"); at != std::string::npos; at = text.find("LOGIN", at + login.size()))
            text.replace(at, 5, login);
        std::ofstream(Script()) << text;
        return RunProgram({MARLO_PROGRAM, Script()});
    }
    std::string Script() const { return (server.Root().parent_path() / "job.txt").string(); }
    std::string Login() const
    {
        return "login " + server.HostPort() + " " + server.User() + " " + server.Password();
    }

    testbed::TestFtpServer server;
};

TEST_F(MarloProgramTest, UsageHelpAndVersion)
{
    ProgramResult usage = RunProgram({MARLO_PROGRAM});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_EQ(usage.out, std::string("Usage: ") + MARLO_PROGRAM + " [--trust-new-certs] <script-file>\n");
    EXPECT_EQ(usage.err, "");

    ProgramResult help = RunProgram({MARLO_PROGRAM, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind(std::string("Usage: ") + MARLO_PROGRAM + " [--trust-new-certs] <script-file>\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);

    ProgramResult version = RunProgram({MARLO_PROGRAM, "--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("marlo ", 0), 0u) << version.out;
}

TEST_F(MarloProgramTest, AScriptThatCannotBeOpened)
{
    const std::string missing = (server.Root() / "missing.txt").string();
    for (const std::string& path : {missing, server.Root().string()}) {
        ProgramResult result = RunProgram({MARLO_PROGRAM, path});
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "marlo: cannot open script file '" + path + "'\n");
    }
    EXPECT_TRUE(server.Commands().empty());
}

TEST_F(MarloProgramTest, TheDialogueGoesToStandardOutput)
{
    ProgramResult result = RunScript("echo on\nLOGIN\npwd\n");
    EXPECT_EQ(result.exitCode, 0);
    // The test bed offers no TLS: the user hears of it, beside the dialogue.
    EXPECT_EQ(result.err, "Warning: " + server.HostPort() + " offers no encryption: the password goes out in clear text.\n");
    EXPECT_EQ(result.out.rfind("Client=> C> " + Login() + "\r\n\nServer=> S> 2", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("Client=> C> pwd\r\n\nServer=> S> /\r\n\nServer=> S> 257 \"/\" is the current directory.\r\n\n"),
              std::string::npos)
        << result.out;

    // Echo off, clear text chosen: a run that succeeds prints nothing at all.
    result = RunScript("secure off\nLOGIN\npwd\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

TEST_F(MarloProgramTest, AFailedRunEndsWithStatusOne)
{
    const char* scripts[] = {"LOGIN\ncd /missing\n", "login 127.0.0.1:1 nobody nothing\n", "frobnicate\n",
                             "LOGIN\nget\n"};
    for (const char* script : scripts) {
        ProgramResult result = RunScript(script);
        EXPECT_EQ(result.exitCode, 1) << script;
        EXPECT_EQ(result.out, "") << script;  // echo was off
    }
    EXPECT_EQ(RunScript("ignore on\nLOGIN\ncd /missing\n").exitCode, 0);
}

// A script path without line ends (a device given by mistake) ends at the
// line limit with a message and status 1, without waiting or eating memory.
TEST_F(MarloProgramTest, AScriptWithoutLineEndsEndsWithStatusOne)
{
    const auto start = std::chrono::steady_clock::now();
    ProgramResult result = RunProgram({MARLO_PROGRAM, "/dev/zero"}, 10);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(result.out, "Client=> C> Script line 1 is longer than 65536 bytes; the script stops.\r\n\n");
    EXPECT_TRUE(server.Commands().empty());
}

// Progress goes to standard error only, and only for a connection whose
// script said "statusbox on".
TEST_F(MarloProgramTest, ProgressGoesToStandardErrorOnly)
{
    std::ofstream(server.Root().parent_path() / "up.bin") << std::string(20000, 'x');
    const std::string up = (server.Root().parent_path() / "up.bin").string();
    server.DelayReplies("STOR", 0.15);  // longer than the hook's 100 ms slice
    ProgramResult result = RunScript("secure off\necho on\nLOGIN\nstatusbox on\nput \"" + up + "\" up.bin\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.err.find("20000 bytes  100%"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.back(), '\n');
    EXPECT_EQ(result.out.find("bytes"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Client=> C> statusbox on"), std::string::npos);

    result = RunScript("secure off\nLOGIN\nput \"" + up + "\" up.bin\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
}

}  // namespace
