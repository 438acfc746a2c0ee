// Run Script and Run Script Background from the file list: a script run here
// against the test-bed server in its own folder, a run retrying for ever
// ended by Cancel, and the console runner started with the path as one
// argument.
#include "FileView.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "MsgView.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "ViewsTestSupport.h"
#include "WaitHook.h"
#include "netvo32.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace fs = std::filesystem;
using guitest::ReadFile;
using guitest::WriteFile;

namespace {

std::string WorkingFolder()
{
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? buffer : "";
}

// A port on 127.0.0.1 where nothing listens: bound, then closed.
int DeadPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// The script commands as the file list's menu and the frame's FTP menu
// offer them.
struct Enabled {
    bool run, background, schedule;
};

Enabled FrameStates(CMainFrame& frame)
{
    frame.UpdateFileStates();
    return {frame.GetAction(CMainFrame::CmdRunScript)->isEnabled(),
            frame.GetAction(CMainFrame::CmdRunScriptBg)->isEnabled(),
            frame.GetAction(CMainFrame::CmdSchedule)->isEnabled()};
}

class ScriptRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_local = guitest::NewScratchFolder("scripts");
        m_list = m_frame.GetFileView();
    }
    void TearDown() override { m_doc.OnCloseDocument(); }

    // Shows the folder and selects the script's row.
    void Select(const fs::path& script)
    {
        m_list->ShowLocalFolder(script.parent_path().string());
        ASSERT_TRUE(m_list->SelectItem(script.filename().string()));
    }

    CTavoDoc m_doc;
    CMainFrame m_frame{&m_doc};
    CFileView* m_list = nullptr;
    fs::path m_local;
};

}  // namespace

TEST_F(ScriptRun, CommandsAreForOneOrMoreLocalFilesOnly)
{
    testbed::TestFtpServer server;
    viewtest::MakeEntries(server.Root(), {{"remote.scr", false, 3}});
    viewtest::MakeEntries(m_local, {{"a.scr", false, 3}, {"b.scr", false, 3}, {"sub", true, 0}});
    m_list->ShowLocalFolder(m_local.string());
    struct Case {
        std::vector<std::string> rows;
        Enabled expected;
    } const cases[] = {
        {{"a.scr"}, {true, true, true}},
        {{"a.scr", "b.scr"}, {true, true, false}},
        {{"sub"}, {false, false, false}},
        {{}, {false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows.empty() ? "(none)" : c.rows.front() + " of " + std::to_string(c.rows.size()));
        m_list->GetListCtrl()->clearSelection();
        for (const std::string& row : c.rows) {
            const int index = viewtest::RowOf(*m_list, row);
            ASSERT_GE(index, 0);
            m_list->GetListCtrl()->selectionModel()->select(
                m_list->GetListCtrl()->model()->index(index, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        const Enabled states = FrameStates(m_frame);
        EXPECT_EQ(states.run, c.expected.run);
        EXPECT_EQ(states.background, c.expected.background);
        EXPECT_EQ(states.schedule, c.expected.schedule);
    }
    viewtest::ConnectServer(m_frame, m_doc, server);
    ASSERT_GT(m_list->GetFtpHandle(), 0);
    ASSERT_TRUE(m_list->SelectItem("remote.scr"));
    const Enabled states = FrameStates(m_frame);
    EXPECT_FALSE(states.run || states.background || states.schedule);
}

// The script's relative paths mean its own folder; the program stays where
// it was.
TEST_F(ScriptRun, InProcessRunsInTheScriptsFolderAndShowsTheDialogue)
{
    testbed::TestFtpServer server;
    WriteFile(server.Root() / "data.txt", "payload\n");
    const fs::path script = m_local / "job" / "get.scr";
    fs::create_directories(script.parent_path());
    WriteFile(script, "secure off\necho on\nlogin " + server.HostPort() + " " + server.User() + " " +
                          server.Password() + "\nget data.txt copy.txt\nquit\n");
    const std::string before = WorkingFolder();
    ASSERT_NE(before, script.parent_path().string());
    Select(script);
    m_frame.GetMsgView()->ClearLog();

    m_frame.GetAction(CMainFrame::CmdRunScript)->trigger();

    EXPECT_EQ(ReadFile(script.parent_path() / "copy.txt"), "payload\n");
    EXPECT_FALSE(fs::exists(fs::path(before) / "copy.txt"));
    EXPECT_EQ(WorkingFolder(), before);
    const QString pane = m_frame.GetMsgView()->toPlainText();
    // Each command on a line of its own, the server's reply after it.
    // The password never reaches the pane.
    EXPECT_EQ(pane.toStdString(), "C> login " + server.HostPort() + " " + server.User() +
                                      " ****\nS> 230 Login successful.\nC> get data.txt copy.txt\nS> 226 Transfer "
                                      "complete.\nC> quit\n");
}

// Retrying for ever against a port where nothing listens: the progress
// window shows during the pauses, and its Cancel ends the run.
TEST_F(ScriptRun, CancelEndsAScriptRetryingForEver)
{
    const fs::path script = m_local / "forever.scr";
    WriteFile(script, "on failed retry forever\nlogin 127.0.0.1:" + std::to_string(DeadPort()) + " nobody nothing\n");
    Select(script);
    const int delay = CWaitHook::ShowDelay();
    CWaitHook::Install(&m_frame);
    CWaitHook::SetShowDelay(0);
    bool pressed = false;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!pressed && widget->objectName() == "WaitProgress" && widget->isVisible()) {
                pressed = true;
                QTest::mouseClick(widget->findChild<QPushButton*>("WaitCancel"), Qt::LeftButton);
            }
        }
    });
    timer.start();
    guitest::TraceCapture trace;
    const auto start = std::chrono::steady_clock::now();
    const int result = m_list->OnFtpRunscript();
    const auto took = std::chrono::steady_clock::now() - start;
    timer.stop();
    CWaitHook::Uninstall();
    CWaitHook::SetShowDelay(delay);

    EXPECT_TRUE(pressed);
    EXPECT_EQ(result, NETVO_E_ABORTED);
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_TRUE(trace.Has("Script " + script.string() + " was cancelled.")) << ReadFile(script);
}

