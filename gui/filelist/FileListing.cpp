// Listing a folder into the file list: a local folder straight from the file
// system, an FTP folder through a CDirFile on the session's connection.
#include "FileView.h"

#include "DirFile.h"
#include "FileListModel.h"
#include "FtpSession.h"
#include "IconList.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"
#include "WaitHook.h"

#include <QHash>

#include <filesystem>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// The part of a file name that decides its type: from the first dot on
// ("a.tar.gz" -> ".tar.gz"), or the whole name when it has none.
QString TypeKey(const std::string& name)
{
    const size_t dot = name.find('.', 1);
    return QString::fromUtf8(dot == std::string::npos ? name : name.substr(dot));
}

// Type text and icon of files by name. A large folder holds many files of
// few types: each type is looked up once per listing.
class CTypeCache {
public:
    explicit CTypeCache(CTavoDoc* doc) : m_pDoc(doc) {}

    int Lookup(const std::string& name, const QString& pathForDoc, QString& type)
    {
        const QString key = TypeKey(name);
        const auto found = m_cache.constFind(key);
        if (found != m_cache.constEnd()) {
            type = found->second;
            return found->first;
        }
        int icon = 0;
        if (m_pDoc)
            icon = m_pDoc->GetIconIndex(pathForDoc, false, &type);
        else
            icon = CIconList::Instance().IndexForFileName(CTavoDoc::GetFileTitle(pathForDoc), &type);
        m_cache.insert(key, {icon, type});
        return icon;
    }

private:
    CTavoDoc* m_pDoc;
    QHash<QString, std::pair<int, QString>> m_cache;
};

// The absolute form of a path, with "." and ".." worked out as text; a
// trailing "/" stays.
std::string FullPathName(const std::string& path)
{
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    if (error)
        return path;
    std::string text = full.lexically_normal().string();
    return text.empty() ? path : text;
}

}  // namespace

int CFileView::ShowLocalFolder(const std::string& path)
{
    g_TraceLog.Trace("CFileView.ShowLocalFolder: %s", path.c_str());
    m_nFtpHandle = 0;
    std::unique_ptr<DIR, DirCloser> dir(opendir(path.empty() ? "." : path.c_str()));
    if (!dir) {
        g_TraceLog.Trace("CFileView.ShowLocalFolder: Cannot read %s", path.c_str());
        // The place follows the tree even when it cannot be read, so that
        // nothing meant for this folder lands in the one shown before; the
        // rows of that folder go, so that no command joins one of their
        // names to this place.
        ClearRows();
        m_strCurPath = FullPathName(path);
        AfterListing();
        return GetItemCount();
    }
    CWaitCursor wait;
    ClearRows();
    m_strCurPath = FullPathName(path);
    const std::string prefix = m_strCurPath.ends_with('/') ? m_strCurPath : m_strCurPath + "/";

    std::vector<FileListItem> items;
    std::vector<int> icons;
    CTypeCache types(m_pDoc);
    const int dirFd = dirfd(dir.get());
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        FileListItem item;
        struct stat info {};
        // A link shows what it points to; a dangling one shows as itself.
        if (fstatat(dirFd, entry->d_name, &info, 0) != 0 && fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            info = {};
        item.m_bIsDir = S_ISDIR(info.st_mode) ? 1 : 0;
        if (item.m_bIsDir && (name == "." || name == ".."))
            continue;
        item.m_nSession = 0;
        item.m_strName = name;
        item.m_nSize = item.m_bIsDir ? 0 : static_cast<std::int64_t>(info.st_size);
        item.m_tModified = info.st_mtime;
        item.m_strPath = prefix + name;
        QString type;
        int icon = 0;
        if (item.m_bIsDir) {
            // Every folder is a "File Folder"; its icon (home, pictures, a
            // custom one) is looked up by its path when its row is drawn, so
            // a folder full of folders lists without a look at each one.
            type = QString::fromLatin1(kFolderTypeName);
            icon = -1;
        } else {
            icon = types.Lookup(name, QString::fromUtf8(item.m_strPath), type);
        }
        item.m_strType = type;
        items.push_back(std::move(item));
        icons.push_back(icon);
    }
    m_pModel->SetItems(std::move(items), std::move(icons));
    AfterListing();
    return GetItemCount();
}

int CFileView::ShowFtpFolder(const std::string& server, int handle, const std::string& path)
{
    g_TraceLog.Trace("CFileView.ShowFtpFolder: %s %s", server.c_str(), path.c_str());
    std::string folder = path;
    if (!folder.ends_with('/') && !folder.ends_with('\\')) {
        folder += g_GetSeparator(handle);
    }
    m_strServer = server;
    m_nFtpHandle = handle;

    CWaitCursor wait;
    CDirFile listing(server);
    if (!listing.CreateDir(folder)) {
        g_TraceLog.Trace("CFileView.ShowFtpFolder: Listing %s failed", folder.c_str());
        // The place is the one asked for: the handle above already names
        // this server, and a path of the previous place must not be used
        // with it. Nor may the previous place's rows: a delete would join
        // their names to this folder.
        ClearRows();
        m_strCurPath = folder;
        AfterListing();
        return GetItemCount();
    }
    ClearRows();
    m_strCurPath = folder;
    SetFrameTitle(QStringLiteral("Directory - ") + QString::fromUtf8(folder));

    std::vector<FileListItem> items;
    std::vector<int> icons;
    CTypeCache types(m_pDoc);
    std::string line;
    while (listing.GetNextDir(line)) {
        FileListItem item;
        item.m_nSession = handle;
        item.m_bIsDir = listing.IsDir() ? 1 : 0;
        item.m_strName = listing.GetFileName();
        item.m_nSize = listing.GetSize();
        item.m_tModified = listing.GetTime();
        item.m_strPath = line;
        int icon = 0;
        if (item.m_bIsDir) {
            item.m_strType = QString::fromLatin1(kFolderTypeName);
            icon = m_nFolderIcon;
        } else {
            icon = types.Lookup(item.m_strName, QString::fromUtf8(item.m_strName), item.m_strType);
        }
        if (listing.IsLink()) {
            // The type text names the target, and with it the row's tool tip.
            item.m_bIsLink = 1;
            item.m_strLinkTarget = listing.GetLinkTarget();
            item.m_strType = QStringLiteral("Link to ") + QString::fromUtf8(item.m_strLinkTarget);
        }
        items.push_back(std::move(item));
        icons.push_back(icon);
    }
    m_pModel->SetItems(std::move(items), std::move(icons));
    AfterListing();
    return GetItemCount();
}
