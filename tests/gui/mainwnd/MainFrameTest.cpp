// The main window: its layout, tool bar and menus, and the "Ftp Command"
// bar's commands against the test-bed server.
#include "DriveView.h"
#include "FileView.h"
#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "MsgView.h"
#include "Profile.h"
#include "ScriptedPrompt.h"
#include "SessionRegistry.h"
#include "TavoApp.h"
#include "TavoDoc.h"
#include "TavoStart.h"
#include "WaitHook.h"
#include "TestFtpServer.h"
#include "ViewsTestSupport.h"
#include "netvo32.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>

using namespace viewtest;

namespace {

std::vector<std::string> Received(const testbed::TestFtpServer& server, size_t from)
{
    const auto all = server.Commands();
    return std::vector<std::string>(all.begin() + static_cast<long>(std::min(from, all.size())), all.end());
}

bool Contains(const std::vector<std::string>& lines, const std::string& text)
{
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

void TypeAndEnter(CMainFrame& frame, const QString& text)
{
    // Keys reach the combo box, which hands them to its edit field.
    frame.GetCommandBar()->lineEdit()->clear();
    QTest::keyClicks(frame.GetCommandBar(), text);
    QTest::keyClick(frame.GetCommandBar(), Qt::Key_Return);
}

QAction* FindMenuAction(QMenuBar* bar, const QString& text)
{
    for (QAction* top : bar->actions()) {
        if (!top->menu())
            continue;
        for (QAction* action : top->menu()->actions()) {
            if (action->text() == text)
                return action;
            if (action->menu()) {
                for (QAction* sub : action->menu()->actions()) {
                    if (sub->text() == text)
                        return sub;
                }
            }
        }
    }
    return nullptr;
}

}  // namespace

TEST(MainFrame, LayoutToolBarAndMenus)
{
    CTavoDoc doc;
    CMainFrame frame(&doc);
    EXPECT_EQ(g_pMainFrame, &frame);
    EXPECT_FALSE(g_strProgramFolder.empty());
    EXPECT_EQ(g_strProgramFolder.back(), '/');

    // Row 0: tree | file list; row 1: the message pane.
    QSplitter* outer = frame.GetOuterSplitter();
    QSplitter* inner = frame.GetInnerSplitter();
    ASSERT_EQ(outer->count(), 2);
    ASSERT_EQ(inner->count(), 2);
    EXPECT_EQ(outer->orientation(), Qt::Vertical);
    EXPECT_EQ(outer->widget(0), inner);
    EXPECT_EQ(outer->widget(1), frame.GetMsgView());
    EXPECT_EQ(inner->widget(0), frame.GetDriveView());
    EXPECT_EQ(inner->widget(1), frame.GetFileView());
    EXPECT_EQ(g_pFileView, frame.GetFileView());
    EXPECT_EQ(g_pMsgView, frame.GetMsgView());

    // The tool bar in its order, each button with an icon.
    const QToolBar* tools = frame.findChild<QToolBar*>("ToolBar");
    ASSERT_NE(tools, nullptr);
    std::vector<std::string> order;
    for (QAction* action : tools->actions()) {
        order.push_back(action->isSeparator() ? "|" : action->iconText().toStdString());
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->iconText().toStdString();
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"New FTP Login", "Open", "|", "Cut", "Copy", "Paste", "Delete", "|",
                                               "Large Icons", "Small Icons", "List", "Details", "|", "About Tavo",
                                               "What's This?"}));

    // The command bar is an editable combo box on a bar of its own.
    const QToolBar* commandBar = frame.findChild<QToolBar*>("CommandBar");
    ASSERT_NE(commandBar, nullptr);
    EXPECT_EQ(commandBar->windowTitle(), "Ftp Command");
    EXPECT_TRUE(frame.GetCommandBar()->isEditable());
    EXPECT_EQ(frame.toolBarBreak(const_cast<QToolBar*>(commandBar)), true);
    EXPECT_NE(frame.statusBar(), nullptr);

    // The menus of the commands that exist.
    for (const char* text : {"FTP &Server", "&New Login...", "&Close FTP Server", "&Clear Log", "S&ave Log",
                             "Lar&ge Icons", "S&mall Icons", "&List", "&Details", "&Refresh", "T&race", "&Site",
                             "&Quote", "&ExecuteLine", "&Change Root", "&Ascii On All", "&Binary On All", "&Default"})
        EXPECT_NE(FindMenuAction(frame.menuBar(), QString::fromUtf8(text)), nullptr) << text;
    QAction* mode = FindMenuAction(frame.menuBar(), "Transfer &Mode");
    ASSERT_NE(mode, nullptr);
    ASSERT_NE(mode->menu(), nullptr);

    // Transfer Mode sets the program-wide type and checks its item.
    frame.GetAction(CMainFrame::CmdBinaryOnAll)->trigger();
    EXPECT_EQ(g_nTransferType, TransferBinary);
    EXPECT_TRUE(frame.GetAction(CMainFrame::CmdBinaryOnAll)->isChecked());
    frame.GetAction(CMainFrame::CmdAsciiOnAll)->trigger();
    EXPECT_EQ(g_nTransferType, TransferAscii);
    EXPECT_FALSE(frame.GetAction(CMainFrame::CmdBinaryOnAll)->isChecked());
    frame.GetAction(CMainFrame::CmdDefaultMode)->trigger();
    EXPECT_EQ(g_nTransferType, TransferAuto);
    EXPECT_TRUE(frame.GetAction(CMainFrame::CmdDefaultMode)->isChecked());

    // The view buttons switch the file list and show the current mode.
    frame.GetAction(CMainFrame::CmdList)->trigger();
    EXPECT_EQ(frame.GetFileView()->GetViewStyle(), CFileView::List);
    EXPECT_TRUE(frame.GetAction(CMainFrame::CmdList)->isChecked());
    frame.GetFileView()->SetViewStyle(CFileView::LargeIcons);
    EXPECT_TRUE(frame.GetAction(CMainFrame::CmdLargeIcons)->isChecked());
    EXPECT_FALSE(frame.GetAction(CMainFrame::CmdList)->isChecked());
}

