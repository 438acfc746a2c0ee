// The prompt layer hands every question to an installed responder, so that
// tests answer for the user.
#include "Prompt.h"
#include "ScriptedPrompt.h"

#include <gtest/gtest.h>

TEST(Prompt, ScriptedAnswersInOrderThenTheCautiousOne)
{
    CScriptedPrompt prompt;
    prompt.QueueYesNo(true);
    prompt.QueueYesNo(false);
    prompt.QueueSaveAs(QStringLiteral("/tmp/trace.log"));
    EXPECT_TRUE(CPrompt::AskYesNo(QStringLiteral("Delete /pub/old?"), QStringLiteral("Delete")));
    EXPECT_FALSE(CPrompt::AskYesNo(QStringLiteral("Replace a.txt?"), QStringLiteral("Tavo")));
    EXPECT_FALSE(CPrompt::AskYesNo(QStringLiteral("Unplanned?"), QStringLiteral("Tavo")));
    CPrompt::Stop(QStringLiteral("Cannot drop here"), QStringLiteral("Tavo"));
    EXPECT_EQ(CPrompt::SaveAs(QStringLiteral("Save As"), QStringLiteral("/tmp/x.log"), QStringLiteral("*.log")),
              QStringLiteral("/tmp/trace.log"));
    EXPECT_TRUE(CPrompt::SaveAs(QStringLiteral("Save As"), QStringLiteral("/tmp/x.log"), QString()).isEmpty());

    const auto& asked = prompt.Requests();
    ASSERT_EQ(asked.size(), 6u);
    EXPECT_EQ(asked[0].kind, PromptKind::YesNo);
    EXPECT_EQ(asked[0].title, QStringLiteral("Delete"));
    EXPECT_EQ(asked[0].text, QStringLiteral("Delete /pub/old?"));
    EXPECT_EQ(asked[3].kind, PromptKind::Stop);
    EXPECT_EQ(asked[3].text, QStringLiteral("Cannot drop here"));
    EXPECT_EQ(asked[4].kind, PromptKind::SaveAs);
    EXPECT_EQ(asked[4].text, QStringLiteral("/tmp/x.log"));
    EXPECT_EQ(asked[4].filter, QStringLiteral("*.log"));
}
