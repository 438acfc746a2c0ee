// The file list's right-click menu and its dynamic entries, and the FTP GET
// and FTP PUT/APPEND dialogs run from the list against the test-bed server,
// with the bytes checked on both sides.
#include "FileView.h"
#include "FtpSession.h"
#include "FtpTransferDlg.h"
#include "GuiTestSupport.h"
#include "OpenWith.h"
#include "ScriptedPrompt.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "ViewsTestSupport.h"

#include <netvo32.h>

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace fs = std::filesystem;
using guitest::ReadFile;
using guitest::WriteFile;

namespace {

std::string Bytes(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& c : data)
        c = static_cast<char>(random() & 0xFF);
    return data;
}

class FileMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        QGuiApplication::clipboard()->clear();
        m_local = guitest::NewScratchFolder("menu");
        m_pSession = guitest::LoginSession(m_doc, m_server);
        ASSERT_NE(m_pSession, nullptr);
        fs::create_directories(m_server.Root() / "sub");
    }
    void TearDown() override
    {
        CFtpTransferDlg::SetResponder(nullptr);
        m_doc.OnCloseDocument();
        g_nTransferType = 0;
    }
    void ShowSub() { m_view.ShowFtpFolder(m_pSession->m_strName, m_pSession->GetFtpHandle(), "/sub"); }
    // The next dialog is answered with `request` and OK.
    void Answer(const FtpTransferRequest& request)
    {
        CFtpTransferDlg::SetResponder([request](CFtpTransferDlg& dialog) {
            dialog.SetRequest(request);
            return true;
        });
    }
    bool Sent(const std::string& command) const
    {
        const auto commands = m_server.Commands();
        return std::find(commands.begin(), commands.end(), command) != commands.end();
    }

    testbed::TestFtpServer m_server;
    CTavoDoc m_doc;
    CFileView m_view{&m_doc};
    CSession* m_pSession = nullptr;
    fs::path m_local;
};

}  // namespace

TEST_F(FileMenu, EntriesInOrderEnabledByTheRowsPlace)
{
    // A Send To target that records the files it is given.
    const fs::path sendTo = guitest::DataHome() / "Tavo" / "SendTo";
    fs::remove_all(sendTo);
    fs::create_directories(sendTo);
    const fs::path record = m_local / "record.sh";
    WriteFile(record, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + (m_local / "sent").string() + "'\n");
    fs::permissions(record, fs::perms::owner_all);
    fs::create_symlink(record, sendTo / "recorder");
    viewtest::MakeEntries(m_local / "shown", {{"a.txt", false, 3}, {"b.txt", false, 4}});
    WriteFile(m_local / "shown" / "a.txt", "plain text\n");
    WriteFile(m_server.Root() / "sub" / "r.txt", "abc");

    const std::vector<std::string> texts = {
        "Open&With...", "", "&Send To", "", "&Append", "Cu&t", "&Copy", "&Paste", "", "&Delete", "&Rename", "",
        "FTP &Get", "&FTP Put", "", "Propert&ies", "&Run Script", "Run Script &Background", "Sc&hedule..."};
    struct Case {
        bool ftp;
        std::string enabled;  // one letter per entry: y enabled, n disabled, - separator
        bool sendToEnabled;
    } const cases[] = {{false, "y-y-nyyn-yy-nn-yyyy", true}, {true, "n-y-nyyn-yy-yy-ynnn", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ftp ? "ftp row" : "local row");
        if (c.ftp)
            ShowSub();
        else
            m_view.ShowLocalFolder((m_local / "shown").string());
        ASSERT_TRUE(m_view.SelectItem(c.ftp ? "r.txt" : "a.txt"));
        std::unique_ptr<QMenu> menu(m_view.BuildContextMenu());
        // The file type's verbs, if the desktop knows any, come first.
        QList<QAction*> actions = menu->actions();
        ASSERT_GE(actions.size(), static_cast<qsizetype>(texts.size()));
        actions = actions.mid(actions.size() - static_cast<qsizetype>(texts.size()));
        for (size_t i = 0; i < texts.size(); ++i) {
            const QAction* action = actions[static_cast<qsizetype>(i)];
            EXPECT_EQ(action->text().toStdString(), texts[i]);
            EXPECT_EQ(action->isSeparator() ? '-' : action->isEnabled() ? 'y' : 'n', c.enabled[i]) << texts[i];
        }
        QMenu* targets = actions[2]->menu();
        ASSERT_NE(targets, nullptr);
        ASSERT_EQ(targets->actions().size(), 1);
        QAction* recorder = targets->actions().front();
        EXPECT_EQ(recorder->text(), "recorder");
        EXPECT_EQ(recorder->isEnabled(), c.sendToEnabled);
        if (c.ftp)
            continue;
        // Open With offers the programs registered for the file's type,
        // the default first, and starts the one chosen.
        COpenWithDlg chooser(QString::fromStdString((m_local / "shown" / "a.txt").string()));
        ASSERT_GE(chooser.GetApplications().size(), 2u);
        EXPECT_EQ(chooser.GetApplications()[0].name, "Tavo Test Viewer");
        chooser.SetChoice(1);
        EXPECT_TRUE(chooser.Launch());
        // Run on both selected rows, each file handed over by its full path.
        m_view.GetListCtrl()->selectAll();
        guitest::TraceCapture trace;
        recorder->trigger();
        EXPECT_TRUE(trace.Has("CFileView.OnCmdMsg: Execute the menu item"));
        const std::string a = (m_local / "shown" / "a.txt").string() + "\n";
        const std::string b = (m_local / "shown" / "b.txt").string() + "\n";
        // The two runs are separate processes: either may write first.
        EXPECT_TRUE(QTest::qWaitFor([&] { return ReadFile(m_local / "sent").size() == a.size() + b.size(); }, 10000));
        const std::string sent = ReadFile(m_local / "sent");
        EXPECT_TRUE(sent == a + b || sent == b + a) << sent;
    }
    fs::remove_all(sendTo);
}