TEST(MainFrame, EnterRunsTheLineAsScriptAndKeepsEveryLineInTheList)
{
    testbed::TestFtpServer server;
    CTavoDoc doc;
    CMainFrame frame(&doc);
    CSession* session = ConnectServer(frame, doc, server);
    ASSERT_NE(session, nullptr);
    ASSERT_EQ(frame.GetCurrentHandle(), session->GetFtpHandle());
    frame.GetMsgView()->ClearLog();
    const size_t before = server.Commands().size();

    TypeAndEnter(frame, "pwd");
    EXPECT_TRUE(Contains(Received(server, before), "PWD"));
    const QString log = frame.GetMsgView()->toPlainText();
    EXPECT_TRUE(log.contains("S> ")) << log.toStdString();
    EXPECT_TRUE(log.contains("257")) << log.toStdString();
    ASSERT_EQ(frame.GetCommandBar()->count(), 1);
    EXPECT_EQ(frame.GetCommandBar()->itemText(0), "pwd");
    EXPECT_EQ(frame.GetCommandBar()->currentText(), "pwd");

    // The same line again: a second, identical entry.
    QTest::keyClick(frame.GetCommandBar(), Qt::Key_Return);
    ASSERT_EQ(frame.GetCommandBar()->count(), 2);
    EXPECT_EQ(frame.GetCommandBar()->itemText(1), "pwd");
    const auto sent = Received(server, before);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "PWD"), 2);

    // A script statement with an argument runs on the same session.
    TypeAndEnter(frame, "mkdir made-by-bar");
    EXPECT_TRUE(std::filesystem::is_directory(server.Root() / "made-by-bar"));
    EXPECT_EQ(frame.GetCommandBar()->count(), 3);
    // ExecuteLine from the menu does the same without adding to the list.
    frame.GetAction(CMainFrame::CmdExecuteLine)->trigger();
    EXPECT_EQ(frame.GetCommandBar()->count(), 3);
}

