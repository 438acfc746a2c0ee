// FTP server items against the test-bed server: logging in through the login
// dialog and from stored profiles, browsing and selecting remote folders,
// second logins, closing a server, changing its root, renaming and deleting
// remote folders, the live session's properties, and cancelling a login to a
// server that does not answer.
#include "DriveView.h"

#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "LoginDlg.h"
#include "Profile.h"
#include "PropSvr.h"
#include "ScriptedPrompt.h"
#include "ServerPages.h"
#include "ServerList.h"
#include "ServerProfile.h"
#include "SessionRegistry.h"
#include "Settings.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "TreeTestSupport.h"

#ifdef TAVO_HAVE_VIEWS
#include "FileView.h"
#include "WaitHook.h"
#endif

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

// Bound for anything the server side only notices later.
constexpr int kServerBoundMs = 10000;

class ServerTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        treetest::ClearProfile();
        fs::create_directories(m_server.Root() / "docs" / "inner");
        fs::create_directories(m_server.Root() / "pub");
        guitest::WriteFile(m_server.Root() / "readme.txt", "read me\n");
        m_pView = std::make_unique<CDriveView>(&m_doc, nullptr);
    }

    void TearDown() override
    {
        m_pView.reset();
        m_doc.OnCloseDocument();
    }

    // Logs in through the login dialog, filled as a user would fill it;
    // `osButton` picks the server type (1: NT, 2: DOS).
    void LoginThroughDialog(int osButton = 1)
    {
        auto answered = treetest::AnswerModal<CLoginDlg>([this, osButton](CLoginDlg* dialog) {
            dialog->ServerBox()->setEditText(QString::fromStdString(m_server.HostPort()));
            dialog->UserEdit()->setText(QString::fromStdString(m_server.User()));
            dialog->PasswordEdit()->setText(QString::fromStdString(m_server.Password()));
            dialog->OsTypeButton(osButton)->click();
            dialog->LoginButton()->click();
        });
        m_pView->OnFileAddftpserver();
        EXPECT_TRUE(*answered);
    }

    QTreeWidgetItem* ServerItem(const std::string& label) const
    {
        for (int i = 0; i < m_pView->topLevelItemCount(); ++i) {
            if (m_pView->topLevelItem(i)->text(0).toStdString() == label)
                return m_pView->topLevelItem(i);
        }
        return nullptr;
    }

    std::string Host() const { return m_server.HostPort(); }

    testbed::TestFtpServer m_server;
    CTavoDoc m_doc;
    std::unique_ptr<CDriveView> m_pView;
};

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

// How the data connections since command `from` were opened: "active",
// "passive", "mixed" or "none".
std::string DataModeSince(const testbed::TestFtpServer& server, size_t from)
{
    std::set<std::string> modes;
    const std::vector<std::string> commands = server.Commands();
    for (size_t i = from; i < commands.size(); ++i) {
        const std::string verb = commands[i].substr(0, 4);
        if (verb == "PORT" || verb == "EPRT")
            modes.insert("active");
        else if (verb == "PASV" || verb == "EPSV")
            modes.insert("passive");
    }
    return modes.size() == 1 ? *modes.begin() : modes.empty() ? "none" : "mixed";
}

}  // namespace

