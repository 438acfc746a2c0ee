// The commands shown in the message pane: secrets are masked, nothing else.
#include "CommandEcho.h"

#include "TraceCapture.h"

#include <gtest/gtest.h>

TEST(CommandEcho, SecretsAreMaskedAndNothingElse)
{
    const struct {
        const char* line;
        const char* shown;
    } cases[] = {
        {"PASS secret", "PASS ****"},
        {"pass secret with blanks", "pass ****"},
        {"ACCT billing", "ACCT ****"},
        {"  Pass x", "  Pass ****"},
        {"PASS", "PASS"},
        {"PASSWORD x", "PASSWORD x"},
        {"CWD /pass secret", "CWD /pass secret"},
        {"USER tavo", "USER tavo"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MaskedCommand(c.line), c.shown) << c.line;

    testsupport::TraceCapture capture;
    EchoCommand("PASS secret");
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0], "> PASS ****\r\n");
}

TEST(CommandEcho, ScriptLinesHideLoginSecrets)
{
    const struct {
        const char* line;
        const char* shown;
    } cases[] = {
        {"login 127.0.0.1 tavo secret", "login 127.0.0.1 tavo ****"},
        {"LOGIN host \"my user\" \"pass word\" acct", "LOGIN host \"my user\" ****"},
        {"gatelogin gate u p", "gatelogin gate u ****"},
        {"login host user", "login host user"},
        {"quote PASS secret", "quote PASS ****"},
        {"quote CWD /pub", "quote CWD /pub"},
        {"mget *.txt", "mget *.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MaskedScriptLine(c.line), c.shown) << c.line;
}
