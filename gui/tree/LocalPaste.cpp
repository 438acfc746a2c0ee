// Pastes from the local disk to the local disk go to the file operation
// layer as one operation, as a file manager does them: it renames instead of
// copying where it can, and asks its own questions.
#include "DriveView.h"

#include "LocalFileOp.h"
#include "OleDS.h"
#include "Settings.h"
#include "TraceLog.h"

namespace {

LocalOpOptions PasteOptions()
{
    LocalOpOptions options;
    options.unique = g_Settings.m_bLocalUnique != 0;
    options.prompt = g_Settings.m_bLocalPrompt != 0;
    return options;
}

}  // namespace

bool CDriveView::ProcessLocalCopy(const PrivateClip& clip, const std::string& targetFolder,
                                  QTreeWidgetItem* targetItem, bool move)
{
    g_TraceLog.Trace("CDriveView.ProcessLocalCopy: Enter");
    if (clip.IsEmpty())
        return false;
    g_TraceLog.Trace("CDriveView.ProcessLocalCopy: From path = %s, To Path = %s", clip.header.m_strPath.c_str(),
                     targetFolder.c_str());
    std::vector<std::string> sources;
    sources.reserve(clip.items.size());
    for (const PrivateClipItem& item : clip.items) {
        g_TraceLog.Trace("CDriveView.ProcessLocalCopy: Filename = %s", item.m_strName.c_str());
        sources.push_back(clip.SourcePath(item));
    }
    const LocalOpResult result = move ? CLocalFileOp::Move(sources, targetFolder, PasteOptions())
                                      : CLocalFileOp::Copy(sources, targetFolder, PasteOptions());
    const bool ok = result.ok && !result.aborted;
    g_TraceLog.Trace("CDriveView.ProcessLocalCopy: Rc = %d", ok ? 0 : 1);
    if (ok)
        RefreshPasteItems(clip, targetItem, clip.header.m_strPath, targetFolder, clip.header.m_bCut || move, 0);
    return ok;
}

bool CDriveView::ProcessLocalCopy(const std::vector<std::string>& paths, const std::string& targetFolder, bool move)
{
    if (paths.empty())
        return false;
    g_TraceLog.Trace("CDriveView::ProcessLocalCopy: Total files on clipboard = %d, size = %d",
                     static_cast<int>(paths.size()), static_cast<int>(paths.size()));
    for (size_t i = 0; i < paths.size(); ++i)
        g_TraceLog.Trace("CDriveView::ProcessLocalCopy: %d) %s, len = %d", static_cast<int>(i), paths[i].c_str(),
                         static_cast<int>(paths[i].size()));
    std::string target = targetFolder;
    if (target.empty() || target.back() != '/')
        target += '/';
    LocalOpResult result;
    if (IsRecycleBin(targetFolder)) {
        LocalOpOptions options = PasteOptions();
        options.allowUndo = true;
        result = CLocalFileOp::Delete(paths, options);
    } else {
        result = move ? CLocalFileOp::Move(paths, target, PasteOptions())
                      : CLocalFileOp::Copy(paths, target, PasteOptions());
    }
    return result.ok && !result.aborted;
}