TEST_F(ServerTree, LoginThroughTheDialogAddsASelectedServerItem)
{
#ifdef TAVO_HAVE_VIEWS
    CFileView fileView(&m_doc, nullptr);
#endif
    QSignalSpy hints(m_pView.get(), &CDriveView::currentPlaceChanged);
    guitest::TraceCapture capture;
    LoginThroughDialog();

    QTreeWidgetItem* server = ServerItem(Host() + ":/");
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(CDriveView::GetItemImage(server), CDriveView::kImageNetwork);
    CSession* session = g_GetSession(Host());
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(CDriveView::GetItemData(server)->m_nFtpHandle, session->m_nFtpHandle);
    EXPECT_EQ(CDriveView::GetItemData(server)->m_strName, "/");
    EXPECT_EQ(m_pView->GetSessionName(server), Host());
    EXPECT_EQ(m_pView->GetSession(server), session);
    EXPECT_EQ(m_pView->GetFtpHandle(server), session->m_nFtpHandle);
    EXPECT_EQ(m_pView->GetPathFromItem(server, false), "/");
    // The root holds folders: one placeholder until it is opened.
    ASSERT_EQ(server->childCount(), 1);
    EXPECT_TRUE(CDriveView::IsPlaceholder(server->child(0)));
    // Selected, with the server's folder as the current place.
    EXPECT_EQ(m_pView->currentItem(), server);
    EXPECT_EQ(m_pView->GetCurrentHandle(), session->m_nFtpHandle);
    EXPECT_EQ(m_doc.GetCurrentSession(), Host());
    ASSERT_GE(hints.count(), 1);
    EXPECT_EQ(hints.last()[0].toInt(), 91);
    // The login went through the steps and stored the profile.
    EXPECT_TRUE(capture.Has("CDriveView::OnFileAddftpserver: Save profile"));
    EXPECT_TRUE(capture.Has("CDriveView::OnFileAddftpserver: Add to tree"));
    EXPECT_EQ(GetProfileString("ServerList", "Server0", ""), Host());
    EXPECT_EQ(GetProfileString(Host(), "Userid", ""), m_server.User());
    EXPECT_EQ(session->m_pfnIsAscii != nullptr, true);

    // Opening the server lists its folders (not its files).
    m_pView->expandItem(server);
    EXPECT_EQ(Sorted(treetest::ChildLabels(server)), (QStringList{"docs", "pub"}));
    QTreeWidgetItem* docs = m_pView->FindItem(server, "docs");
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(CDriveView::GetItemData(docs)->m_nFtpHandle, session->m_nFtpHandle);
    EXPECT_EQ(docs->childCount(), 1);  // docs holds a folder
    // pub holds none, which shows once it is opened.
    m_pView->expandItem(m_pView->FindItem(server, "pub"));
    EXPECT_EQ(m_pView->FindItem(server, "pub")->childCount(), 0);

    // Selecting a folder tells the file list first, then changes the
    // server's folder.
    m_pView->setCurrentItem(docs);
    ASSERT_GE(hints.count(), 2);
    EXPECT_EQ(hints.last()[0].toInt(), 91);
    EXPECT_EQ(hints.last()[1].toInt(), session->m_nFtpHandle);
    EXPECT_EQ(hints.last()[2].toString().toStdString(), Host());
    EXPECT_EQ(hints.last()[3].toString(), QStringLiteral("/docs"));
    EXPECT_EQ(session->m_strCurDir, "/docs");
    EXPECT_EQ(m_doc.GetCurrentPath(), "/docs");
#ifdef TAVO_HAVE_VIEWS
    EXPECT_EQ(fileView.GetFtpHandle(), session->m_nFtpHandle);
    EXPECT_EQ(fileView.GetServer(), Host());
    EXPECT_EQ(fileView.GetCurrentPath(), "/docs/");
    EXPECT_EQ(fileView.GetItemCount(), 1);  // "inner"
#endif

    // Deeper down: paths join with the server's separator, lookups find
    // what was read.
    m_pView->expandItem(docs);
    QTreeWidgetItem* inner = m_pView->FindItem(docs, "inner");
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(m_pView->GetPathFromItem(inner, false), "/docs/inner");
    EXPECT_EQ(m_pView->GetPathFromItem(inner, true), "/docs/inner/");
    EXPECT_EQ(m_pView->FindPathItem("/docs/inner", session->m_nFtpHandle), inner);
    EXPECT_EQ(m_pView->FindPathItem("/docs", session->m_nFtpHandle), docs);
    EXPECT_EQ(m_pView->FindPathItem("/", session->m_nFtpHandle), server);
    EXPECT_EQ(m_pView->FindPathItem("/docs/inner/none", session->m_nFtpHandle), nullptr);
    EXPECT_EQ(g_GetSeparator(session->m_nFtpHandle), "/");
}