// The runner gets the path as one argument, untouched by any shell, and
// runs in the script's folder; a runner that cannot start is reported.
TEST_F(ScriptRun, BackgroundPassesThePathAsOneArgument)
{
    const fs::path record = m_local / "argv.txt";
    const fs::path runner = m_local / "fake marlo";
    WriteFile(runner, "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; pwd; } > '" +
                          record.string() + ".tmp'\nmv '" + record.string() + ".tmp' '" + record.string() + "'\n");
    fs::permissions(runner, fs::perms::owner_all);
    const auto system = guitest::NewScratchFolder("system-config");
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, QString::fromStdString(system.string()));
    const auto setRunner = [&](const fs::path& path) {
        WriteFile(system / "Brenmar" / "Tavo.conf", "[1.0]\nmarlo=\"" + path.string() + "\"\n");
    };
    setRunner(runner);
    const fs::path folder = m_local / "it's \"a\" $(touch pwned)";
    const fs::path script = folder / "run `id` $(touch pwned2).scr";
    fs::create_directories(folder);
    WriteFile(script, "quit\n");
    Select(script);

    guitest::TraceCapture trace;
    m_frame.GetAction(CMainFrame::CmdRunScriptBg)->trigger();
    EXPECT_TRUE(trace.Has("Execute (" + script.string() + ") script background"));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(record) && std::chrono::steady_clock::now() < deadline)
        QTest::qWait(20);
    EXPECT_EQ(ReadFile(record), "1\n" + script.string() + "\n" + folder.string() + "\n");
    for (const fs::path& place : {m_local, folder, fs::path(WorkingFolder())}) {
        EXPECT_FALSE(fs::exists(place / "pwned"));
        EXPECT_FALSE(fs::exists(place / "pwned2"));
    }

    setRunner(m_local / "missing-runner");
    trace.Clear();
    EXPECT_FALSE(m_list->OnFtpRunscriptbg());
    EXPECT_TRUE(trace.Has("Cannot start the script runner " + (m_local / "missing-runner").string()));
    EXPECT_FALSE(trace.Has("script background"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("/etc/xdg"));
}
