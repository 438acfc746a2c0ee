#include "TestFiles.h"
#include "TraceLog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

using testsupport::ReadFile;

struct Captured {
    TraceOutputContext context;
    std::string line;
};

std::vector<Captured>* g_captured = nullptr;

void Capture(TraceOutputContext context, const char* line)
{
    g_captured->push_back({context, line});
}

class TraceLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_captured = &lines;
        char pattern[] = "/tmp/tracelog-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        log.SetOutput(42, Capture);
    }
    void TearDown() override
    {
        g_captured = nullptr;
        std::filesystem::remove_all(dir);
    }

    std::vector<Captured> lines;
    std::filesystem::path dir;
    CTraceLog log;
};

const std::regex kTraceLine(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d Trace-->(.*)\r\n)");
const std::regex kOpenBanner(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d MARLO32 version 1\.003: Log Begin\.\n)");
const std::regex kCloseBanner(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d MARLO32 Log End\.\n)");

TEST_F(TraceLogTest, StartsWithMessagesOnTracingOffAndNoLogFile)
{
    CTraceLog fresh;
    EXPECT_EQ(fresh.GetMessages(), 1);
    EXPECT_EQ(fresh.GetTrace(), 0);
    EXPECT_EQ(fresh.IsLogFileOn(), 0);
    fresh.Message("nobody listens");  // no callback installed: must not crash
}

TEST_F(TraceLogTest, MessageLineEndings)
{
    log.Message("plain %d", 7);
    log.Message("already ended\r\n");
    log.Message("only LF\n");
    log.Message("%s", "");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].line, "plain 7\r\n");
    EXPECT_EQ(lines[1].line, "already ended\r\n");
    EXPECT_EQ(lines[2].line, "only LF\n\r\n");
    EXPECT_EQ(lines[3].line, "\r\n");
    EXPECT_EQ(lines[0].context, 42);
}

TEST_F(TraceLogTest, TraceLineForm)
{
    log.SetTrace(1);
    log.Trace("CSession::Login: %s, cc = %d", "host", 0);
    log.Trace("ends already\r\n");
    ASSERT_EQ(lines.size(), 2u);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[0].line, match, kTraceLine)) << lines[0].line;
    EXPECT_EQ(match[1], "CSession::Login: host, cc = 0");
    ASSERT_TRUE(std::regex_match(lines[1].line, match, kTraceLine)) << lines[1].line;
    EXPECT_EQ(match[1], "ends already");
}

TEST_F(TraceLogTest, TraceNeedsTraceFlagMaskedByMessagesFlag)
{
    const std::filesystem::path path = dir / "script.log";
    log.OpenLogFile(path.string());
    const std::string afterBanner = ReadFile(path);

    log.Trace("tracing off");
    log.SetTrace(1);
    log.SetMessages(0);
    log.Trace("messages off");
    log.Message("messages off");
    log.SetMessages(1);
    log.SetTrace(2);  // the flags are masks: no common bit, no line
    log.Trace("no common bit");
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(ReadFile(path), afterBanner);

    log.SetTrace(3);
    log.Trace("common bit");
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(TraceLogTest, LogFileGetsBannersAndTraceLinesButNoMessages)
{
    const std::filesystem::path path = dir / "script.log";
    {
        std::ofstream existing(path, std::ios::binary);
        existing << "earlier run\n";
    }
    log.SetTrace(1);
    log.OpenLogFile(path.string());
    EXPECT_EQ(log.IsLogFileOn(), 1);
    EXPECT_EQ(log.GetLogFilePath(), path.string());
    log.Trace("first");
    log.Message("shown, not logged");
    log.LogAppend("raw %s", "text");
    log.EndLogFile();
    EXPECT_EQ(log.IsLogFileOn(), 0);
    log.Trace("after the end");
    log.LogAppend("after the end");

    const std::string content = ReadFile(path);
    ASSERT_TRUE(content.starts_with("earlier run\n")) << "the log must never be truncated";
    std::string rest = content.substr(std::string("earlier run\n").size());

    std::smatch match;
    const size_t bannerEnd = rest.find('\n') + 1;
    const std::string opening = rest.substr(0, bannerEnd);
    EXPECT_TRUE(std::regex_match(opening, kOpenBanner)) << opening;
    rest = rest.substr(bannerEnd);

    const size_t traceEnd = rest.find("\r\n") + 2;
    const std::string trace = rest.substr(0, traceEnd);
    ASSERT_TRUE(std::regex_match(trace, match, kTraceLine)) << trace;
    EXPECT_EQ(match[1], "first");
    rest = rest.substr(traceEnd);

    ASSERT_TRUE(rest.starts_with("raw text")) << rest;
    rest = rest.substr(std::string("raw text").size());
    EXPECT_TRUE(std::regex_match(rest, kCloseBanner)) << rest;

    // LogAppend never reaches the callback.
    for (const Captured& captured : lines)
        EXPECT_EQ(captured.line.find("raw text"), std::string::npos);
}

TEST_F(TraceLogTest, UnwritableLogFileSwitchesFileLoggingOffQuietly)
{
    const std::filesystem::path missingFolder = dir / "missing" / "script.log";
    log.SetTrace(1);
    log.OpenLogFile(missingFolder.string());
    log.Trace("first");
    EXPECT_EQ(log.IsLogFileOn(), 0);
    log.Trace("second");
    ASSERT_EQ(lines.size(), 2u) << "no message about the failure, trace lines still reach the callback";
    EXPECT_NE(lines[1].line.find("Trace-->second"), std::string::npos);

    // Opening again with a good path turns file logging back on.
    const std::filesystem::path good = dir / "good.log";
    log.OpenLogFile(good.string());
    log.Trace("third");
    EXPECT_NE(ReadFile(good).find("Trace-->third\r\n"), std::string::npos);
}

TEST_F(TraceLogTest, EachLineIsOnDiskBeforeTheNextCall)
{
    const std::filesystem::path path = dir / "live.log";
    log.SetTrace(1);
    log.OpenLogFile(path.string());
    log.Trace("line one");
    EXPECT_NE(ReadFile(path).find("line one\r\n"), std::string::npos);
    // Another program may remove the file meanwhile; the next line recreates it.
    std::filesystem::remove(path);
    log.Trace("line two");
    EXPECT_NE(ReadFile(path).find("line two\r\n"), std::string::npos);
}

TEST_F(TraceLogTest, DestructionWritesTheClosingBanner)
{
    const std::filesystem::path path = dir / "closing.log";
    {
        CTraceLog scoped;
        scoped.OpenLogFile(path.string());
    }
    const std::string content = ReadFile(path);
    const size_t second = content.find('\n') + 1;
    EXPECT_TRUE(std::regex_match(content.substr(second), kCloseBanner)) << content;
}

TEST_F(TraceLogTest, LongAndPercentTextsArriveWhole)
{
    const std::string longText(20000, 'x');
    log.Message("%s", longText.c_str());
    log.Message("100%% done, %s", "50% of the rest");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].line, longText + "\r\n");
    EXPECT_EQ(lines[1].line, "100% done, 50% of the rest\r\n");
}

TEST_F(TraceLogTest, GlobalInstanceExists)
{
    EXPECT_EQ(g_TraceLog.GetTrace(), 0);
    EXPECT_EQ(g_TraceLog.GetMessages(), 1);
}

}  // namespace
