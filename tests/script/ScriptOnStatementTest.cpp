// on failed and on error on single lines, without a server: the rule each
// form leaves behind and the syntax messages.
#include "ScriptEngine.h"

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

int IgnoreServer(std::intptr_t, const char*)
{
    return 0;
}

TEST(OnStatement, RulesAndMessages)
{
    struct Case {
        const char* line;
        int rc;
        int retryMax;
        int sleep;
        bool restart;
        bool ignore;
        const char* message;
    };
    const Case cases[] = {
        {"on failed retry 3", 0, 3, 0, false, false, ""},
        {"on failed retry 3 sleep 5", 0, 3, 5, false, false, ""},
        {"ON FAILED RESTART 2 SLEEP 7", 0, 2, 7, true, false, ""},
        {"on failed retry forever sleep 4", 0, 0, 4, false, false, ""},
        {"on failed restart forever", 0, 0, 0, true, false, ""},
        {"on failed retry 0", 0, 0, 0, false, false, ""},
        {"on failed retry 2 pause 5", 0, 2, 0, false, false, ""},
        {"on failed retry 2 sleep x", 0, 2, 0, false, false, ""},
        {"on failed off", 0, -1, 0, false, false, ""},
        {"on failed retry sleep 5", -999, -1, 0, false, false,
         "C> ... Retry: syntax error. Expecting \"<integer>\", found \"sleep\".\r\n"},
        {"on failed", -999, -1, 0, false, false,
         "C> ... Failed: syntax error. Expecting \"[retry | restart | off]\", found \"\".\r\n"},
        {"on failed again 3", -999, -1, 0, false, false,
         "C> ... Failed: syntax error. Expecting \"[retry | restart | off]\", found \"again\".\r\n"},
        {"on error continue", 0, -1, 0, false, true, ""},
        {"on error stop", 0, -1, 0, false, false, ""},
        {"on error", -999, -1, 0, false, false,
         "C> ... Error: syntax error. Expecting \"[continue | stop]\", found \"\".\r\n"},
        {"on", -999, -1, 0, false, false, "C> On: syntax error. Expecting \"[failed | error]\", found \"\".\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> client;
        g_client = &client;
        CScriptEngine engine;
        engine.SetCallbacks(RecordClient, IgnoreServer);
        engine.SetEchoFlag(true);
        // Every form starts from the rule before it, which it must replace.
        engine.SetLine("on failed restart 9 sleep 9");
        ASSERT_EQ(engine.ExecuteLine(), 0);
        engine.SetLine(c.line);
        EXPECT_EQ(engine.ExecuteLine(), c.rc);
        EXPECT_EQ(engine.GetContinueOnError(), c.ignore);
        const std::vector<std::string> expected =
            *c.message != '\0' ? std::vector<std::string>{c.message} : std::vector<std::string>{};
        EXPECT_EQ(client, expected);
        if (std::string(c.line).rfind("on failed", 0) == 0 || std::string(c.line).rfind("ON FAILED", 0) == 0) {
            EXPECT_EQ(engine.GetRetryMax(), c.retryMax);
            EXPECT_EQ(engine.GetRetrySleep(), c.sleep);
            EXPECT_EQ(engine.GetRestartOnRetry(), c.restart);
        } else {
            EXPECT_EQ(engine.GetRetryMax(), 9);  // not theirs to change
        }
        g_client = nullptr;
    }
}

}  // namespace
