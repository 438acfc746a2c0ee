// Properties and Unix permissions of the file list's rows.
#include "FileView.h"

#include "ListingRules.h"
#include "SessionRegistry.h"
#include "TraceLog.h"

#ifdef TAVO_HAVE_TREE
#include "FileProp.h"
#endif

namespace {

// The first selected row that names an item: DOS listings keep "." and
// "..", which stand for no entry the sheet could show.
const FileListItem* FirstNamedRow(const CFileView& view)
{
    for (const FileListItem* item : view.GetSelectedItems()) {
        if (!IsDotName(item->m_strName))
            return item;
    }
    return nullptr;
}

void ShowRowProperties(CFileView& view, bool chmod)
{
    const FileListItem* item = FirstNamedRow(view);
    if (!item) {
        g_TraceLog.Trace("CFileView.OnFileProperties: No Item selected!");
        return;
    }
    const int handle = item->m_nSession > 0 ? view.GetFtpHandle() : 0;
    std::string folder = view.GetCurrentPath();
    const std::string separator = handle > 0 ? g_GetSeparator(handle) : std::string("/");
    if (!folder.ends_with(separator))
        folder += separator;
#ifdef TAVO_HAVE_TREE
    // The sheet may re-list the folder; keep what it needs, not the row.
    const std::string name = item->m_strName;
    FileProperties(&view, handle, name, folder, item->m_bIsDir != 0, chmod);
#endif
}

}  // namespace

void CFileView::OnFileProperties()
{
    g_TraceLog.Trace("CFileView.OnFileProperties: Begin.");
    ShowRowProperties(*this, false);
}

void CFileView::OnFtpUnixchmod()
{
    if (m_nFtpHandle <= 0)
        return;
    ShowRowProperties(*this, true);
}