TEST_F(ServerTree, OnlyALoginThatWorkedStoresTheProfile)
{
    LoginThroughDialog();
    ASSERT_TRUE(IsInServerList(Host()));
    EXPECT_EQ(CServerProfile(Host()).m_strPass, m_server.Password());
    m_pView->setCurrentItem(ServerItem(Host() + ":/"));
    CScriptedPrompt prompt;
    prompt.QueueYesNo(true);
    m_pView->OnFileRemoveftpserver();

    // A mistyped password: the login fails and the stored one stays.
    const auto typo = treetest::AnswerModal<CLoginDlg>([this](CLoginDlg* dialog) {
        dialog->ServerBox()->setEditText(QString::fromStdString(Host()));
        dialog->UserEdit()->setText(QString::fromStdString(m_server.User()));
        dialog->PasswordEdit()->setText(QStringLiteral("typo"));
        dialog->LoginButton()->click();
    });
    m_pView->OnFileAddftpserver();
    EXPECT_TRUE(*typo);
    EXPECT_EQ(ServerItem(Host() + ":/"), nullptr);
    EXPECT_EQ(CServerProfile(Host()).m_strPass, m_server.Password());

    // A host that cannot be reached does not join the server list.
    int port = 0;
    {
        testbed::TestFtpServer gone;
        port = std::stoi(gone.HostPort().substr(gone.HostPort().rfind(':') + 1));
    }
    const std::string unreachable = "127.0.0.1:" + std::to_string(port);
    const auto refused = treetest::AnswerModal<CLoginDlg>([&unreachable](CLoginDlg* dialog) {
        dialog->ServerBox()->setEditText(QString::fromStdString(unreachable));
        dialog->UserEdit()->setText(QStringLiteral("u"));
        dialog->LoginButton()->click();
    });
    m_pView->OnFileAddftpserver();
    EXPECT_TRUE(*refused);
    EXPECT_FALSE(IsInServerList(unreachable));
}

TEST_F(ServerTree, ADosServerFolderWithOnlyFilesGetsNoExpandButton)
{
    m_server.SetListStyle(testbed::ListStyle::Dos);
    // DOS lines start with the name: a file whose name starts with "d".
    guitest::WriteFile(m_server.Root() / "pub" / "data.txt", "data\n");
    LoginThroughDialog(2);
    QTreeWidgetItem* server = ServerItem(Host() + ":/");
    ASSERT_NE(server, nullptr);
    m_pView->expandItem(server);
    EXPECT_EQ(Sorted(treetest::ChildLabels(server)), (QStringList{"docs", "pub"}));
    m_pView->expandItem(m_pView->FindItem(server, "docs"));
    m_pView->expandItem(m_pView->FindItem(server, "pub"));
    EXPECT_EQ(treetest::ChildLabels(m_pView->FindItem(server, "docs")), (QStringList{"inner"}));
    EXPECT_EQ(m_pView->FindItem(server, "pub")->childCount(), 0);
}

TEST_F(ServerTree, ASecondLoginToTheSameServerGetsALongerName)
{
    LoginThroughDialog();
    LoginThroughDialog();
    QTreeWidgetItem* first = ServerItem(Host() + ":/");
    QTreeWidgetItem* second = ServerItem(Host() + ".0:/");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(m_pView->GetSessionName(second), Host() + ".0");
    CSession* session = m_pView->GetSession(second);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->m_strName, Host() + ".0");
    EXPECT_NE(session->m_nFtpHandle, g_GetSession(Host())->m_nFtpHandle);
    m_pView->expandItem(second);
    EXPECT_EQ(Sorted(treetest::ChildLabels(second)), (QStringList{"docs", "pub"}));
    QTreeWidgetItem* pub = m_pView->FindItem(second, "pub");
    EXPECT_EQ(m_pView->FindPathItem("/pub", session->m_nFtpHandle), pub);
    QTRY_COMPARE_WITH_TIMEOUT(m_server.OpenConnections(), 2, kServerBoundMs);
}