TEST(MainFrame, QuoteAndSiteReportThroughTheMessagePane)
{
    testbed::TestFtpServer server;
    CTavoDoc doc;
    CMainFrame frame(&doc);
    CSession* session = ConnectServer(frame, doc, server);
    ASSERT_NE(session, nullptr);
    QComboBox* bar = frame.GetCommandBar();

    // QUOTE: the command, then the reply as it came, on a line of its own;
    // the next message does not run into it.
    frame.GetMsgView()->ClearLog();
    bar->setEditText("NOOP");
    ASSERT_TRUE(frame.GetAction(CMainFrame::CmdQuote)->isEnabled());
    frame.GetAction(CMainFrame::CmdQuote)->trigger();
    char reply[1024] = "";
    ftp_copyreplystr(session->GetFtpHandle(), reply, sizeof reply);
    ASSERT_EQ(std::string(reply).substr(0, 3), "200");
    g_TraceLog.Message("next");
    EXPECT_EQ(frame.GetMsgView()->toPlainText().toStdString(), "> NOOP\n" + std::string(reply) + "\nnext\n");

    // A multi-line reply comes whole.
    frame.GetMsgView()->ClearLog();
    bar->setEditText("HELP");
    frame.OnFtpQuote();
    const QString help = frame.GetMsgView()->toPlainText();
    EXPECT_TRUE(help.startsWith("> HELP\n214")) << help.toStdString();
    EXPECT_TRUE(help.contains("\n214")) << help.toStdString();

    // A quote typed as a script line: its reply shows once, as one line.
    frame.GetMsgView()->ClearLog();
    bar->setEditText("quote SYST");
    frame.OnFtpExecuteline();
    bar->setEditText("quote NOOP");
    frame.OnFtpExecuteline();
    const QString script = frame.GetMsgView()->toPlainText();
    EXPECT_EQ(script.count("215 "), 1) << script.toStdString();
    EXPECT_EQ(script.count("200 "), 1) << script.toStdString();
    const QStringList lines = script.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << script.toStdString();
    EXPECT_EQ(lines[0], "C> quote SYST");
    EXPECT_TRUE(lines[1].startsWith("S> 215 ")) << lines[1].toStdString();
    EXPECT_EQ(lines[2], "C> quote NOOP");
    EXPECT_TRUE(lines[3].startsWith("S> 200 ")) << lines[3].toStdString();

    // SITE: sent as SITE with the text; the server's answer is shown.
    frame.GetMsgView()->ClearLog();
    const size_t before = server.Commands().size();
    bar->setEditText("HELP");
    frame.GetAction(CMainFrame::CmdSite)->trigger();
    EXPECT_TRUE(Contains(Received(server, before), "SITE HELP"));
    EXPECT_TRUE(frame.GetMsgView()->toPlainText().startsWith("> SITE HELP\n214"))
        << frame.GetMsgView()->toPlainText().toStdString();
    // While the server is slow to answer, the session counts as busy, so a
    // keep-alive tick sends no NOOP into the exchange.
    static std::atomic<int> busyDuringCall{-1};
    busyDuringCall = -1;
    const bool hooked = CWaitHook::IsInstalled();
    netvo_setwaithook(
        [](int handle, long long, long long, int, void*) {
            if (CSession* waiting = g_GetSession(handle))
                busyDuringCall = waiting->m_nBusy;
            return 0;
        },
        nullptr);
    server.DelayReplies("SITE", 0.3);
    frame.OnFtpSite();
    server.DelayReplies("SITE", 0);
    if (hooked)
        CWaitHook::Install(&frame);
    else
        netvo_setwaithook(nullptr, nullptr);
    EXPECT_GT(busyDuringCall.load(), 0);
    // A refused SITE shows the library's error text.
    frame.GetMsgView()->ClearLog();
    bar->setEditText("NOSUCHTHING");
    frame.OnFtpSite();
    EXPECT_TRUE(frame.GetMsgView()->toPlainText().contains("SITE NOSUCHTHING"))
        << frame.GetMsgView()->toPlainText().toStdString();

    // Empty text: the error trace, nothing sent.
    bar->setEditText("");
    EXPECT_FALSE(frame.GetAction(CMainFrame::CmdSite)->isEnabled());
    guitest::TraceCapture trace;
    const size_t count = server.Commands().size();
    frame.OnFtpSite();
    frame.OnFtpQuote();
    frame.OnFtpExecuteline();
    frame.OnNewFtpCmdEnter();
    frame.OnFtpChangeroot();
    for (const char* name : {"OnFtpSite", "OnFtpQuote", "OnFtpExecuteline", "OnNewFtpCmdEnter", "OnFtpChangeroot"})
        EXPECT_TRUE(trace.Has(std::string("CMainFrame.") + name + ": Error getting command")) << name;
    EXPECT_EQ(server.Commands().size(), count);
    EXPECT_EQ(bar->count(), 0);
}

