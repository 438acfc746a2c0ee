// Properties of the tree's items: a server's property sheet, a folder's
// facts.
#include "DriveView.h"

#include "FileProp.h"
#include "PropSvr.h"
#include "SessionRegistry.h"
#include "TraceLog.h"

void CDriveView::OnFileProperties()
{
    QTreeWidgetItem* item = m_hContextItem ? m_hContextItem : currentItem();
    if (!item)
        return;
    if (item->parent()) {
        const int handle = GetFtpHandle(item);
        const TreeItemData* folderData = GetItemData(item);
        if (handle <= 0 && folderData && folderData->m_nFtpHandle > 0)
            return;  // the server's session is gone; its path names no local folder
        std::string parentPath = GetPathFromItem(item->parent(), false);
        AppendSeparator(parentPath, handle);
        g_TraceLog.Trace("CDriveView::OnFileProperties: Folder item = %s", parentPath.c_str());
        FileProperties(this, handle, item->text(0).toStdString(), parentPath, true, false);
        return;
    }
    TreeItemData* data = GetItemData(item);
    if (!data || data->m_nFtpHandle <= 0) {
        g_TraceLog.Trace("CDriveView::OnFileProperties: Is a Drive");
        return;
    }
    g_TraceLog.Trace("CDriveView::OnFileProperties: Is an Ftp Server");
    CSession* session = GetSession(item);
    if (!session)
        return;
    // The profile carries the real server's name, also behind a firewall.
    const std::string server = session->m_nGateCount > 0 ? session->m_aGateHost.front() : session->m_strHost;
    CPropSvr sheet(server, session->m_nFtpHandle, this);
    if (sheet.exec() == QDialog::Accepted && sheet.Profile().m_bModified)
        sheet.Profile().SaveAll();
}