TEST_F(ServerTree, CloseFtpServerAsksThenRemovesTheItemAndDisconnects)
{
    LoginThroughDialog();
    LoginThroughDialog();
    QTRY_COMPARE_WITH_TIMEOUT(m_server.OpenConnections(), 2, kServerBoundMs);
    QTreeWidgetItem* second = ServerItem(Host() + ".0:/");
    ASSERT_NE(second, nullptr);
    m_pView->expandItem(second);
    m_pView->setCurrentItem(m_pView->FindItem(second, "docs"));

    CScriptedPrompt prompt;
    prompt.QueueYesNo(false);
    m_pView->OnFileRemoveftpserver();
    ASSERT_EQ(prompt.Requests().size(), 1u);
    EXPECT_EQ(prompt.Requests()[0].text.toStdString(), "Close " + Host() + ".0?");
    EXPECT_EQ(prompt.Requests()[0].title, QStringLiteral("Close FTP Session"));
    EXPECT_EQ(ServerItem(Host() + ".0:/"), second);
    EXPECT_NE(g_GetSession(Host() + ".0"), nullptr);

    guitest::TraceCapture capture;
    prompt.QueueYesNo(true);
    m_pView->OnFileRemoveftpserver();
    EXPECT_EQ(ServerItem(Host() + ".0:/"), nullptr);
    EXPECT_EQ(g_GetSession(Host() + ".0"), nullptr);
    EXPECT_NE(g_GetSession(Host()), nullptr);
    EXPECT_TRUE(capture.Has("OnFileRemoveftpserver: Delete all children."));
    EXPECT_TRUE(capture.Has("OnFileRemoveftpserver: Delete root."));
    EXPECT_TRUE(capture.Has("RemoveSession: " + Host() + ".0 removed."));
    // The server sees the connection go; the other one stays.
    QTRY_COMPARE_WITH_TIMEOUT(m_server.OpenConnections(), 1, kServerBoundMs);
    // The selection moved on, and nothing points at the closed server.
    EXPECT_NE(m_pView->currentItem(), nullptr);
    EXPECT_NE(m_pView->GetCurrentItem(), nullptr);
    EXPECT_NE(m_doc.GetCurrentSession(), Host() + ".0");
}

TEST_F(ServerTree, ChangeRootAsksThenRelabelsAndRefills)
{
    LoginThroughDialog();
    QTreeWidgetItem* server = ServerItem(Host() + ":/");
    ASSERT_NE(server, nullptr);
    m_pView->expandItem(server);
    m_pView->setCurrentItem(m_pView->FindItem(server, "pub"));
    CSession* session = g_GetSession(Host());

    CScriptedPrompt prompt;
    prompt.QueueYesNo(false);
    EXPECT_FALSE(m_pView->ChangeFtpRoot("/docs"));
    ASSERT_EQ(prompt.Requests().size(), 1u);
    EXPECT_EQ(prompt.Requests()[0].text.toStdString(), "Change " + Host() + " session's root to \"/docs\"?");
    EXPECT_EQ(prompt.Requests()[0].title, QStringLiteral("Change FTP root directory"));
    EXPECT_EQ(server->text(0).toStdString(), Host() + ":/");

    QSignalSpy hints(m_pView.get(), &CDriveView::currentPlaceChanged);
    prompt.QueueYesNo(true);
    EXPECT_TRUE(m_pView->ChangeFtpRoot("/docs"));
    EXPECT_EQ(server->text(0).toStdString(), Host() + ":/docs");
    EXPECT_EQ(CDriveView::GetItemData(server)->m_strName, "/docs");
    EXPECT_EQ(session->m_strRoot, "/docs");
    EXPECT_EQ(m_pView->currentItem(), server);
    ASSERT_EQ(hints.count(), 1);
    EXPECT_EQ(hints[0][0].toInt(), 91);
    EXPECT_EQ(hints[0][3].toString(), QStringLiteral("/docs"));
    EXPECT_EQ(m_pView->GetPathFromItem(server, false), "/docs/");
    m_pView->expandItem(server);
    EXPECT_EQ(treetest::ChildLabels(server), (QStringList{"inner"}));
    EXPECT_EQ(m_pView->GetPathFromItem(server->child(0), false), "/docs/inner");
    EXPECT_EQ(m_pView->FindPathItem("/docs/inner", session->m_nFtpHandle), server->child(0));
    EXPECT_EQ(m_pView->FindPathItem("/pub", session->m_nFtpHandle), nullptr);  // outside the root

    // A root the server refuses leaves the old one.
    prompt.QueueYesNo(true);
    EXPECT_TRUE(m_pView->ChangeFtpRoot("/nowhere"));
    EXPECT_EQ(server->text(0).toStdString(), Host() + ":/docs");
}