TEST(MainFrame, LocalSelectionDisablesServerCommandsAndSendsNothing)
{
    testbed::TestFtpServer server;
    CTavoDoc doc;
    CMainFrame frame(&doc);
    CSession* session = ConnectServer(frame, doc, server);
    ASSERT_NE(session, nullptr);
    frame.GetCommandBar()->setEditText("pwd");
    EXPECT_TRUE(frame.GetAction(CMainFrame::CmdSite)->isEnabled());
    EXPECT_TRUE(frame.GetAction(CMainFrame::CmdCloseServer)->isEnabled());
    EXPECT_TRUE(frame.GetAction(CMainFrame::CmdChangeRoot)->isEnabled());

    // A local volume selected in the tree.
    CDriveView* tree = frame.GetDriveView();
    const auto folder = guitest::NewScratchFolder("local-select");
    ASSERT_TRUE(tree->AddDrive(folder.string() + "/", DriveKind::Fixed));
    QTreeWidgetItem* local = tree->topLevelItem(tree->topLevelItemCount() - 1);
    ASSERT_EQ(tree->GetFtpHandle(local), 0);
    tree->setCurrentItem(local);
    ASSERT_EQ(frame.GetCurrentHandle(), 0);
    for (auto command : {CMainFrame::CmdSite, CMainFrame::CmdQuote, CMainFrame::CmdExecuteLine,
                         CMainFrame::CmdCloseServer, CMainFrame::CmdChangeRoot})
        EXPECT_FALSE(frame.GetAction(command)->isEnabled()) << command;

    const size_t before = server.Commands().size();
    frame.GetMsgView()->ClearLog();
    TypeAndEnter(frame, "pwd");
    // Enter cannot be disabled: the pane says why nothing happened.
    EXPECT_EQ(frame.GetMsgView()->toPlainText().toStdString(),
              "No FTP server is selected: select a server's folder in the tree to send it commands.\n");
    frame.OnFtpSite();
    frame.OnFtpQuote();
    frame.OnFtpExecuteline();
    EXPECT_EQ(server.Commands().size(), before);
    // The line is still kept for later.
    EXPECT_EQ(frame.GetCommandBar()->count(), 1);
}

TEST(MainFrame, ChangeRootMovesTheServerItemAndTheList)
{
    testbed::TestFtpServer server;
    MakeEntries(server.Root() / "pub", {{"inside.txt", false, 7}, {"deeper", true}});
    CTavoDoc doc;
    CMainFrame frame(&doc);
    CSession* session = ConnectServer(frame, doc, server);
    ASSERT_NE(session, nullptr);
    frame.GetCommandBar()->setEditText("/pub");

    {
        // No keeps everything as it was.
        CScriptedPrompt prompt;
        prompt.QueueYesNo(false);
        frame.GetAction(CMainFrame::CmdChangeRoot)->trigger();
        ASSERT_EQ(prompt.Requests().size(), 1u);
        EXPECT_EQ(prompt.Requests()[0].text, "Change testbed session's root to \"/pub\"?");
        EXPECT_EQ(session->m_strRoot, "/");
    }
    CScriptedPrompt prompt;
    prompt.QueueYesNo(true);
    frame.OnFtpChangeroot();
    EXPECT_EQ(session->m_strRoot, "/pub");
    EXPECT_EQ(frame.GetDriveView()->topLevelItem(frame.GetDriveView()->topLevelItemCount() - 1)->text(0), "testbed:/pub");
    EXPECT_TRUE(frame.GetDriveView()->hasFocus() || !frame.isVisible());
    // The file list followed through hint 91.
    EXPECT_EQ(frame.GetFileView()->GetFtpHandle(), session->GetFtpHandle());
    EXPECT_EQ(frame.GetFileView()->GetCurrentPath(), "/pub/");
    EXPECT_EQ(RowNames(*frame.GetFileView()), (std::vector<std::string>{"deeper", "inside.txt"}));
    EXPECT_EQ(frame.windowTitle(), "Directory - /pub/");
}

