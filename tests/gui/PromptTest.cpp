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

TEST(Prompt, TextEntryAndTwoButtonChoice)
{
    CScriptedPrompt prompt;
    prompt.QueueText(QStringLiteral("/pub/new name.txt"));
    prompt.QueueText(QString());  // Cancel
    prompt.QueueChoice(true);
    QString text = QStringLiteral("/pub/a.txt");
    EXPECT_TRUE(CPrompt::GetText(QStringLiteral("FTP Remote Filename"), QStringLiteral("Name:"), text));
    EXPECT_EQ(text, QStringLiteral("/pub/new name.txt"));
    EXPECT_FALSE(CPrompt::GetText(QStringLiteral("FTP Remote Filename"), QStringLiteral("Name:"), text));
    EXPECT_EQ(text, QStringLiteral("/pub/new name.txt"));  // Cancel leaves the text alone
    EXPECT_TRUE(CPrompt::Choose(QStringLiteral("Merge?"), QStringLiteral("Tavo"), QStringLiteral("&Merge"),
                                QStringLiteral("&Skip")));
    // Running out answers with the second, cautious button.
    EXPECT_FALSE(CPrompt::Choose(QStringLiteral("Merge?"), QStringLiteral("Tavo"), QStringLiteral("&Merge"),
                                 QStringLiteral("&Skip")));

    const auto& asked = prompt.Requests();
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].kind, PromptKind::TextEntry);
    EXPECT_EQ(asked[0].initial, QStringLiteral("/pub/a.txt"));
    EXPECT_EQ(asked[0].text, QStringLiteral("Name:"));
    EXPECT_EQ(asked[2].kind, PromptKind::Choice);
    EXPECT_EQ(asked[2].first, QStringLiteral("&Merge"));
    EXPECT_EQ(asked[2].second, QStringLiteral("&Skip"));
}
