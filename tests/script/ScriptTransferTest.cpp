// get, put, append, restart, mget, mput and the unique-name modes, checked
// byte for byte on both sides.
#include "ScriptServerTest.h"
#include "netvo32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace scripttest {
namespace {

using TransferTest = ScriptServerTest;

TEST_F(TransferTest, PlainTransfersKeepEveryByte)
{
    const std::string data = Pattern(70000);
    WriteFile(Remote("a b.bin"), data);
    WriteFile(Local("up.bin"), data);
    const size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\n"
                  "binary\n"
                  "get 'a b.bin' \"LOCAL/down.bin\"\n"
                  "put \"LOCAL/up.bin\" 'up copy.bin'\n"
                  "localpath \"LOCAL\"\n"
                  "get 'a b.bin'\n"
                  "get a.bin @ 0\n"),
              550);  // the last one: no such file, and "@ 0" is a plain get
    EXPECT_TRUE(ReadFile(Local("down.bin")) == data);
    EXPECT_TRUE(ReadFile(Remote("up copy.bin")) == data);
    EXPECT_TRUE(ReadFile(Local("a b.bin")) == data);  // the library's name, in the local path
    EXPECT_EQ(CountSince(mark, "REST"), 0);
    EXPECT_EQ(CountSince(mark, "RETR a.bin"), 1);
}

TEST_F(TransferTest, OffsetsResumeAtTheGivenByte)
{
    const std::string data = Pattern(5000);
    WriteFile(Remote("big.bin"), data);
    WriteFile(Local("part.bin"), data.substr(0, 1200));
    WriteFile(Remote("half.bin"), data.substr(0, 3000));
    WriteFile(Local("whole.bin"), data);
    WriteFile(Remote("log.txt"), "first\n");
    WriteFile(Local("more.txt"), "XXXXsecond\n");
    const size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\n"
                  "binary\n"
                  "get big.bin \"LOCAL/part.bin\" @ 1200\n"
                  "put \"LOCAL/whole.bin\" half.bin @ 3000\n"
                  "append \"LOCAL/more.txt\" log.txt @ 4\n"),
              0);
    EXPECT_TRUE(ReadFile(Local("part.bin")) == data);
    EXPECT_TRUE(ReadFile(Remote("half.bin")) == data);
    EXPECT_EQ(ReadFile(Remote("log.txt")), "first\nsecond\n");
    const std::vector<std::string> work = WorkSince(mark);
    EXPECT_NE(std::find(work.begin(), work.end(), "REST 1200"), work.end());
    EXPECT_NE(std::find(work.begin(), work.end(), "REST 3000"), work.end());
    EXPECT_EQ(CountSince(mark, "APPE log.txt"), 1);
}

// Offsets beyond 2 GiB must reach the server whole, not cut to 32 bits.
TEST_F(TransferTest, LargeOffsetsAreNotTruncated)
{
    WriteFile(Remote("small.bin"), "tiny");
    WriteFile(Local("huge.bin"), "");
    std::filesystem::resize_file(Local("huge.bin"), 5000000000);  // sparse: no disk used
    const size_t mark = Mark();
    EXPECT_NE(Run("LOGIN\nget small.bin \"LOCAL/huge.bin\" @ 5000000000\n"), 0);
    EXPECT_EQ(CountSince(mark, "REST 5000000000"), 1);
    EXPECT_EQ(CountSince(mark, "REST 2147483647"), 0);
}

TEST_F(TransferTest, RestartResumesWhereTheLastTransferStopped)
{
    const std::string data = Pattern(9000);
    WriteFile(Remote("down.bin"), data);
    WriteFile(Local("down.bin"), data.substr(0, 4000));
    WriteFile(Local("up.bin"), data);
    WriteFile(Remote("up.bin"), data.substr(0, 2500));
    const size_t mark = Mark();
    EXPECT_EQ(Run("echo on\n"
                  "LOGIN\n"
                  "binary\n"
                  "restart get down.bin \"LOCAL/down.bin\"\n"
                  "restart put \"LOCAL/up.bin\" up.bin\n"
                  "get down.bin \"LOCAL/again.bin\"\n"),
              0);
    EXPECT_TRUE(ReadFile(Local("down.bin")) == data);
    EXPECT_TRUE(ReadFile(Remote("up.bin")) == data);
    EXPECT_TRUE(ReadFile(Local("again.bin")) == data);
    const std::vector<std::string> work = WorkSince(mark);
    EXPECT_NE(std::find(work.begin(), work.end(), "REST 4000"), work.end());
    EXPECT_NE(std::find(work.begin(), work.end(), "REST 2500"), work.end());
    EXPECT_EQ(CountSince(mark, "REST"), 2);  // restart mode ends with its statement
    EXPECT_EQ(std::count(echo.client.begin(), echo.client.end(), "C> --> Restart\r\n"), 2);
}

TEST_F(TransferTest, AppendAddsToTheRemoteFile)
{
    WriteFile(Remote("log.txt"), "one\n");
    WriteFile(Local("two.txt"), "two\n");
    EXPECT_EQ(Run("LOGIN\nappend \"LOCAL/two.txt\" log.txt\nappend \"LOCAL/two.txt\" log.txt\n"), 0);
    EXPECT_EQ(ReadFile(Remote("log.txt")), "one\ntwo\ntwo\n");
}

