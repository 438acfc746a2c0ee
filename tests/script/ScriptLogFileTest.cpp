// logfile: what the log records, "clear", and the failures.
#include "ScriptServerTest.h"

#include <gtest/gtest.h>

namespace scripttest {
namespace {

using LogFileTest = ScriptServerTest;

TEST_F(LogFileTest, TheLogRecordsCommandsAndReplies)
{
    EXPECT_EQ(Run("LOGIN\nlogfile \"LOCAL/run.log\"\npwd\nlogfile\npwd\n"), 0);
    const std::string log = ReadFile(Local("run.log"));
    EXPECT_NE(log.find(" MARLO32 version 1.003: Log Begin.\n"), std::string::npos) << log;
    EXPECT_NE(log.find("C> pwd\nS> /\r\nS> 257 \"/\" is the current directory.\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" MARLO32 Log End.\n"), std::string::npos);
    EXPECT_EQ(log.find("C> pwd"), log.rfind("C> pwd"));  // nothing after the end
}

TEST_F(LogFileTest, ClearStartsTheFileAfresh)
{
    WriteFile(Local("run.log"), "old content\n");
    EXPECT_EQ(Run("logfile \"LOCAL/run.log\" clear\nLOGIN\nlogfile\n"), 0);
    const std::string log = ReadFile(Local("run.log"));
    EXPECT_EQ(log.find("old content"), std::string::npos);
    EXPECT_EQ(log.find(" MARLO32 version 1.003: Log Begin.\n"), log.rfind(" MARLO32 version 1.003: Log Begin.\n"));
    EXPECT_EQ(log.find("MARLO32"), log.find(" MARLO32") + 1);
    EXPECT_NE(log.find("C> " + Script("LOGIN") + "\n"), std::string::npos) << log;
}

// A relative name is fixed when the log starts; lcd does not move it.
TEST_F(LogFileTest, ARelativeNameStaysInItsFolder)
{
    std::filesystem::create_directories(Local("elsewhere"));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(local);
    const int rc = Run("logfile run.log\nLOGIN\nlcd elsewhere\npwd\nlogfile\n");
    std::filesystem::current_path(before);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(ReadFile(Local("run.log")).find("C> pwd\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Local("elsewhere/run.log")));
}

TEST_F(LogFileTest, MalformedAndUnwritableLogs)
{
    EXPECT_EQ(Run("echo on\nlogfile 42\n"), -999);
    EXPECT_NE(ClientText().find("Logfile: syntax error. Expecting \"<string>\", found \"42\"."), std::string::npos);

    echo.client.clear();
    EXPECT_EQ(Run("echo on\nlogfile \"LOCAL/a.log\" keep\nlogfile\n"), 0);
    EXPECT_NE(ClientText().find("Unknown option: syntax error. Expecting \"[clear | <null>]\", found \"keep\"."),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(Local("a.log")));

    // A scheduled script must not run on without the log it asked for.
    echo.client.clear();
    EXPECT_EQ(Run("echo on\nlogfile \"LOCAL/no/such/folder/x.log\"\nLOGIN\n"), -6);
    EXPECT_NE(ClientText().find("Logfile: cannot write"), std::string::npos) << ClientText();
    EXPECT_EQ(server.Commands().size(), 0u);
}

}  // namespace
}  // namespace scripttest
