// The engine's switches and block words, on single lines without a server.
#include "ScriptEngine.h"
#include "TraceLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string>* g_client = nullptr;

int RecordClient(std::intptr_t, const char* text)
{
    g_client->emplace_back(text);
    return 0;
}

int RefuseServer(std::intptr_t, const char*)
{
    ADD_FAILURE() << "no server text expected";
    return 0;
}

TEST(ScriptEngine, SwitchesAndBlockWords)
{
    struct Case {
        const char* line;
        int rc;
        bool echo;    // after the line; echo starts on so that messages show
        bool ignore;  // continue on error, starts off
        int debug;    // the trace log's flag, starts off
        const char* message;  // what the client callback receives, if anything
    };
    const Case cases[] = {
        {"echo off", 0, false, false, 0, ""},
        {"ECHO On", 0, true, false, 0, ""},
        {"ignore on", 0, true, true, 0, ""},
        {"ignore off", 0, true, false, 0, ""},
        {"debug on", 0, true, false, 1, ""},
        {"debug off", 0, true, false, 0, ""},
        {"echo maybe", -999, true, false, 0, "C> Echo: syntax error. Expecting \"[on | off]\", found \"maybe\".\r\n"},
        {"ignore", -999, true, false, 0, "C> Ignore: syntax error. Expecting \"[on | off]\", found \"\".\r\n"},
        {"debug 'on'", -999, true, false, 0, "C> Debug: syntax error. Expecting \"[on | off]\", found \"on\".\r\n"},
        {"else", 711, true, false, 0, ""},
        {"endif whatever follows", 712, true, false, 0, ""},
        {"  endif", 712, true, false, 0, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> client;
        g_client = &client;
        g_TraceLog.SetTrace(0);
        {
            CScriptEngine engine;
            engine.SetCallbacks(RecordClient, RefuseServer);
            engine.SetEchoFlag(true);
            ASSERT_EQ(engine.SetLine(c.line), 1);
            EXPECT_EQ(engine.ExecuteLine(), c.rc) << c.line;
            EXPECT_EQ(engine.GetEchoFlag(), c.echo) << c.line;
            EXPECT_EQ(engine.GetContinueOnError(), c.ignore) << c.line;
            EXPECT_EQ(g_TraceLog.GetTrace(), c.debug) << c.line;
            EXPECT_TRUE(engine.GetSessions().empty()) << c.line;  // control words need no session
        }
        const std::vector<std::string> expected =
            *c.message != '\0' ? std::vector<std::string>{c.message} : std::vector<std::string>{};
        EXPECT_EQ(client, expected) << c.line;
        g_client = nullptr;
    }
    g_TraceLog.SetTrace(0);
}

// With debug on, the trace names each token by its number.
TEST(ScriptEngine, TraceShowsTokenNumbers)
{
    std::vector<std::string> lines;
    g_TraceLog.SetOutput(reinterpret_cast<TraceOutputContext>(&lines), [](TraceOutputContext context, const char* line) {
        reinterpret_cast<std::vector<std::string>*>(context)->emplace_back(line);
    });
    {
        CScriptEngine engine;
        engine.SetLine("debug on");
        EXPECT_EQ(engine.ExecuteLine(), 0);
        engine.SetLine("#7 GET 'a b'");
        EXPECT_EQ(engine.ExecuteLine(), -99);
    }
    g_TraceLog.SetTrace(0);
    g_TraceLog.SetOutput(0, nullptr);
    std::string all;
    for (const std::string& line : lines)
        all += line;
    for (const char* expected : {"Trace-->GetNextToken= 400 \"#7\"", "Trace-->GetNextToken= 601 \"GET\"",
                                 "Trace-->SetCurrentSession: #7 is a new session.", "Trace-->Token = GET, ftphandle = 0"})
        EXPECT_NE(all.find(expected), std::string::npos) << expected;
}

}  // namespace