// Malformed transfers send nothing, report the message, and stop the run.
TEST_F(TransferTest, SyntaxErrorsSendNothing)
{
    WriteFile(Local("a.txt"), "a");
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"get", "Get: syntax error. Expecting \"<filename>\", found \"\"."},
        {"put 42", "Put: syntax error. Expecting \"<filename>\", found \"42\"."},
        {"append (x)", "Append: syntax error. Expecting \"<filename>\", found \"(\"."},
        {"get a.txt b.txt @ x", "... @: syntax error. Expecting \"integer\", found \"x\"."},
        {"put a.txt @", "... @: syntax error. Expecting \"integer\", found \"\"."},
        {"restart append \"LOCAL/a.txt\" a.txt", "... Append ...: syntax error. Expecting \"@\", found \"\"."},
        {"restart ls", "Restart: syntax error. Expecting \"[Append | Get | Put | Remote]\", found \"ls\"."},
        {"mget", "MGet: syntax error. Expecting \"<string>\", found \"\"."},
        {"mput 7", "MPut: syntax error. Expecting \"<string>\", found \"7\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        echo.client.clear();
        const size_t mark = Mark();
        EXPECT_EQ(Run(std::string("echo on\nLOGIN\n") + c.line + "\npwd\n"), -999);
        EXPECT_TRUE(WorkSince(mark).empty()) << WorkSince(mark).front();
        EXPECT_NE(ClientText().find(std::string("C> ") + c.message + "\r\n"), std::string::npos) << ClientText();
    }
}

TEST_F(TransferTest, ManyFilesByPattern)
{
    WriteFile(Remote("q1.csv"), "1");
    WriteFile(Remote("q2.csv"), "2");
    WriteFile(Remote("notes.txt"), "n");
    std::filesystem::create_directories(Local("out"));
    WriteFile(Local("out/x.log"), "x");
    WriteFile(Local("out/y.log"), "y");
    EXPECT_EQ(Run("LOGIN\nlocalpath \"LOCAL\"\nmget *.csv\nmput \"LOCAL/out/*.log\"\n"), 0);
    EXPECT_EQ(ReadFile(Local("q1.csv")), "1");
    EXPECT_EQ(ReadFile(Local("q2.csv")), "2");
    EXPECT_FALSE(std::filesystem::exists(Local("notes.txt")));
    EXPECT_EQ(ReadFile(Remote("x.log")), "x");
    EXPECT_EQ(ReadFile(Remote("y.log")), "y");
    EXPECT_NE(Run("LOGIN\nmget *.none\n"), 0);  // nothing matched is a failure
}

// "unique on" twice must not toggle the mode off again; "off" puts the
// overwriting transfers back.
TEST_F(TransferTest, UniqueNamesOnBothSides)
{
    WriteFile(Local("keep.txt"), "local");
    WriteFile(Remote("keep.txt"), "remote");
    const size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\n"
                  "store unique on\n"
                  "store unique on\n"
                  "put \"LOCAL/keep.txt\" keep.txt\n"
                  "local unique on\n"
                  "local unique on\n"
                  "get keep.txt \"LOCAL/keep.txt\"\n"
                  "store unique off\n"
                  "store unique off\n"
                  "put \"LOCAL/keep.txt\" keep.txt\n"),
              0);
    EXPECT_EQ(CountSince(mark, "STOU"), 1);
    EXPECT_EQ(CountSince(mark, "STOR"), 1);
    EXPECT_EQ(ReadFile(Local("keep.txt")), "local");  // the download went to another name
    int localFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(local))
        localFiles += entry.path().filename().string().find("keep") != std::string::npos ? 1 : 0;
    EXPECT_EQ(localFiles, 2);
    int remoteFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(server.Root()))
        remoteFiles += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(remoteFiles, 2);  // keep.txt and the unique copy
    EXPECT_EQ(ReadFile(Remote("keep.txt")), "local");

    echo.client.clear();
    EXPECT_EQ(Run("echo on\nLOGIN\nstore frob\n"), -999);
    EXPECT_NE(ClientText().find("Store: syntax error. Expecting \"Unique\", found \"frob\"."), std::string::npos);
}

// A failure on this side reports the library's text: the last reply on the
// connection (a 150, a 229) is older than the failure. A refusal reports
// the server's reply. The log says the same.
TEST_F(TransferTest, AFailureReportsItsOwnText)
{
    WriteFile(Remote("a.bin"), Pattern(200000));
    struct Case {
        std::function<void()> arm;
        const char* get;
        int rc;
        const char* shows;
    };
    const Case cases[] = {
        {[] {}, "get missing.bin \"LOCAL/m.bin\"", 550, "S> 550 "},
        {[this] { server.DropAfterBytes("RETR", 1000); }, "get a.bin \"LOCAL/a.bin\"", NETVO_E_CLOSED, ": RETR a.bin: "},
        {[] {}, "get a.bin \"LOCAL/no/a.bin\"", NETVO_E_LOCALFILE, "/no/a.bin: "},
        {[this] { server.DelayReplies("RETR", 3); }, "receivetimeout 1\nget a.bin \"LOCAL/b.bin\"", NETVO_E_TIMEOUT,
         ": RETR a.bin: timed out"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.get);
        server.ClearFaults();
        c.arm();
        EXPECT_EQ(Run(std::string("LOGIN\nlogfile \"LOCAL/run.log\"\necho on\n") + c.get + "\n"), c.rc);
        char error[1024] = {};
        ftp_lasterror(error, sizeof error);
        Run("logfile\n");
        const std::string report = echo.server.back();
        EXPECT_NE(report.find(c.shows), std::string::npos) << report;
        if (c.rc < 0) {
            EXPECT_EQ(report, "S> " + std::string(error) + "\r\n");
        }
        EXPECT_NE(ReadFile(Local("run.log")).find(report.substr(0, report.size() - 2) + "\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace scripttest
