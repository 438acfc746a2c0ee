#include "RenderFiles.h"

#include "DirFile.h"
#include "FtpSession.h"
#include "LocalFileOp.h"
#include "PrivateClip.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#include <QDir>

#include <netvo32.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Deep enough for any real tree, shallow enough that a server showing a
// folder inside itself for ever cannot exhaust the stack or the disk.
constexpr int kMaxDepth = 32;
constexpr size_t kMaxEntries = 100000;

void RemoveTree(const std::string& path)
{
    std::error_code error;
    std::filesystem::remove_all(path, error);
}

// Folders still alive at exit are removed then.
class CLiveFolders {
public:
    ~CLiveFolders()
    {
        for (const std::string& path : m_paths)
            RemoveTree(path);
    }
    void Add(const std::string& path) { m_paths.insert(path); }
    void Drop(const std::string& path)
    {
        if (m_paths.erase(path))
            RemoveTree(path);
    }

private:
    std::set<std::string> m_paths;
};

CLiveFolders& LiveFolders()
{
    static CLiveFolders folders;
    return folders;
}

struct RemoteEntry {
    std::string name;
    bool isDir = false;
};

class CDownload {
public:
    CDownload(CSession& session, std::string separator) : m_session(session), m_sep(std::move(separator)) {}

    bool File(const std::string& remote, const std::string& local)
    {
        const std::string part = CreatePartFile(local);
        if (part.empty()) {
            g_TraceLog.Message("Cannot create a file beside %s: %s", local.c_str(), std::strerror(errno));
            return false;
        }
        const int rc = m_session.GetFile(remote, part, g_nTransferType);
        if (rc != 0) {
            CTavoDoc::ShowLastError();
            g_TraceLog.Message("Cannot copy %s for another program", remote.c_str());
            ::unlink(part.c_str());
            return false;
        }
        if (::rename(part.c_str(), local.c_str()) != 0) {
            g_TraceLog.Message("Cannot store %s: %s", local.c_str(), std::strerror(errno));
            ::unlink(part.c_str());
            return false;
        }
        return true;
    }

    bool Folder(const std::string& remote, const std::string& local, int depth)
    {
        if (depth > kMaxDepth) {
            g_TraceLog.Message("Cannot copy %s for another program: its folders nest too deep", remote.c_str());
            return false;
        }
        if (::mkdir(local.c_str(), 0777) != 0 && errno != EEXIST) {
            g_TraceLog.Message("Cannot make %s: %s", local.c_str(), std::strerror(errno));
            return false;
        }
        // The whole listing first: the downloads below use the connection.
        std::vector<RemoteEntry> entries;
        {
            CDirFile listing(m_session.GetFtpHandle());
            if (!listing.CreateDir(remote)) {
                g_TraceLog.Message("Cannot list %s for another program", remote.c_str());
                return false;
            }
            std::string line;
            while (listing.GetNextDir(line)) {
                if (entries.size() >= kMaxEntries) {
                    g_TraceLog.Message("%s holds too many entries to copy", remote.c_str());
                    return false;
                }
                const std::string name = listing.GetFileName();
                if (name == "." || name == "..")
                    continue;
                if (!IsSafeName(name)) {
                    g_TraceLog.Message("Skipped %s in %s: not a file or folder name", name.c_str(), remote.c_str());
                    continue;
                }
                if (!listing.IsDir() && !listing.IsFile()) {
                    g_TraceLog.Trace("RenderFiles: skipped the link %s", name.c_str());
                    continue;
                }
                entries.push_back({name, listing.IsDir()});
            }
        }
        std::string base = remote;
        if (!base.ends_with(m_sep))
            base += m_sep;
        for (const RemoteEntry& entry : entries) {
            const std::string from = base + entry.name;
            const std::string to = local + "/" + entry.name;
            if (!(entry.isDir ? Folder(from, to, depth + 1) : File(from, to)))
                return false;
        }
        return true;
    }

private:
    CSession& m_session;
    std::string m_sep;
};

}  // namespace

CRenderFolder::CRenderFolder()
{
    std::string pattern = QDir::tempPath().toStdString() + "/tavo-copies-XXXXXX";
    if (::mkdtemp(pattern.data())) {
        m_strPath = pattern;
        LiveFolders().Add(m_strPath);
    } else {
        g_TraceLog.Message("Cannot make a temporary folder: %s", std::strerror(errno));
    }
}

CRenderFolder::~CRenderFolder()
{
    if (!m_strPath.empty())
        LiveFolders().Drop(m_strPath);
}

bool AnyNetworkCallRunning()
{
    for (const auto& session : g_SessionList()) {
        if (session->m_nBusy > 0)
            return true;
    }
    return false;
}

bool DownloadDescribed(const CFileDescList& list, const std::string& folder, std::vector<std::string>& paths)
{
    paths.clear();
    CSession* session = g_GetSession(list.m_nSession);
    if (!session) {
        g_TraceLog.Message("Cannot copy the files for another program: the server is no longer connected");
        return false;
    }
    CDownload download(*session, session->GetSeparator());
    for (const FileDescriptor& record : list.m_aRecords) {
        if (!IsSafeName(record.m_strName))
            continue;
        const std::string remote = list.m_strFolder + record.m_strName;
        const std::string local = folder + record.m_strName;
        g_TraceLog.Trace("RenderFiles: %s to %s", remote.c_str(), local.c_str());
        const bool done = record.IsFolder() ? download.Folder(remote, local, 0) : download.File(remote, local);
        if (!done) {
            // Nothing half: the other program gets all the items or none.
            for (const std::string& path : paths)
                RemoveTree(path);
            RemoveTree(local);
            paths.clear();
            return false;
        }
        paths.push_back(local);
    }
    return !paths.empty();
}