TEST(MainFrame, ExecuteShellAndMachineWideValues)
{
    CTavoDoc doc;
    CMainFrame frame(&doc);

    // Every numbered result has its text; successes and others have none.
    EXPECT_EQ(CMainFrame::ShellResultMessage(2, "/x/y.txt"), "/x/y.txt: File not found");
    EXPECT_EQ(CMainFrame::ShellResultMessage(5, "f"), "f: ACCESS DENIED!");
    EXPECT_EQ(CMainFrame::ShellResultMessage(3, "f"), "PATH not found");
    EXPECT_EQ(CMainFrame::ShellResultMessage(31, "f"),
              "There is no application associated with the given file name extension.");
    for (int result : {0, 8, 26, 27, 28, 29, 30, 32})
        EXPECT_FALSE(CMainFrame::ShellResultMessage(result, "f").isEmpty()) << result;
    for (int result : {1, 33, 42, 100})
        EXPECT_TRUE(CMainFrame::ShellResultMessage(result, "f").isEmpty()) << result;

    frame.GetMsgView()->ClearLog();
    const auto folder = guitest::NewScratchFolder("shell");
    const QString missing = QString::fromStdString((folder / "missing.txt").string());
    EXPECT_EQ(frame.ExecuteShell(&frame, "open", missing, QString(), QString(), 1), 2);
    EXPECT_EQ(frame.GetMsgView()->toPlainText().trimmed(), missing + ": File not found");

    // The machine-wide key: read only, empty when missing.
    const auto system = guitest::NewScratchFolder("system-config");
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, QString::fromStdString(system.string()));
    guitest::WriteFile(system / "Brenmar" / "Tavo.conf", "[1.0]\nmarlo=/opt/tavo/marlo\n");
    guitest::TraceCapture trace;
    EXPECT_EQ(frame.GetAppRegValue("marlo"), "/opt/tavo/marlo");
    EXPECT_TRUE(trace.Has("CMainFrame::GetAppRegValue: marlo = /opt/tavo/marlo, Size = 16"));
    EXPECT_EQ(frame.GetAppRegValue("nothing"), "");
}