TEST_F(ServerTree, RemoteFoldersAreRenamedAndDeletedInPlace)
{
    LoginThroughDialog();
    QTreeWidgetItem* server = ServerItem(Host() + ":/");
    m_pView->expandItem(server);
    QTreeWidgetItem* docs = m_pView->FindItem(server, "docs");
    QTreeWidgetItem* pub = m_pView->FindItem(server, "pub");
    ASSERT_TRUE(docs && pub);
    m_pView->expandItem(docs);
    m_pView->setCurrentItem(docs->child(0));  // the server sits in /docs/inner

    // Renaming an item that is not the server's current folder still works.
    guitest::TraceCapture capture;
    EXPECT_FALSE(m_pView->OnEndlabeledit(pub, QStringLiteral("pub")));
    EXPECT_TRUE(m_pView->OnEndlabeledit(pub, QStringLiteral("public")));
    EXPECT_TRUE(fs::is_directory(m_server.Root() / "public"));
    EXPECT_FALSE(fs::exists(m_server.Root() / "pub"));
    EXPECT_EQ(pub->text(0), QStringLiteral("public"));
    EXPECT_TRUE(capture.Has("CSession::FtpRename: Rename /pub to /public, rc = 0"));
    // A rename the server refuses leaves the label.
    EXPECT_FALSE(m_pView->OnEndlabeledit(pub, QStringLiteral("docs")));
    EXPECT_EQ(pub->text(0), QStringLiteral("public"));

    // The current folder renamed: the server follows it.
    m_pView->setCurrentItem(docs);
    EXPECT_TRUE(m_pView->OnEndlabeledit(docs, QStringLiteral("papers")));
    EXPECT_TRUE(fs::is_directory(m_server.Root() / "papers" / "inner"));
    EXPECT_EQ(g_GetSession(Host())->m_strCurDir, "/papers");
    EXPECT_EQ(m_doc.GetCurrentPath(), "/papers");
    // Nothing after the rename goes to the old name.
    {
        const std::vector<std::string> commands = m_server.Commands();
        auto rnto = std::find(commands.rbegin(), commands.rend(), "RNTO /papers");
        ASSERT_NE(rnto, commands.rend());
        for (auto c = commands.rbegin(); c != rnto; ++c)
            EXPECT_EQ(c->find("docs"), std::string::npos) << *c;
    }

    // Delete asks, then removes the folder and its contents on the server.
    guitest::WriteFile(m_server.Root() / "public" / "file.txt", "x");
    m_pView->setCurrentItem(pub);
    CScriptedPrompt prompt;
    prompt.QueueYesNo(false);
    m_pView->OnEditDelete();
    ASSERT_EQ(prompt.Requests().size(), 1u);
    EXPECT_EQ(prompt.Requests()[0].text, QStringLiteral("Delete /public?"));
    EXPECT_EQ(prompt.Requests()[0].title, QStringLiteral("Delete"));
    EXPECT_TRUE(fs::exists(m_server.Root() / "public"));
    prompt.QueueYesNo(true);
    m_pView->OnEditDelete();
    EXPECT_FALSE(fs::exists(m_server.Root() / "public"));
    EXPECT_EQ(m_pView->FindItem(server, "public"), nullptr);
}

