// The document's recursive deletes of a local folder and of a remote one.

#include "TavoDoc.h"

#include "DirFile.h"
#include "FtpSession.h"
#include "ListingRules.h"
#include "LocalFileOp.h"
#include "SessionRegistry.h"
#include "TraceLog.h"
#include "netvo32.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace {

bool IsSymbolicLink(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool IsRealDirectory(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

struct RemoteEntry {
    std::string name;
    bool isDir;
};

}  // namespace

bool CTavoDoc::DeleteDirectory(const std::string& dir)
{
    g_TraceLog.Trace("CTavoDoc.DeleteDirectory: Dir = \"%s\"", dir.c_str());

    // A link to a folder is removed itself; what it points to is not ours
    // to delete.
    if (IsSymbolicLink(dir)) {
        const bool removed = f_deletefile(dir.c_str()) == 0;
        g_TraceLog.Trace(removed ? "CTavoDoc.DeleteDirectory: %s deleted" : "CTavoDoc.DeleteDirectory: Delete %s failed",
                         dir.c_str());
        return removed;
    }

    const std::string prefix = dir.ends_with('/') ? dir : dir + "/";
    const std::string pattern = prefix + "*.*";
    bool result = true;
    if (IsRealDirectory(dir)) {
        std::vector<std::string> names;
        ReadFolderNames(dir, names);
        if (names.empty()) {
            g_TraceLog.Trace("CTavoDoc.DeleteDirectory: Directory is empty");
        } else {
            g_TraceLog.Trace("CTavoDoc.DeleteDirectory: Deleting = \"%s\"", pattern.c_str());
            for (const std::string& name : names) {
                if (!result)
                    break;
                const std::string path = prefix + name;
                // lstat: a link to a folder is deleted as a file, never
                // followed.
                if (IsRealDirectory(path)) {
                    result = DeleteDirectory(path);
                } else if (f_deletefile(path.c_str()) == 0) {
                    g_TraceLog.Trace("CTavoDoc.DeleteDirectory: %s deleted", path.c_str());
                } else {
                    result = false;
                }
            }
        }
    }

    if (result) {
        LeaveLocalFolder(dir);
        result = f_rmdir(dir.c_str()) == 0;
        g_TraceLog.Trace(result ? "CTavoDoc.DeleteDirectory: %s deleted" : "CTavoDoc.DeleteDirectory: Delete %s failed",
                         dir.c_str());
    } else {
        g_TraceLog.Trace("CTavoDoc.DeleteDirectory: Delete %s failed", dir.c_str());
    }
    return result;
}

bool CTavoDoc::DeleteFtpDirectory(const std::string& dir, int handle)
{
    g_TraceLog.Trace("CTavoDoc.DeleteFtpDirectory: Dir = \"%s\"", dir.c_str());
    if (handle < 1) {
        g_TraceLog.Trace("CTavoDoc.DeleteFtpDirectory: Delete %s failed", dir.c_str());
        return false;
    }
    const std::string prefix = (dir.ends_with('/') || dir.ends_with('\\')) ? dir : dir + "/";

    // The whole listing is read before anything is deleted. Ending the
    // listing first also changes the server back out of a folder that it
    // had to enter to list it, so every path below means what it says.
    std::vector<RemoteEntry> entries;
    {
        CDirFile listing(handle);
        if (listing.CreateDir(dir)) {
            std::string line;
            while (listing.GetNextDir(line))
                entries.push_back({listing.GetFileName(), listing.IsDir()});
        }
    }

    bool result = true;
    for (const RemoteEntry& entry : entries) {
        if (!result)
            break;
        // DOS servers list "." and ".." as folders: recursing into them
        // would never end, or empty the parent.
        if (entry.name.empty() || IsDotName(entry.name))
            continue;
        const std::string path = prefix + entry.name;
        if (entry.isDir) {
            result = DeleteFtpDirectory(path, handle);
        } else {
            CSession* session = g_GetSession(handle);
            const int rc = session ? session->FtpDelete(path) : -1;
            if (rc != 0) {
                g_TraceLog.Message("Error deleting %s", path.c_str());
                result = false;
            } else {
                g_TraceLog.Trace("CTavoDoc.DeleteFtpDirectory: %s deleted", path.c_str());
            }
        }
    }

    if (result) {
        CSession* session = g_GetSession(handle);
        result = session && session->FtpRmDir(dir) == 0;
        if (result)
            g_TraceLog.Trace("CTavoDoc.DeleteFtpDirectory: %s deleted", dir.c_str());
    }
    if (!result)
        g_TraceLog.Trace("CTavoDoc.DeleteFtpDirectory: Delete %s failed", dir.c_str());
    return result;
}
