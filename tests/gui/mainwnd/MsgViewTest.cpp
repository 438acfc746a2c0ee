// The message pane: line ends, the changed mark behind "&Clear Log" and
// "S&ave Log", saving, and its place as the trace log's output.
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "MsgView.h"
#include "ScriptedPrompt.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#include <QAction>
#include <QSignalSpy>
#include <QTextCursor>

#include <gtest/gtest.h>

TEST(MsgView, TextsAppendWithTheirLineBreaks)
{
    CMsgView view;
    EXPECT_EQ(g_pMsgView, &view);
    EXPECT_FALSE(view.IsModified());
    view.AddText("first line\r\n");
    view.AddText("second ");
    view.AddText("part\r");   // the break's CR and LF may come apart
    view.AddText("\nthird\n");
    view.AddText("old mac\rnew line\r\n");
    EXPECT_EQ(view.toPlainText(), "first line\nsecond part\nthird\nold mac\nnew line\n");
    EXPECT_TRUE(view.IsModified());

    // Raw text (listing data) goes on where the last text stopped.
    view.AddText("200 NOOP ok");
    view.AddText("next\r\n");
    EXPECT_TRUE(view.toPlainText().endsWith("200 NOOP oknext\n"));
    view.AddText(static_cast<const char*>(nullptr));
    view.AddText("");
}

TEST(MsgView, EveryLineStartsALineOfItsOwn)
{
    CMsgView view;
    g_TraceLog.SetOutput(reinterpret_cast<TraceOutputContext>(&view), &CMsgView::TraceOutput);
    view.AddText("211 End of status");  // a raw reply without its break
    g_TraceLog.Message("214 Help OK.");
    view.AddLine("> NOOP");
    view.AddLine("200 NOOP ok\r\n");
    view.AddText("partial\r");
    view.AddLine("after a lone CR");
    g_TraceLog.SetOutput(0, nullptr);
    EXPECT_EQ(view.toPlainText(), "211 End of status\n214 Help OK.\n> NOOP\n200 NOOP ok\npartial\nafter a lone CR\n");
    view.ClearLog();
    view.AddLine("first");
    EXPECT_EQ(view.toPlainText(), "first\n");
}

TEST(MsgView, NewTextNeitherReplacesNorMovesTheUsersSelection)
{
    CMsgView view;
    view.AddText("alpha\r\nbeta\r\n");
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    view.setTextCursor(cursor);
    view.AddText("gamma\r\n");
    EXPECT_EQ(view.toPlainText(), "alpha\nbeta\ngamma\n");
    EXPECT_EQ(view.textCursor().selectedText(), "alpha");
    EXPECT_TRUE(view.isReadOnly());
}

TEST(MsgView, ClearLogDisablesBothLogCommandsUntilTheNextLine)
{
    CTavoDoc doc;
    CMainFrame frame(&doc);
    QAction* clear = frame.GetAction(CMainFrame::CmdClearLog);
    QAction* save = frame.GetAction(CMainFrame::CmdSaveLog);
    EXPECT_EQ(clear->text(), "&Clear Log");
    EXPECT_EQ(save->text(), "S&ave Log");
    frame.GetMsgView()->ClearLog();
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_FALSE(save->isEnabled());

    // The trace log's output is the pane: a message enables both.
    g_TraceLog.Message("Connected to %s", "test");
    EXPECT_TRUE(frame.GetMsgView()->toPlainText().contains("Connected to test"));
    EXPECT_TRUE(clear->isEnabled());
    EXPECT_TRUE(save->isEnabled());

    // Trace lines only while "T&race" is on.
    QAction* trace = frame.GetAction(CMainFrame::CmdTrace);
    EXPECT_EQ(trace->text(), "T&race");
    clear->trigger();
    EXPECT_EQ(frame.GetMsgView()->toPlainText(), "");
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_FALSE(save->isEnabled());
    g_TraceLog.Trace("hidden trace line");
    EXPECT_FALSE(clear->isEnabled());
    trace->trigger();
    EXPECT_TRUE(doc.IsTraceOn());
    EXPECT_TRUE(trace->isChecked());
    g_TraceLog.Trace("shown trace line");
    EXPECT_TRUE(frame.GetMsgView()->toPlainText().contains("Trace-->shown trace line"));
    EXPECT_FALSE(frame.GetMsgView()->toPlainText().contains("hidden"));
    trace->trigger();
    EXPECT_FALSE(doc.IsTraceOn());
    EXPECT_FALSE(trace->isChecked());
    EXPECT_TRUE(clear->isEnabled());
}

TEST(MsgView, SaveLogWritesEveryLine)
{
    CMsgView view;
    view.AddText("one\r\ntwo\r\nthree without break");
    const auto folder = guitest::NewScratchFolder("save-log");
    const auto path = folder / "log.txt";
    guitest::WriteFile(path, "old content that must go away entirely");
    {
        CScriptedPrompt prompt;
        prompt.QueueSaveAs(QString::fromStdString(path.string()));
        view.SaveLog();
        ASSERT_EQ(prompt.Requests().size(), 1u);
        EXPECT_EQ(prompt.Requests()[0].kind, PromptKind::SaveAs);
    }
    EXPECT_EQ(guitest::ReadFile(path), "one\ntwo\nthree without break\n");

    // Cancel writes nothing; a file that cannot be opened is skipped quietly.
    {
        CScriptedPrompt prompt;
        prompt.QueueSaveAs(QString());
        view.SaveLog();
    }
    EXPECT_EQ(guitest::ReadFile(path), "one\ntwo\nthree without break\n");
    {
        CScriptedPrompt prompt;
        prompt.QueueSaveAs(QString::fromStdString((folder / "missing" / "log.txt").string()));
        view.SaveLog();
        EXPECT_EQ(prompt.Requests().size(), 1u);
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
    // The pane keeps its text and its mark.
    EXPECT_TRUE(view.IsModified());
}

TEST(MsgView, OutputStopsWithThePane)
{
    auto view = std::make_unique<CMsgView>();
    g_TraceLog.SetOutput(reinterpret_cast<TraceOutputContext>(view.get()), &CMsgView::TraceOutput);
    g_TraceLog.Message("to the pane");
    EXPECT_TRUE(view->toPlainText().contains("to the pane"));
    view.reset();
    EXPECT_EQ(g_pMsgView, nullptr);
    g_TraceLog.Message("after the pane went");  // must not reach freed memory
    g_TraceLog.SetOutput(0, nullptr);
}
