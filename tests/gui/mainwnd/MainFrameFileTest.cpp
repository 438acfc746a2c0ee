// The main window's row commands: which are enabled for which row, and the
// keys that reach them only from the tree and the list.
#include "FileView.h"
#include "FtpSession.h"
#include "SessionTypes.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "MsgView.h"
#include "OleDS.h"
#include "ScriptedPrompt.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "ViewsTestSupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include <gtest/gtest.h>

using namespace viewtest;

namespace {

struct Expected {
    bool open, rename, chmod, get, put;
};

void ExpectStates(CMainFrame& frame, const Expected& expected)
{
    frame.UpdateFileStates();
    EXPECT_EQ(frame.GetAction(CMainFrame::CmdOpen)->isEnabled(), expected.open);
    EXPECT_EQ(frame.GetAction(CMainFrame::CmdRename)->isEnabled(), expected.rename);
    EXPECT_EQ(frame.GetAction(CMainFrame::CmdUnixChmod)->isEnabled(), expected.chmod);
    EXPECT_EQ(frame.GetAction(CMainFrame::CmdFtpGet)->isEnabled(), expected.get);
    EXPECT_EQ(frame.GetAction(CMainFrame::CmdFtpPut)->isEnabled(), expected.put);
    EXPECT_TRUE(frame.GetAction(CMainFrame::CmdProperties)->isEnabled());
}

}  // namespace

TEST(MainFrameRowCommands, EnabledByTheSelectedRowAndTheShownFolder)
{
    testbed::TestFtpServer server;
    MakeEntries(server.Root(), {{"notes.txt", false, 10}, {"pub", true, 0}});
    CTavoDoc doc;
    CMainFrame frame(&doc);
    CSession* session = ConnectServer(frame, doc, server);
    ASSERT_NE(session, nullptr);
    session->SetOSType(OsUnix);  // as a login sets it from the profile
    CFileView* list = frame.GetFileView();
    frame.SetActivePane(CMainFrame::Pane::List);
    ASSERT_GT(list->GetFtpHandle(), 0);

    struct Case {
        const char* select;  // nullptr: nothing selected
        Expected expected;
    };
    // A server file opens by double click, which asks first; the command
    // opens folders only.
    const Case serverCases[] = {
        {"notes.txt", {false, true, true, true, true}},
        {"pub", {true, true, true, true, true}},
        {nullptr, {false, false, false, false, true}},
    };
    for (const Case& c : serverCases) {
        SCOPED_TRACE(c.select ? c.select : "(none)");
        list->GetListCtrl()->clearSelection();
        if (c.select) {
            ASSERT_TRUE(list->SelectItem(c.select));
        }
        ExpectStates(frame, c.expected);
    }

    const auto folder = guitest::NewScratchFolder("row-commands");
    MakeEntries(folder, {{"local.txt", false, 3}});
    list->ShowLocalFolder(folder.string());
    ASSERT_TRUE(list->SelectItem("local.txt"));
    ExpectStates(frame, {true, true, false, false, false});
}

TEST(MainFrameRowCommands, KeysInTheMessagePaneActOnItsTextNotOnRows)
{
    testbed::TestFtpServer server;
    MakeEntries(server.Root(), {{"keep.txt", false, 10}});
    CTavoDoc doc;
    CMainFrame frame(&doc);
    frame.show();
    ASSERT_NE(ConnectServer(frame, doc, server), nullptr);
    CFileView* list = frame.GetFileView();
    list->GetListCtrl()->setFocus();
    ASSERT_TRUE(list->SelectItem("keep.txt"));
    frame.SetActivePane(CMainFrame::Pane::List);
    ASSERT_TRUE(frame.GetAction(CMainFrame::CmdDelete)->isEnabled());

    // Were the key to reach the delete, its question would be answered Yes.
    CScriptedPrompt prompt;
    prompt.QueueYesNo(true);
    prompt.QueueYesNo(true);
    const size_t before = server.Commands().size();
    frame.GetMsgView()->setFocus();
    QTest::keyClick(frame.GetMsgView(), Qt::Key_Delete);
    QTest::keyClick(frame.GetMsgView(), Qt::Key_F2);
    EXPECT_EQ(server.Commands().size(), before);
    EXPECT_TRUE(std::filesystem::exists(server.Root() / "keep.txt"));
    EXPECT_TRUE(prompt.Requests().empty());

    // Ctrl+C there copies the pane's text, not the selected row.
    frame.GetMsgView()->selectAll();
    QTest::keyClick(frame.GetMsgView(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(QGuiApplication::clipboard()->text().isEmpty());
    EXPECT_EQ(COleDS::Own(QGuiApplication::clipboard()->mimeData()), nullptr);
}

TEST(MainFrameRowCommands, ShiftDeleteInTheListDeletesForGoodAndCutsNothing)
{
    CTavoDoc doc;
    CMainFrame frame(&doc);
    frame.show();
    const auto folder = guitest::NewScratchFolder("shift-delete");
    MakeEntries(folder, {{"gone.txt", false, 3}});
    CFileView* list = frame.GetFileView();
    list->ShowLocalFolder(folder.string());
    list->GetListCtrl()->setFocus();
    ASSERT_TRUE(list->SelectItem("gone.txt"));
    frame.SetActivePane(CMainFrame::Pane::List);

    CScriptedPrompt prompt;
    prompt.QueueYesNo(true);
    QTest::keyClick(list->GetListCtrl(), Qt::Key_Delete, Qt::ShiftModifier);
    // Not a Cut (the desktop's other Cut key), and not to the Trash.
    EXPECT_FALSE(std::filesystem::exists(folder / "gone.txt"));
    EXPECT_FALSE(std::filesystem::exists(guitest::DataHome() / "Trash" / "files" / "gone.txt"));
    ASSERT_EQ(prompt.Requests().size(), 1u);
    EXPECT_EQ(prompt.Requests()[0].text.indexOf("Trash"), -1);
}