TEST_F(ServerTree, StoredProfilesWithAutoConnectAreConnectedAtStartUp)
{
    testbed::TestFtpServer unreached;
    CServerProfile profile;
    profile.m_strServer = Host();
    profile.SetUser(m_server.User(), m_server.Password());
    profile.m_bAutoConnect = 1;
    profile.m_bPassive = 1;
    profile.m_strNewDir = "/docs";
    profile.m_bKeepAlive = 1;
    profile.m_nInterval = 5;
    profile.SaveAll();
    // The same server by its bare address and a stored port of its own.
    CServerProfile byPort;
    byPort.m_strServer = m_server.Host();
    byPort.SetUser(m_server.User(), m_server.Password());
    byPort.m_bAutoConnect = 1;
    byPort.m_bOtherPort = 1;
    byPort.m_nFtpPort = m_server.Port();
    byPort.SaveAll();
    // A profile after an empty slot is never reached.
    CServerProfile late;
    late.m_strServer = unreached.HostPort();
    late.SetUser(unreached.User(), unreached.Password());
    late.m_bAutoConnect = 1;
    late.SaveAll();
    WriteProfileString("ServerList", "Server2", "");
    WriteProfileString("ServerList", "Server3", unreached.HostPort());

    guitest::TraceCapture capture;
    m_pView->OnInitialUpdate();
    QTreeWidgetItem* server = ServerItem(Host() + ":/docs");
    ASSERT_NE(server, nullptr);
    CSession* session = g_GetSession(Host());
    ASSERT_NE(session, nullptr);
    EXPECT_TRUE(session->m_bPassive);
    EXPECT_EQ(session->m_strRoot, "/docs");
    EXPECT_EQ(g_GetSession(unreached.HostPort()), nullptr);
    // The profile's keep-alive runs on the tree, and its port is used.
    EXPECT_TRUE(m_pView->HasSessionTimer(static_cast<unsigned>(session->m_nFtpHandle)));
    EXPECT_EQ(session->m_nIdleLimit, 295);
    EXPECT_NE(ServerItem(m_server.Host() + ":/"), nullptr);
    ASSERT_NE(g_GetSession(m_server.Host()), nullptr);
    EXPECT_FALSE(m_pView->HasSessionTimer(static_cast<unsigned>(g_GetSession(m_server.Host())->m_nFtpHandle)));
    EXPECT_TRUE(capture.Has("CDriveView::AddAutoFtpServer: LoadProfile: Server0 = " + Host()));
    EXPECT_TRUE(capture.Has("CDriveView::AddAutoFtpServer: Exit."));
    // Not selected: start-up selects the volume of the current folder.
    EXPECT_NE(m_pView->currentItem(), server);
    ASSERT_NE(m_pView->currentItem(), nullptr);
    EXPECT_EQ(CDriveView::GetItemData(m_pView->currentItem())->m_nFtpHandle, 0);
    EXPECT_EQ(m_pView->topLevelItem(0)->text(0), QStringLiteral("/"));
    m_pView->expandItem(server);
    EXPECT_EQ(treetest::ChildLabels(server), (QStringList{"inner"}));
    QTRY_COMPARE_WITH_TIMEOUT(unreached.OpenConnections(), 0, kServerBoundMs);
}

