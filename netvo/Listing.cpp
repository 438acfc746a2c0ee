#include "Listing.h"

#include "DataConnection.h"
#include "LineEnds.h"
#include "LocalFiles.h"
#include "Result.h"
#include "Transfer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fnmatch.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

namespace netvo {

namespace {

constexpr size_t kMaxNameListing = 64 * 1024 * 1024;

std::string ListCommand(ListKind kind, const char* remote)
{
    std::string command = kind == ListKind::Long ? "LIST" : "NLST";
    if (remote && *remote)
        command += std::string(" ") + remote;
    return command;
}

// vsftpd answers a LIST of a folder it cannot open (missing, or not
// readable) with "226 Transfer done (but failed to open directory)." after an
// empty listing. Taken as an empty folder, a copy of it would report success
// with nothing copied.
bool ListingFailedDespite226(const Session& s)
{
    const Reply& last = s.control.Last();
    return last.code == 226 && last.Text().find("failed to open directory") != std::string::npos;
}

// A listing is text whatever TYPE is set: its line ends are converted.
// The names of an NLST, kept in memory (bounded) for mget.
int ReceiveNames(Session& s, Op& op, const std::string& command, std::string* text)
{
    DataConnection dc;
    int rc = OpenDataCommand(s, op, command, 0, dc);
    if (rc != 0)
        return rc;
    if (!dc.Completed()) {
        {
            AsciiDecoder decoder;
            char buffer[64 * 1024 + 1];
            for (;;) {
                long n = ReceiveSome(dc.Fd(), buffer, sizeof buffer - 1, op);
                if (n <= 0) {
                    rc = static_cast<int>(n);
                    break;
                }
                text->append(buffer, decoder.Decode(buffer, static_cast<size_t>(n), buffer));
                if (text->size() > kMaxNameListing) {
                    rc = NETVO_E_PROTOCOL;
                    break;
                }
                if (op.Progress(static_cast<long long>(text->size())) != 0) {
                    rc = NETVO_E_ABORTED;
                    break;
                }
            }
        }
        if (rc != 0)
            return s.Fail(AbortDataCommand(s, op, dc, rc), command);
    }
    rc = CloseDataCommand(s, op, dc);
    if (rc == 0 && ListingFailedDespite226(s))
        return s.Fail(550, command, s.control.Last().lines.front());
    return rc != 0 ? s.Fail(rc, command) : 0;
}

}  // namespace

int ListToFile(Session& s, ListKind kind, const char* remote, const char* localFile)
{
    std::string command = ListCommand(kind, remote);
    if ((remote && !SafeArgument(remote)) || !localFile || !*localFile)
        return s.Fail(NETVO_E_BADARG, command);
    std::string path = LocalTarget(s.settings, localFile, {});
    Op op = s.MakeOp();
    DataConnection dc;
    int rc = OpenDataCommand(s, op, command, 0, dc);
    if (rc != 0)
        return rc;
    // Created only once the server is ready to send, as for a get.
    rc = ReceiveIntoFile(s, op, dc, ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666), path, true,
                         command);
    if (rc == 0 && ListingFailedDespite226(s))
        return s.Fail(550, command, s.control.Last().lines.front());
    return rc;
}

int ListNames(Session& s, const char* remote, std::vector<std::string>& names)
{
    names.clear();
    if (remote && !SafeArgument(remote))
        return s.Fail(NETVO_E_BADARG, "NLST");
    Op op = s.MakeOp();
    std::string text;
    int rc = ReceiveNames(s, op, ListCommand(ListKind::Names, remote), &text);
    if (rc != 0)
        return rc;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            names.push_back(std::move(line));
        start = end + 1;
    }
    return 0;
}

int MultiGet(Session& s, const char* pattern)
{
    if (!pattern || !*pattern || !SafeArgument(pattern))
        return s.Fail(NETVO_E_BADARG, "mget");
    // Not every server expands wildcards in NLST (RFC 959 leaves it open), so
    // a pattern is matched here against the names of its folder.
    std::string listed = pattern;
    std::string folder;
    std::string wildcard;
    if (listed.find_first_of("*?[") != std::string::npos) {
        size_t slash = listed.find_last_of('/');
        folder = slash == std::string::npos ? "" : listed.substr(0, slash == 0 ? 1 : slash);
        wildcard = listed.substr(slash == std::string::npos ? 0 : slash + 1);
        listed = folder;
    }
    std::vector<std::string> names;
    int rc = ListNames(s, listed.c_str(), names);
    if (rc == 450 || rc == 550)
        names.clear();  // nothing there
    else if (rc != 0)
        return rc;
    int result = 0;
    int matched = 0;
    for (const std::string& name : names) {
        // The server chose these names: each is only ever stored under its
        // last component inside the local folder, and unusable ones skipped.
        std::string local = SafeLastComponent(name);
        if (local.empty() || !SafeArgument(name))
            continue;
        if (!wildcard.empty() && ::fnmatch(wildcard.c_str(), local.c_str(), 0) != 0)
            continue;
        std::string remote = name;
        if (!folder.empty() && name.find('/') == std::string::npos)
            remote = (folder == "/" ? "" : folder) + "/" + name;
        ++matched;
        rc = Get(s, remote.c_str(), local.c_str(), 0);
        if (rc < 0 && rc != NETVO_E_LOCALFILE)
            return rc;  // the connection is gone or the user aborted
        if (rc != 0 && result == 0)
            result = rc;
    }
    if (matched == 0)
        return SetLastError(NETVO_E_NOMATCH, std::string(pattern) + ": no file matches");
    return result;
}

int MultiPut(Session& s, const char* pattern)
{
    if (!pattern || !*pattern)
        return s.Fail(NETVO_E_BADARG, "mput");
    std::string full = LocalTarget(s.settings, pattern, {});
    glob_t matches{};
    int g = ::glob(full.c_str(), 0, nullptr, &matches);
    if (g != 0) {
        ::globfree(&matches);
        return SetLastError(g == GLOB_NOMATCH ? NETVO_E_NOMATCH : NETVO_E_LOCALFILE, full + ": no file matches");
    }
    std::vector<std::string> files;
    for (size_t i = 0; i < matches.gl_pathc; ++i) {
        struct stat st{};
        if (::stat(matches.gl_pathv[i], &st) == 0 && S_ISREG(st.st_mode))
            files.emplace_back(matches.gl_pathv[i]);
    }
    ::globfree(&matches);
    if (files.empty())
        return SetLastError(NETVO_E_NOMATCH, full + ": no file matches");
    int result = 0;
    for (const std::string& file : files) {
        int rc = PutFile(s, file, SafeLastComponent(file), PutMode::Store, 0);
        if (rc < 0 && rc != NETVO_E_LOCALFILE)
            return rc;
        if (rc != 0 && result == 0)
            result = rc;
    }
    return result;
}

}  // namespace netvo