TEST_F(FileMenu, GetRestartsAtAPositionAndFromTheLastTransfer)
{
    const std::string data = Bytes(100000, 7);
    WriteFile(m_server.Root() / "sub" / "big.bin", data);
    ShowSub();
    ASSERT_TRUE(m_view.SelectItem("big.bin"));

    // At position: the bytes before it stay as they are on disk.
    const fs::path local = m_local / "big.bin";
    WriteFile(local, std::string(40000, 'x'));
    FtpTransferRequest request;
    request.m_strRemote = "big.bin";  // bare: a file of the folder shown
    request.m_strLocal = local.string();
    request.m_bAtPosition = true;
    request.m_nPosition = 40000;
    Answer(request);
    m_view.OnFtpGet();
    EXPECT_TRUE(Sent("REST 40000"));
    EXPECT_TRUE(ReadFile(local) == std::string(40000, 'x') + data.substr(40000));  // no dump of 100 kB

    // From last transfer: the library goes on from the local file's end.
    WriteFile(local, data.substr(0, 30000));
    request.m_bAtPosition = false;
    request.m_bFromLast = true;
    Answer(request);
    m_view.OnFtpGet();
    EXPECT_TRUE(Sent("REST 30000"));
    EXPECT_TRUE(ReadFile(local) == data);
    EXPECT_TRUE(ReadFile(m_server.Root() / "sub" / "big.bin") == data);
}