TEST_F(ServerTree, ServerPropertiesShowAndChangeTheLiveSession)
{
    LoginThroughDialog();
    CSession* session = g_GetSession(Host());
    ASSERT_NE(session, nullptr);
    session->SetKeepALive(m_pView.get(), 5);
    ASSERT_TRUE(m_pView->HasSessionTimer(static_cast<unsigned>(session->m_nFtpHandle)));
    CServerProfile stored(Host());
    stored.SetKeepalive(true, 5);

    CPropSvr sheet(Host(), session->m_nFtpHandle, nullptr);
    EXPECT_EQ(sheet.windowTitle().toStdString(), Host() + " - FTP Session Properties");
    EXPECT_EQ(sheet.ConnectionPage()->Value(0).toStdString(), Host());
    EXPECT_EQ(sheet.ConnectionPage()->Value(1).toStdString(), m_server.User());
    EXPECT_EQ(sheet.ConnectionPage()->Value(6), QStringLiteral("Connected"));
    EXPECT_EQ(sheet.DetailPage()->Value(0), QStringLiteral("/"));

    // Only the data port changed, the mode kept: nothing is stored.
    sheet.DataTransferPage()->DataPortEdit()->setText(QStringLiteral("40000"));
    // Keep-alive off stops the timer at once.
    sheet.GeneralPage()->KeepAliveBox()->click();
    EXPECT_TRUE(sheet.GeneralPage()->IsModified());
    // The type page shows what was chosen.
    sheet.OsTypePage()->OsTypeButton(0)->click();
    EXPECT_TRUE(sheet.OsTypePage()->OsTypeButton(0)->isChecked());
    sheet.accept();
    EXPECT_FALSE(m_pView->HasSessionTimer(static_cast<unsigned>(session->m_nFtpHandle)));
    EXPECT_EQ(session->m_nKeepAlive, 0);
    EXPECT_EQ(GetProfileInt(Host(), "KeepALive", -1), 0);
    EXPECT_EQ(GetProfileInt(Host(), "DataPort", -1), 0);
    EXPECT_EQ(GetProfileInt(Host(), "OSType", -1), 0);
    EXPECT_EQ(session->m_nOSType, 1);  // the live session keeps its type

    // Active reaches the session and the profile, and the next listing
    // opens its data connection the active way.
    CPropSvr again(Host(), session->m_nFtpHandle, nullptr);
    EXPECT_TRUE(again.DataTransferPage()->PassiveButton()->isChecked());
    again.DataTransferPage()->ActiveButton()->click();
    again.OnApply();
    EXPECT_FALSE(session->m_bPassive);
    EXPECT_EQ(GetProfileInt(Host(), "DataMode", -1), 0);
    const size_t before = m_server.Commands().size();
    QTreeWidgetItem* server = ServerItem(Host() + ":/");
    m_pView->expandItem(server);
    EXPECT_EQ(Sorted(treetest::ChildLabels(server)), (QStringList{"docs", "pub"}));
    EXPECT_EQ(DataModeSince(m_server, before), "active");
}

TEST_F(ServerTree, TheProfilesDataModeIsTheOneTheConnectionUses)
{
    struct Case {
        int passive;
        const char* mode;
    } const cases[] = {{0, "active"}, {1, "passive"}};
    for (const Case& c : cases) {
        CServerProfile profile;
        profile.m_strServer = Host();
        profile.SetUser(m_server.User(), m_server.Password());
        profile.m_bPassive = c.passive;
        profile.SaveAll();
        const size_t before = m_server.Commands().size();
        LoginThroughDialog();  // the dialog comes up with the stored server
        QTreeWidgetItem* server = ServerItem(Host() + ":/");
        ASSERT_NE(server, nullptr);
        m_pView->expandItem(server);
        EXPECT_EQ(Sorted(treetest::ChildLabels(server)), (QStringList{"docs", "pub"}));
        EXPECT_EQ(DataModeSince(m_server, before), c.mode);
        EXPECT_EQ(GetProfileInt(Host(), "DataMode", -1), c.passive);

        m_pView->setCurrentItem(server);
        CScriptedPrompt prompt;
        prompt.QueueYesNo(true);
        m_pView->OnFileRemoveftpserver();
    }
}