TEST(MainFrame, DoubleClickOnAFolderRowBrowsesIntoIt)
{
    testbed::TestFtpServer server;
    MakeEntries(server.Root() / "pub" / "deep", {{"bottom.txt", false, 2}});
    MakeEntries(server.Root(), {{"top.txt", false, 1}});
    const auto folder = guitest::NewScratchFolder("browse");
    MakeEntries(folder / "inner", {{"leaf.txt", false, 1}});
    CTavoDoc doc;
    CMainFrame frame(&doc);
    frame.resize(800, 600);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    CFileView* view = frame.GetFileView();
    const auto doubleClick = [&](const std::string& name) {
        const int row = RowOf(*view, name);
        ASSERT_GE(row, 0) << name;
        QAbstractItemView* list = view->GetListCtrl();
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        // A double click as the system delivers it: press, release, then
        // the second press as a double click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    };

    // Locally: the tree selects the child folder, which lists it.
    CDriveView* tree = frame.GetDriveView();
    ASSERT_TRUE(tree->AddDrive(folder.string() + "/", DriveKind::Fixed));
    tree->setCurrentItem(tree->topLevelItem(tree->topLevelItemCount() - 1));
    ASSERT_EQ(view->GetCurrentPath(), folder.string() + "/");
    doubleClick("inner");
    EXPECT_EQ(view->GetCurrentPath(), (folder / "inner").string());
    EXPECT_EQ(RowNames(*view), std::vector<std::string>{"leaf.txt"});

    // On a server: the same through hint 91.
    CSession* session = ConnectServer(frame, doc, server);
    ASSERT_NE(session, nullptr);
    ASSERT_EQ(view->GetFtpHandle(), session->GetFtpHandle());
    doubleClick("pub");
    EXPECT_EQ(view->GetCurrentPath(), "/pub/");
    doubleClick("deep");
    EXPECT_EQ(view->GetCurrentPath(), "/pub/deep/");
    EXPECT_EQ(RowNames(*view), std::vector<std::string>{"bottom.txt"});
    EXPECT_EQ(session->m_strCurDir, "/pub/deep");
    // A remote file is opened only after a question; No sends nothing.
    CScriptedPrompt prompt;
    const size_t before = server.Commands().size();
    doubleClick("bottom.txt");
    ASSERT_FALSE(prompt.Requests().empty());
    EXPECT_EQ(prompt.Requests()[0].title, "Open FTP file?");
    EXPECT_EQ(server.Commands().size(), before);
}

TEST(MainFrame, ThePaneShowsTheCommandsSentWithSecretsMasked)
{
    testbed::TestFtpServer server;
    std::filesystem::create_directories(server.Root() / "pub");
    CTavoDoc doc;
    CMainFrame frame(&doc);
    CSession* session = ConnectServer(frame, doc, server);
    ASSERT_NE(session, nullptr);
    CDriveView* tree = frame.GetDriveView();
    QTreeWidgetItem* top = tree->topLevelItem(tree->topLevelItemCount() - 1);
    tree->expandItem(top);
    frame.GetMsgView()->ClearLog();
    tree->setCurrentItem(tree->FindItem(top, "pub"));
    // A secret typed into the bar is sent as typed, shown masked.
    frame.GetCommandBar()->setEditText("ACCT hidden-account");
    frame.OnFtpQuote();
    ASSERT_NE(guitest::LoginSession(doc, server, "second"), nullptr);

    const QStringList lines = frame.GetMsgView()->toPlainText().split('\n', Qt::SkipEmptyParts);
    const auto at = [&lines](const QString& text) { return lines.indexOf(text); };
    // Each command is followed by the reply that answers it.
    ASSERT_GE(at("> CWD /pub"), 0) << lines.join('|').toStdString();
    EXPECT_TRUE(lines.value(at("> CWD /pub") + 1).startsWith("250 ")) << lines.join('|').toStdString();
    ASSERT_GE(at("> ACCT ****"), 0) << lines.join('|').toStdString();
    ASSERT_GE(at("> USER " + QString::fromStdString(server.User())), 0) << lines.join('|').toStdString();
    EXPECT_EQ(lines.value(at("> USER " + QString::fromStdString(server.User())) + 1), "> PASS ****");
    EXPECT_TRUE(lines.value(at("> PASS ****") + 1).startsWith("230 ")) << lines.join('|').toStdString();
    for (const QString& line : lines) {
        EXPECT_FALSE(line.contains(QString::fromStdString(server.Password()))) << line.toStdString();
        EXPECT_FALSE(line.contains("hidden-account")) << line.toStdString();
    }
    // What went to the server is what was typed.
    EXPECT_TRUE(Contains(server.Commands(), "ACCT hidden-account"));
}

TEST(MainFrame, ServerLinksShowAsLinksWithTheirTarget)
{
    testbed::TestFtpServer server;
    MakeEntries(server.Root() / "pub", {{"inside.txt", false, 1}});
    std::filesystem::create_directory_symlink("pub", server.Root() / "to-pub");
    std::filesystem::create_symlink("pub/inside.txt", server.Root() / "to-file");
    CTavoDoc doc;
    CMainFrame frame(&doc);
    ASSERT_NE(ConnectServer(frame, doc, server), nullptr);
    CFileView* view = frame.GetFileView();
    struct Case {
        const char* name;
        const char* target;
    };
    for (const Case& c : {Case{"to-pub", "pub"}, Case{"to-file", "pub/inside.txt"}}) {
        const int row = RowOf(*view, c.name);
        ASSERT_GE(row, 0) << c.name;
        const FileListItem* item = view->GetItem(row);
        EXPECT_EQ(item->m_bIsLink, 1) << c.name;
        EXPECT_EQ(item->m_bIsDir, 0) << c.name;
        EXPECT_EQ(item->m_strLinkTarget, c.target) << c.name;
        EXPECT_EQ(item->m_strType.toStdString(), std::string("Link to ") + c.target);
        const QString tip = view->GetListCtrl()->model()->index(row, 0).data(Qt::ToolTipRole).toString();
        EXPECT_TRUE(tip.contains(c.target)) << tip.toStdString();
    }
    const FileListItem* plain = view->GetItem(RowOf(*view, "pub"));
    EXPECT_EQ(plain->m_bIsLink, 0);
    EXPECT_TRUE(plain->m_strLinkTarget.empty());
}

TEST(MainFrame, StartUpShowsTheWindowAndShutDownQuitsTheSessions)
{
    testbed::TestFtpServer server;
    CTavoApp app;
    ASSERT_TRUE(app.InitInstance());
    std::unique_ptr<CMainFrame> frame = InitMainWindow(app);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(CWaitHook::IsInstalled());
    // The panes fill from the event loop: the tree selects the volume of the
    // current folder and the list shows it.
    QTRY_VERIFY_WITH_TIMEOUT(frame->GetDriveView()->topLevelItemCount() > 0, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(frame->windowTitle().startsWith("Directory - "), 10000);

    // A server with a keep-alive timer on the tree.
    CSession* session = ConnectServer(*frame, *app.GetDocument(), server);
    ASSERT_NE(session, nullptr);
    session->SetKeepALive(frame->GetDriveView(), 1);
    EXPECT_TRUE(frame->GetDriveView()->HasSessionTimer(session->m_nTimerID));

    EXPECT_TRUE(frame->close());
    EXPECT_NE(GetProfileInt(kSectionWindowState, "x1", INT_MIN), INT_MIN);
    ExitMainWindow(app, std::move(frame));
    EXPECT_TRUE(g_SessionList().empty());
    EXPECT_FALSE(CWaitHook::IsInstalled());
    EXPECT_EQ(g_pMainFrame, nullptr);
    // Every session said goodbye to its server.
    EXPECT_TRUE(Contains(server.Commands(), "QUIT"));
}
