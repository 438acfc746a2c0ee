// The copy engine: one file or folder tree from a place to a place (local
// disk or FTP server, either way, and between two servers), the target-name
// check, and the two folder walkers. Both panes paste through here.
#include "DriveView.h"

#include "DlgFileCopy.h"
#include "DriveViewText.h"
#include "PasteTransfers.h"

#include "DirFile.h"
#include "FtpSession.h"
#include "LocalFileOp.h"
#include "OleDS.h"
#include "Prompt.h"
#include "SessionRegistry.h"
#include "Settings.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace drivetree;

namespace {

// More "Copy Of" names than anyone keeps; past it the paste gives up rather
// than ask the server forever.
constexpr int kMaxUniqueTries = 1000;
// A folder listing longer than this is not walked: it would take the memory
// of the whole machine before the first file is copied.
constexpr size_t kMaxFolderEntries = 1000000;

bool IsLocal(int handle)
{
    return handle <= 0;
}

// The folder with the separator of its place at its end.
std::string WithSeparator(std::string folder, int handle)
{
    CDriveView::AppendSeparator(folder, handle);
    return folder;
}

bool LocalExists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool SameLocalObject(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

// A local target inside a local source folder, however either is spelled
// (links, "..", a trailing separator).
bool IsInsideLocalFolder(const std::string& folder, const std::string& path)
{
    std::error_code error;
    const auto base = std::filesystem::weakly_canonical(folder, error).string();
    if (error)
        return false;
    const auto inner = std::filesystem::weakly_canonical(path, error).string();
    return !error && inner.size() > base.size() && inner.compare(0, base.size(), base) == 0
           && (inner[base.size()] == '/' || base == "/");
}

QString QPath(const std::string& path)
{
    return QString::fromStdString(path);
}

struct RemoteEntry {
    std::string name;
    bool isDir = false;
    bool isFile = false;
};

// The whole listing first: the walk below uses the connection itself, and
// ending the listing takes the server back to the folder it was in.
bool ReadRemoteFolder(int handle, const std::string& folder, std::vector<RemoteEntry>& entries)
{
    CDirFile listing(handle);
    if (!listing.CreateDir(folder))
        return false;
    std::string line;
    while (listing.GetNextDir(line)) {
        if (entries.size() >= kMaxFolderEntries) {
            g_TraceLog.Message("%s holds more than %zu entries: it is not copied", folder.c_str(), kMaxFolderEntries);
            return false;
        }
        entries.push_back({listing.GetFileName(), listing.IsDir(), listing.IsFile()});
    }
    return true;
}

}  // namespace

// Marks one paste from its first DoPaste to its end, so that a Cancel or a
// skipped entry anywhere in the tree of calls is seen by all of them.
class CPasteScope {
public:
    explicit CPasteScope(CDriveView& view) : m_view(view)
    {
        if (m_view.m_paste.depth++ == 0)
            m_view.m_paste = CDriveView::PasteRun{1, false, 0, {}, -1};
    }
    ~CPasteScope() { --m_view.m_paste.depth; }
    CPasteScope(const CPasteScope&) = delete;
    CPasteScope& operator=(const CPasteScope&) = delete;

private:
    CDriveView& m_view;
};

int CDriveView::ShowMoveRefusal(const std::string& name, bool move, bool subfolder)
{
    const QString verb = move ? QStringLiteral("Move") : QStringLiteral("Copy");
    const QString place = subfolder ? QStringLiteral("a subfolder of the source folder")
                                    : QStringLiteral("the same as the source folder");
    CPrompt::Stop(QStringLiteral("Cannot %1 %2: The destination folder is %3").arg(verb, QPath(name), place),
                  move ? QStringLiteral("Error Moving File") : QStringLiteral("Error Coping File"));
    return 0;
}

bool CDriveView::IsFreshRemoteFolder(int handle, const std::string& folder) const
{
    return std::find(m_paste.freshFolders.begin(), m_paste.freshFolders.end(), std::pair{handle, folder})
           != m_paste.freshFolders.end();
}

std::string CDriveView::CheckFileName(const std::string& path, int handle)
{
    const bool local = IsLocal(handle);
    const std::string separator = g_GetSeparator(handle);
    std::string folder = path;
    std::string name;
    const size_t cut = path.rfind(separator);
    if (cut != std::string::npos) {
        folder = path.substr(0, cut + separator.size());
        name = path.substr(cut + separator.size());
    }
    CSession* session = local ? nullptr : g_GetSession(handle);
    // Inside a folder this paste made, no name can exist yet: asking the
    // server would only cost time on every file.
    const bool freshFolder = !local && IsFreshRemoteFolder(handle, folder);
    const auto exists = [&](const std::string& candidate) {
        if (local)
            return LocalExists(candidate);
        if (freshFolder)
            return false;
        return session && session->FtpExists(candidate) > 0;
    };

    const bool unique = local ? g_Settings.m_bLocalUnique : g_Settings.m_bRemoteUnique;
    const bool prompt = local ? g_Settings.m_bLocalPrompt : g_Settings.m_bRemotePrompt;
    bool found = false;
    bool needUnique = false;
    m_paste.targetExisted = -1;
    if (unique) {
        found = exists(path);
        needUnique = found;
        m_paste.targetExisted = found ? 1 : 0;
    } else if (prompt) {
        found = exists(path);
        m_paste.targetExisted = found ? 1 : 0;
        if (found && !CPrompt::AskYesNo(QStringLiteral("%1 exist. Do you want to replace?").arg(QPath(path)),
                                        QStringLiteral("Replace?"))) {
            std::string chosen;
            if (local) {
                chosen = S(CPrompt::SaveAs(QStringLiteral("Save As"), QPath(path), QString()));
            } else {
                QString text = QPath(path);
                if (CPrompt::GetText(QStringLiteral("FTP Remote Filename"), QStringLiteral("Remote file name:"), text))
                    chosen = S(text);
            }
            m_paste.targetExisted = -1;
            g_TraceLog.Trace("CDriveView.CheckFileName: Return %s", chosen.c_str());
            return chosen;
        }
    } else if (freshFolder) {
        m_paste.targetExisted = 0;
    }
    g_TraceLog.Trace("CDriveView.CheckFileName: %s exist = %d", path.c_str(), found ? 1 : 0);

    std::string result = path;
    if (needUnique) {
        result.clear();
        if (local) {
            result = UniqueLocalName(folder, name);
        } else {
            for (int i = 0; i < kMaxUniqueTries && result.empty(); ++i) {
                const std::string candidate = i == 0 ? folder + "CopyOf" + name
                                                     : folder + "CopyOf" + name + "(" + std::to_string(i) + ")";
                if (!exists(candidate))
                    result = candidate;
            }
        }
        if (result.empty())
            g_TraceLog.Message("Cannot find a free name for %s", path.c_str());
        else
            m_paste.targetExisted = 0;
    }
    g_TraceLog.Trace("CDriveView.CheckFileName: Return %s", result.c_str());
    return result;
}

bool CDriveView::CopyDirectories(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    if (::mkdir(path.c_str(), 0777) == 0)
        return true;
    g_TraceLog.Trace("CopyDirectories: Create %s directory failed", path.c_str());
    g_TraceLog.Message("Cannot create the folder %s: %s", path.c_str(), std::strerror(errno));
    return false;
}

bool CDriveView::EnsureRemoteFolder(CSession& session, const std::string& path)
{
    // CheckFileName has just told whether the name is taken.
    if (m_paste.targetExisted != 0 && session.FtpExists(path) > 0)
        return true;
    if (session.FtpMkDir(path) != 0) {
        CTavoDoc::ShowLastError();
        g_TraceLog.Message("Cannot create the folder %s on %s", path.c_str(), session.m_strName.c_str());
        return false;
    }
    m_paste.freshFolders.emplace_back(session.GetFtpHandle(), WithSeparator(path, session.GetFtpHandle()));
    return true;
}

bool CDriveView::DoPaste(const std::string& source, const std::string& target, int sourceHandle, int targetHandle,
                         bool isFolder, bool move)
{
    g_TraceLog.Trace("CDriveView.DoPaste: Copy %s to %s, %d : %d", source.c_str(), target.c_str(), sourceHandle,
                     targetHandle);
    CPasteScope scope(*this);
    if (m_paste.cancelled)
        return false;

    const bool bothLocal = IsLocal(sourceHandle) && IsLocal(targetHandle);
    const bool sameSession = !IsLocal(sourceHandle) && sourceHandle == targetHandle;
    if (bothLocal || sameSession) {
        const std::string separator = g_GetSeparator(targetHandle);
        if (isFolder && target == source)
            return ShowMoveRefusal(target, move, false) != 0;
        const bool inside = target.compare(0, source.size() + separator.size(), source + separator) == 0
                            || (bothLocal && IsInsideLocalFolder(source, target));
        if (isFolder && inside)
            return ShowMoveRefusal(target, move, true) != 0;
        if (!isFolder && move && target == source)
            return ShowMoveRefusal(target, move, false) != 0;
    }
    // Refused before any question about the target: nothing could be done
    // with the answer.
    if (sameSession) {
        CPrompt::Stop(QStringLiteral("Cannot %1 %2: The destination FTP session is the same as the source FTP session")
                          .arg(move ? QStringLiteral("Move") : QStringLiteral("Copy"), QPath(source)),
                      move ? QStringLiteral("Error Moving File") : QStringLiteral("Error Coping File"));
        return false;
    }

    std::string finalTarget = CheckFileName(target, targetHandle);
    if (finalTarget.empty())
        return false;
    // A copy onto itself would truncate the source before reading it.
    if (bothLocal && SameLocalObject(source, finalTarget)) {
        const std::string folder = finalTarget.substr(0, finalTarget.rfind('/') + 1);
        finalTarget = UniqueLocalName(folder, finalTarget.substr(folder.size()));
        if (finalTarget.empty())
            return false;
    }
    g_TraceLog.Trace("CDriveView.DoPaste: From %s to %s", source.c_str(), finalTarget.c_str());

    const int skippedBefore = m_paste.skipped;
    if (!CopyByDirection(source, finalTarget, sourceHandle, targetHandle, isFolder))
        return false;
    if (!move)
        return true;
    // Whatever the walk left out is still only in the source.
    if (m_paste.skipped != skippedBefore) {
        g_TraceLog.Message("%s is not moved: some of its entries could not be copied, so it stays in place",
                           source.c_str());
        return false;
    }
    g_TraceLog.Trace("CDriveView.DoPaste: Moving: Copy completed. Deleting %s", source.c_str());
    return DeletePasteSource(source, sourceHandle, isFolder);
}

bool CDriveView::CopyByDirection(const std::string& source, const std::string& target, int sourceHandle,
                                 int targetHandle, bool isFolder)
{
    CSession* from = IsLocal(sourceHandle) ? nullptr : g_GetSession(sourceHandle);
    CSession* to = IsLocal(targetHandle) ? nullptr : g_GetSession(targetHandle);
    if ((!IsLocal(sourceHandle) && !from) || (!IsLocal(targetHandle) && !to)) {
        g_TraceLog.Message("Cannot copy %s: its FTP server is no longer open", source.c_str());
        return false;
    }
    const int type = g_nTransferType;
    // A name that did not exist before this transfer: whatever a failed
    // transfer leaves on it is removed again.
    const auto isNewRemoteName = [&](const std::string& path) {
        if (m_paste.targetExisted >= 0)
            return m_paste.targetExisted == 0;
        return to->FtpExists(path) <= 0;
    };
    const auto finish = [&](int rc) {
        if (paste::IsCancel(rc))
            m_paste.cancelled = true;
        return rc == 0;
    };

    if (!from && !to) {
        if (!isFolder)
            return CLocalFileOp::CopyFile(source, target);
        return CopyDirectories(target) && CopyLocalFolderContents(source, target, sourceHandle, targetHandle);
    }
    if (!from) {
        if (!isFolder)
            return finish(paste::UploadFile(*to, source, target, type, isNewRemoteName(target)));
        return EnsureRemoteFolder(*to, target) && CopyLocalFolderContents(source, target, sourceHandle, targetHandle);
    }
    if (!to) {
        if (!isFolder)
            return finish(paste::DownloadFile(*from, source, target, type));
        const bool made = !LocalExists(target);
        if (CopyDirectories(target) && CopyFtpFolderContents(source, target, sourceHandle, targetHandle))
            return true;
        // A folder made for a copy that brought nothing does not stay
        // behind as if something had arrived (rmdir takes empty ones only).
        if (made)
            ::rmdir(target.c_str());
        return false;
    }
    if (!isFolder)
        return finish(paste::CopyBetweenServers(*from, *to, source, target, type, isNewRemoteName(target)));
    return EnsureRemoteFolder(*to, target) && CopyFtpFolderContents(source, target, sourceHandle, targetHandle);
}

bool CDriveView::DeletePasteSource(const std::string& source, int sourceHandle, bool isFolder)
{
    if (IsLocal(sourceHandle)) {
        if (isFolder)
            return m_pDoc->DeleteDirectory(source);
        if (::unlink(source.c_str()) == 0)
            return true;
        g_TraceLog.Message("Cannot delete %s: %s", source.c_str(), std::strerror(errno));
        return false;
    }
    if (isFolder)
        return m_pDoc->DeleteFtpDirectory(source, sourceHandle);
    CSession* session = g_GetSession(sourceHandle);
    if (session && session->FtpDelete(source) == 0)
        return true;
    CTavoDoc::ShowLastError();
    return false;
}

bool CDriveView::CopyLocalFolderContents(const std::string& sourceFolder, const std::string& targetFolder,
                                         int sourceHandle, int targetHandle)
{
    const std::string from = WithSeparator(sourceFolder, 0);
    std::vector<std::string> names;
    // An unreadable folder is not an empty one: a move would delete it.
    if (const int error = ReadFolderNames(from, names)) {
        g_TraceLog.Message("Cannot read the folder %s: %s", sourceFolder.c_str(), std::strerror(error));
        return false;
    }
    const std::string to = WithSeparator(targetFolder, targetHandle);
    for (const std::string& name : names) {
        if (m_paste.cancelled)
            return false;
        const std::string entry = from + name;
        struct stat st {};
        if (::lstat(entry.c_str(), &st) != 0) {
            g_TraceLog.Message("Cannot read %s: %s", entry.c_str(), std::strerror(errno));
            return false;
        }
        bool isDir = S_ISDIR(st.st_mode);
        if (S_ISLNK(st.st_mode)) {
            // A link to a folder may lead back to an ancestor: never follow.
            struct stat pointed {};
            if (::stat(entry.c_str(), &pointed) != 0 || !S_ISREG(pointed.st_mode)) {
                g_TraceLog.Message("Skipped %s: a link to a folder or to nothing is not followed", entry.c_str());
                ++m_paste.skipped;
                continue;
            }
        } else if (!isDir && !S_ISREG(st.st_mode)) {
            g_TraceLog.Message("Skipped %s: not a regular file, folder or link", entry.c_str());
            ++m_paste.skipped;
            continue;
        }
        if (m_pCopyDialog)
            m_pCopyDialog->SetFileNames(sourceFolder, targetFolder, name);
        if (!DoPaste(entry, to + name, sourceHandle, targetHandle, isDir, false))
            return false;
    }
    return true;
}

bool CDriveView::CopyFtpFolderContents(const std::string& sourceFolder, const std::string& targetFolder,
                                       int sourceHandle, int targetHandle)
{
    const std::string to = WithSeparator(targetFolder, targetHandle);
    if (sourceHandle < 1)
        return false;
    const std::string from = WithSeparator(sourceFolder, sourceHandle);
    std::vector<RemoteEntry> entries;
    if (!ReadRemoteFolder(sourceHandle, from, entries)) {
        g_TraceLog.Message("Cannot list the folder %s", sourceFolder.c_str());
        return false;
    }
    // Some servers (pure-ftpd) list a folder that is not there as an empty
    // one: an empty listing counts only for a folder that exists.
    CSession* source = g_GetSession(sourceHandle);
    if (entries.empty() && (!source || source->FtpExists(sourceFolder) <= 0)) {
        g_TraceLog.Message("Cannot copy the folder %s: the server does not find it", sourceFolder.c_str());
        return false;
    }
    // The walk goes on past a failed entry, so that as much as possible is
    // copied, but the folder counts as copied only when every entry was.
    bool result = true;
    for (const RemoteEntry& entry : entries) {
        if (m_paste.cancelled)
            return false;
        // DOS listings show "." and ".." as folders: walking into them
        // would copy the parent into the target again and again.
        if (entry.name.empty() || IsDotName(entry.name))
            continue;
        if (!IsSafeName(entry.name)) {
            g_TraceLog.Message("Skipped \"%s\" in %s: not a usable file name", entry.name.c_str(), from.c_str());
            ++m_paste.skipped;
            continue;
        }
        if (!entry.isDir && !entry.isFile)
            continue;
        if (m_pCopyDialog)
            m_pCopyDialog->SetFileNames(sourceFolder, targetFolder, entry.name);
        if (!DoPaste(from + entry.name, to + entry.name, sourceHandle, targetHandle, entry.isDir, false))
            result = false;
    }
    return result && !m_paste.cancelled;
}