TEST_F(ServerTree, ServerPropertiesShowTheTypeAndPortTheConnectionUses)
{
    guitest::WriteFile(m_server.Root() / "data.bin", "bin\n");
    const std::vector<std::string> asciiTypes = g_Settings.m_lstAsciiExt;
    g_Settings.m_lstAsciiExt = {"*.txt"};
    LoginThroughDialog();  // typed as "127.0.0.1:port"
    CSession* session = g_GetSession(Host());
    ASSERT_NE(session, nullptr);
    const auto modeShown = [&] {
        CPropSvr sheet(Host(), session->m_nFtpHandle, nullptr);
        return sheet.DetailPage()->Value(2);
    };
    const auto lastType = [&] {
        const std::vector<std::string> commands = m_server.Commands();
        auto type = std::find_if(commands.rbegin(), commands.rend(),
                                 [](const std::string& c) { return c.rfind("TYPE ", 0) == 0; });
        return type == commands.rend() ? std::string() : *type;
    };
    const fs::path local = guitest::NewScratchFolder("types");
    // Before any transfer: what the first one of a binary file sends.
    EXPECT_EQ(modeShown(), QStringLiteral("Binary"));
    ASSERT_EQ(session->GetFile("data.bin", (local / "data.bin").string(), 0), 0);
    EXPECT_EQ(lastType(), "TYPE I");
    EXPECT_EQ(modeShown(), QStringLiteral("Binary"));
    ASSERT_EQ(session->GetFile("readme.txt", (local / "readme.txt").string(), 0), 0);
    EXPECT_EQ(lastType(), "TYPE A");
    EXPECT_EQ(modeShown(), QStringLiteral("Ascii"));
    g_Settings.m_lstAsciiExt = asciiTypes;

    // The port typed with the server is the sheet's and the stored one.
    CPropSvr sheet(Host(), session->m_nFtpHandle, nullptr);
    EXPECT_TRUE(sheet.GeneralPage()->OtherPortBox()->isChecked());
    EXPECT_EQ(sheet.GeneralPage()->PortBox()->value(), m_server.Port());
    EXPECT_FALSE(sheet.GeneralPage()->PortBox()->isEnabled());  // another one would not be used
    EXPECT_EQ(GetProfileInt(Host(), "OtherFtpPort", 0), 1);
    EXPECT_EQ(GetProfileInt(Host(), "FtpPort", 0), m_server.Port());
}

#ifdef TAVO_HAVE_VIEWS
TEST_F(ServerTree, ALoginToASilentServerCanBeCancelled)
{
    m_server.DelayReplies("CONNECT", 120);
    CWaitHook::Install(nullptr);
    const int oldDelay = CWaitHook::ShowDelay();
    CWaitHook::SetShowDelay(0);
    // Press Cancel as soon as the progress window is up.
    QTimer cancel;
    cancel.setInterval(20);
    bool pressed = false;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (CWaitHook::IsShowing()) {
            pressed = true;
            CWaitHook::Cancel();
        }
    });
    cancel.start();
    LoginThroughDialog();
    cancel.stop();
    CWaitHook::SetShowDelay(oldDelay);
    CWaitHook::Uninstall();

    EXPECT_TRUE(pressed);
    EXPECT_EQ(ServerItem(Host() + ":/"), nullptr);
    // The failed session is not kept: the next login gets the plain name.
    EXPECT_EQ(g_GetSession(Host()), nullptr);
    EXPECT_TRUE(g_SessionList().empty());
    QTRY_COMPARE_WITH_TIMEOUT(m_server.OpenConnections(), 0, kServerBoundMs);

    m_server.ClearFaults();
    LoginThroughDialog();
    EXPECT_NE(ServerItem(Host() + ":/"), nullptr);
}
#endif
