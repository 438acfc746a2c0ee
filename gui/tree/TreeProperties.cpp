// Properties of the tree's items: a server's property sheet, a folder's
// facts.
#include "DriveView.h"

#include "PropSvr.h"
#include "SessionRegistry.h"
#include "TraceLog.h"

void CDriveView::OnFileProperties()
{
    QTreeWidgetItem* item = m_hContextItem ? m_hContextItem : currentItem();
    if (!item)
        return;
    if (item->parent()) {
        std::string parentPath = GetPathFromItem(item->parent(), false);
        AppendSeparator(parentPath, GetItemData(item) ? GetItemData(item)->m_nFtpHandle : 0);
        g_TraceLog.Trace("CDriveView::OnFileProperties: Folder item = %s", parentPath.c_str());
        return;  // the file list's property sheet comes with the file commands
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