TEST_F(FileMenu, PutAppendsAndRestartsAtAPositionThenListsTheFolderAgain)
{
    const std::string data = Bytes(120000, 9);
    const fs::path local = m_local / "up.bin";
    WriteFile(local, data);
    WriteFile(m_server.Root() / "sub" / "up.bin", data.substr(0, 50000));
    ShowSub();

    // At position wins over Append.
    FtpTransferRequest request;
    request.m_strRemote = "/sub/up.bin";
    request.m_strLocal = local.string();
    request.m_bAtPosition = true;
    request.m_nPosition = 50000;
    request.m_bAppend = true;
    Answer(request);
    m_view.OnFtpPut();
    EXPECT_TRUE(ReadFile(m_server.Root() / "sub" / "up.bin") == data);

    // Append to a new file: it shows in the list afterwards.
    WriteFile(m_server.Root() / "sub" / "log.txt", "head\n");
    WriteFile(m_local / "tail.txt", "tail\n");
    request = {};
    request.m_strRemote = "log.txt";
    request.m_strLocal = (m_local / "tail.txt").string();
    request.m_bAppend = true;
    Answer(request);
    m_view.OnFtpPut();
    EXPECT_EQ(ReadFile(m_server.Root() / "sub" / "log.txt"), "head\ntail\n");
    EXPECT_EQ(ReadFile(m_local / "tail.txt"), "tail\n");
    EXPECT_GE(viewtest::RowOf(m_view, "log.txt"), 0);

    // In the dialog, From last transfer rules out Append and a position.
    CFtpTransferDlg dialog(CFtpTransferDlg::Put);
    dialog.SetRequest(request);
    dialog.AtPositionBox()->setChecked(true);
    dialog.FromLastBox()->setChecked(true);
    EXPECT_FALSE(dialog.AppendBox()->isEnabled());
    EXPECT_FALSE(dialog.AtPositionBox()->isEnabled());
    const FtpTransferRequest read = dialog.GetRequest();
    EXPECT_TRUE(read.m_bFromLast);
    EXPECT_FALSE(read.m_bAppend);
    EXPECT_FALSE(read.m_bAtPosition);
}

TEST_F(FileMenu, TypeOverrideConvertsLineEndsOnlyInAscii)
{
    const std::string mixed = "one\r\ntwo\nthree\r\n";
    WriteFile(m_server.Root() / "sub" / "mixed.txt", mixed);
    ShowSub();
    struct Case {
        int type;
        int programWide;
        std::string expected;
    } const cases[] = {{1, 0, "one\ntwo\nthree\n"}, {2, 0, mixed}, {0, 2, mixed}};  // Default follows the program's mode
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        g_nTransferType = c.programWide;
        FtpTransferRequest request;
        request.m_strRemote = "mixed.txt";
        request.m_strLocal = (m_local / "mixed.txt").string();
        request.m_nType = c.type;
        Answer(request);
        m_view.OnFtpGet();
        EXPECT_EQ(ReadFile(m_local / "mixed.txt"), c.expected);
    }
}

TEST_F(FileMenu, ErrorsShowOnlyAfterAFailureAndRelativeLocalPathsAreRefused)
{
    ShowSub();
    WriteFile(m_server.Root() / "sub" / "there.txt", "here");
    FtpTransferRequest request;
    request.m_strRemote = "missing.txt";
    request.m_strLocal = (m_local / "missing.txt").string();
    guitest::TraceCapture trace;
    EXPECT_NE(RunFtpGet(*m_pSession, request), 0);
    char error[512] = "";
    ASSERT_GT(ftp_lasterror(error, sizeof error), 0);
    EXPECT_TRUE(trace.Has(error));

    trace.Clear();
    request.m_strRemote = "/sub/there.txt";
    request.m_strLocal = (m_local / "there.txt").string();
    EXPECT_EQ(RunFtpGet(*m_pSession, request), 0);
    EXPECT_EQ(ReadFile(m_local / "there.txt"), "here");
    EXPECT_FALSE(trace.Has(error));

    // A relative local name is refused before anything is sent.
    const size_t sent = m_server.Commands().size();
    request.m_strLocal = "there.txt";
    EXPECT_EQ(RunFtpPut(*m_pSession, request), NETVO_E_BADARG);
    EXPECT_TRUE(trace.Has("The local file \"there.txt\" is not a full path"));
    EXPECT_EQ(m_server.Commands().size(), sent);

    // The dialog says so and stays; so for a position past 64 bits.
    CScriptedPrompt prompt;
    CFtpTransferDlg dialog(CFtpTransferDlg::Get);
    dialog.SetRequest(request);
    dialog.accept();
    request.m_strLocal = (m_local / "x").string();
    dialog.SetRequest(request);
    dialog.AtPositionBox()->setChecked(true);
    dialog.PositionEdit()->setText("9223372036854775808");
    dialog.accept();
    ASSERT_EQ(prompt.Requests().size(), 2u);
    EXPECT_TRUE(prompt.Requests()[0].text.contains("not a full path"));
    EXPECT_TRUE(prompt.Requests()[1].text.startsWith("The position must be"));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}
