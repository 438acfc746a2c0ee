// The FTP server items of the folder tree: logging in from the login dialog or
// from a stored profile, closing a server, and moving a server item to
// another root folder.
#include "DriveView.h"

#include "FtpSession.h"
#include "LoginDlg.h"
#include "Profile.h"
#include "PropSvr.h"
#include "Prompt.h"
#include "ServerList.h"
#include "ServerProfile.h"
#include "SessionRegistry.h"
#include "Settings.h"
#include "TavoDoc.h"
#include "TraceLog.h"
#include "WaitDlg.h"

#ifdef TAVO_HAVE_VIEWS
#include "WaitHook.h"
#endif

#include <QApplication>
#include <QPointer>

#include <memory>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// The wait box and the wait cursor for the length of one login.
class CConnectingBox {
public:
    CConnectingBox(const std::string& server, QWidget* parent)
    {
        const QString text = QStringLiteral("Wait Connecting to ") + Q(server);
#ifdef TAVO_HAVE_VIEWS
        // The progress window that the network wait brings up carries the
        // text and the Cancel button; a second box would only hide it.
        if (CWaitHook::IsInstalled()) {
            CWaitHook::SetText(text);
            m_bHookText = true;
        }
#endif
        if (!m_bHookText) {
            m_pBox = new CWaitDlg(text, parent);
            m_pBox->show();
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~CConnectingBox()
    {
        QApplication::restoreOverrideCursor();
#ifdef TAVO_HAVE_VIEWS
        if (m_bHookText)
            CWaitHook::SetText(QString());
#endif
        delete m_pBox.data();
    }
    CConnectingBox(const CConnectingBox&) = delete;
    CConnectingBox& operator=(const CConnectingBox&) = delete;

private:
    QPointer<CWaitDlg> m_pBox;
    bool m_bHookText = false;
};

}  // namespace

void CDriveView::OnFileAddftpserver()
{
    CLoginDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ConnectFromDialog(dialog);
}

bool CDriveView::ConnectFromDialog(CLoginDlg& dialog)
{
    return Connect(dialog.Profile(), true, true, true, true);
}

bool CDriveView::Connect(const CServerProfile& profile, bool applyPort, bool saveProfile, bool select, bool keepAlive)
{
    static const char* const kPrefix = "CDriveView::OnFileAddftpserver: ";
    if (profile.m_strServer.empty())
        return false;
    CConnectingBox box(profile.m_strServer, this);

    const bool gateway = !profile.m_strGateServer.empty();
    std::string name = gateway ? profile.m_strGateServer : profile.m_strServer;
    CSession* session = m_pDoc->AddSession(name);
    if (applyPort && profile.m_bOtherPort)
        session->SetPort(profile.m_nFtpPort);
    session->SetSecurity(profile.m_nSecurity);
    int rc;
    if (gateway) {
        rc = session->Login(profile.m_strGateServer, profile.m_strGateUser, profile.m_strGatePass, "", false, false);
        if (rc == 0)
            rc = session->GateLogin(profile.m_strServer, profile.m_strUser, profile.m_strPass, "", false, false);
    } else {
        rc = session->Login(profile.m_strServer, profile.m_strUser, profile.m_strPass, "", false, false);
    }
    if (rc != 0) {
        // A session that never logged in serves nobody; left in the list it
        // would only push the next login to the same server to "name.0".
        g_RemoveSession(session);
        return false;
    }

    if (saveProfile) {
        g_TraceLog.Trace("%sSave profile", kPrefix);
        CServerProfile saved = profile;
        saved.SaveAll();
    }
    g_TraceLog.Trace("%sSet Ascii Function", kPrefix);
    session->SetAsciiCallback(reinterpret_cast<std::intptr_t>(&g_Settings), &CSettings::AsciiCallback,
                              profile.m_bAutoAscii != 0);
    g_TraceLog.Trace("%sSet Dir", kPrefix);
    if (!profile.m_strNewDir.empty())
        session->Cd(profile.m_strNewDir, true);
    session->SetPwd();
    session->SetOSType(profile.m_iOStype);
    g_TraceLog.Trace("%sSet server mode", kPrefix);
    // Both ways: the library's own default is no choice of the user's.
    session->SetPassive(profile.m_bPassive ? 1 : 0);
    // The library starts every connection in binary and sends TYPE with the
    // first transfer that needs it; what the session reports as its type
    // must be what that transfer sends.
    session->m_bBinary = true;
    if (profile.m_bStatus)
        session->SetStatusBox(true);
    g_TraceLog.Trace("%sAdd to tree", kPrefix);
    const bool added = AddFtpServerToTree(name, select);
    if (CSession* still = g_GetSession(name))
        still->SetKeepALive(this, keepAlive && profile.m_bKeepAlive ? profile.m_nInterval : 0);
    return added;
}

void CDriveView::AddAutoFtpServer()
{
    g_TraceLog.Trace("CDriveView::AddAutoFtpServer: Begin");
    const std::vector<std::string> servers = GetServerList();
    for (size_t i = 0; i < servers.size(); ++i) {
        const std::string& server = servers[i];
        g_TraceLog.Trace("CDriveView::AddAutoFtpServer: LoadProfile: Server%zu = %s", i, server.c_str());
        CServerProfile profile(server);
        if (profile.m_bAutoConnect)
            Connect(profile, true, false, false, true);
    }
    g_TraceLog.Trace("CDriveView::AddAutoFtpServer: Exit.");
}

bool CDriveView::AddFtpServerToTree(const std::string& name, bool select)
{
    CSession* session = g_GetSession(name);
    if (!session)
        return false;
    const bool wasFilling = m_bFilling;
    m_bFilling = true;
    QTreeWidgetItem* item = NewItem(nullptr, Q(name + ":" + session->m_strCurDir), kImageNetwork, kImageNetwork, true,
                                    session->m_nFtpHandle, session->m_strRoot, false);
    GetItemData(item)->m_strSession = name;
    HasFtpSubFolders(item, session->m_strRoot);
    m_bFilling = wasFilling;
    // The login, TLS negotiation included, is complete here.
    UpdateSecurityEmblems();
    if (select)
        setCurrentItem(item);
    return true;
}

void CDriveView::OnFileRemoveftpserver()
{
    QTreeWidgetItem* top = GetTopParent(currentItem());
    CSession* session = GetSession(top);
    if (!session)
        return;
    const std::string name = session->m_strName;
    if (!CPrompt::AskYesNo(QStringLiteral("Close %1?").arg(Q(name)), QStringLiteral("Close FTP Session")))
        return;
    session->SetClosing();
    const bool wasFilling = m_bFilling;
    m_bFilling = true;
    g_TraceLog.Trace("OnFileRemoveftpserver: Delete all children.");
    DeleteChildren(top);
    g_TraceLog.Trace("OnFileRemoveftpserver: Delete root.");
    delete top;
    m_bFilling = wasFilling;
    g_TraceLog.Trace("OnFileRemoveftpserver: Remove session");
    RemoveSession(name);
    // The control picked another item; the file list must not go on showing
    // a server that is gone.
    if (QTreeWidgetItem* current = currentItem())
        OnSelectionChanged(current);
    else
        m_nCurrentHandle = 0;
}

void CDriveView::RemoveSession(const std::string& name)
{
    g_TraceLog.Trace("RemoveSession: Removing session %s.", name.c_str());
    CSession* session = g_GetSession(name);
    if (!session)
        return;
    if (m_nCurrentHandle > 0 && session->m_nFtpHandle == m_nCurrentHandle)
        m_nCurrentHandle = 0;
    g_RemoveSession(session);
    g_TraceLog.Trace("RemoveSession: %s removed.", name.c_str());
}

bool CDriveView::ChangeFtpRoot(const std::string& newRoot)
{
    QTreeWidgetItem* top = GetTopParent(currentItem());
    CSession* session = GetSession(top);
    if (!session || newRoot.empty())
        return false;
    const std::string name = session->m_strName;
    if (!CPrompt::AskYesNo(QStringLiteral("Change %1 session's root to \"%2\"?").arg(Q(name), Q(newRoot)),
                           QStringLiteral("Change FTP root directory")))
        return false;
    const bool wasFilling = m_bFilling;
    m_bFilling = true;
    session->SetClosing();
    collapseItem(top);
    g_TraceLog.Trace("OnFileRemoveftpserver: Delete all children.");
    DeleteChildren(top);
    session->ClearClosing();
    session->ChangeRoot(newRoot);
    const std::string root = session->m_strRoot;
    top->setText(0, Q(name + ":" + root));
    GetItemData(top)->m_strName = root;
    HasFtpSubFolders(top, root);
    setCurrentItem(top);
    m_bFilling = wasFilling;
    m_hCurrentItem = top;
    m_nCurrentHandle = session->m_nFtpHandle;
    m_pDoc->SetCurrentPath(root, name);
    SendHint(91, m_nCurrentHandle, name, root);
    return true;
}
