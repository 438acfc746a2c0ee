#include "Listing.h"

#include "DataConnection.h"
#include "LineEnds.h"
#include "LocalFiles.h"
#include "Result.h"
#include "Transfer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

namespace netvo {

namespace {

// The bounds of the NLST behind an mget, documented at ftp_mget. A hostile
// or broken server may list without end; the names are held in memory, so
// both the count and the text are capped, and the names are packed (below)
// so that what is held stays about the size of the text.
constexpr size_t kMaxListedNames = 1000000;
constexpr size_t kMaxNameListing = 64 * 1024 * 1024;
// A line longer than any path is not a name a get could use; it is counted,
// not kept.
constexpr size_t kMaxNameLength = 4096;

constexpr const char* kMlstFacts = "OPTS MLST type;size;sizd;modify;perm;UNIX.mode;";

std::string ListCommand(ListKind kind, const char* remote)
{
    std::string command = kind == ListKind::Long ? "LIST" : kind == ListKind::Machine ? "MLSD" : "NLST";
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

// Names packed end to end, each ended by a NUL, in blocks of 1 MiB: a vector
// of strings would add 32 bytes or more to every name (several hundred MB
// for a listing of ten million short names), and blocks grow without ever
// copying what they hold. Names never contain NUL (such names are unusable
// and not kept).
class NameList {
public:
    void Add(std::string_view name)
    {
        if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() <= name.size()) {
            m_blocks.emplace_back();
            m_blocks.back().reserve(std::max(kBlock, name.size() + 1));
        }
        m_blocks.back().append(name).push_back('\0');
    }

    // Calls f(name) in order until it returns nonzero; returns that.
    template <class F>
    int ForEach(F f) const
    {
        for (const std::string& block : m_blocks) {
            for (size_t at = 0; at < block.size();) {
                const size_t end = block.find('\0', at);
                if (int rc = f(std::string_view(block).substr(at, end - at)); rc != 0)
                    return rc;
                at = end + 1;
            }
        }
        return 0;
    }

private:
    static constexpr size_t kBlock = 1024 * 1024;
    std::vector<std::string> m_blocks;
};

// Receives an NLST line by line and hands each name that `keep` accepts to
// `names`. A listing is text whatever TYPE is set: its line ends are
// converted. Past the bounds above the transfer is aborted.
template <class Keep>
int ReceiveNames(Session& s, Op& op, const std::string& command, Keep keep, NameList& names)
{
    DataConnection dc;
    int rc = OpenDataCommand(s, op, command, 0, dc);
    if (rc != 0)
        return rc;
    std::string line;       // the line being received
    bool overlong = false;  // it is longer than any name, and not kept
    size_t count = 0;
    long long received = 0;
    std::string failure;
    auto endLine = [&] {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() && !overlong)
            return true;
        if (++count > kMaxListedNames) {
            failure = "the listing has more than " + std::to_string(kMaxListedNames) + " names; mget stops there";
            return false;
        }
        if (!overlong && keep(line))
            names.Add(line);
        line.clear();
        overlong = false;
        return true;
    };
    if (!dc.Completed()) {
        AsciiDecoder decoder;
        char buffer[64 * 1024 + 1];
        for (;;) {
            long n = dc.Receive(buffer, sizeof buffer - 1, op);
            if (n <= 0) {
                rc = static_cast<int>(n);
                if (rc == 0 && (!line.empty() || overlong) && !endLine())
                    rc = NETVO_E_PROTOCOL;
                break;
            }
            received += n;
            if (received > static_cast<long long>(kMaxNameListing)) {
                failure = "the listing is larger than " + std::to_string(kMaxNameListing / (1024 * 1024)) +
                          " MiB; mget stops there";
                rc = NETVO_E_PROTOCOL;
                break;
            }
            std::string_view chunk(buffer, decoder.Decode(buffer, static_cast<size_t>(n), buffer));
            while (rc == 0 && !chunk.empty()) {
                const size_t nl = chunk.find('\n');
                const std::string_view piece = chunk.substr(0, nl);
                if (overlong || line.size() + piece.size() > kMaxNameLength) {
                    overlong = true;
                    line.clear();
                } else {
                    line.append(piece);
                }
                if (nl == std::string_view::npos)
                    break;
                chunk.remove_prefix(nl + 1);
                if (!endLine())
                    rc = NETVO_E_PROTOCOL;
            }
            if (rc != 0)
                break;
            if (op.Progress(received) != 0) {
                rc = NETVO_E_ABORTED;
                break;
            }
        }
    }
    if (rc != 0)
        return s.Fail(AbortDataCommand(s, op, dc, rc), command, failure);
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
    if (kind == ListKind::Machine && !s.features.mlstFactsChosen) {
        // Servers send only some facts unless asked (the Unix mode, which
        // the permissions page needs, rarely by default). A server that
        // does not take the request sends its defaults; that is no failure.
        s.features.mlstFactsChosen = true;
        Reply reply;
        if (int rc = s.control.Command(kMlstFacts, reply, op); rc != 0)
            return s.Fail(rc, "OPTS MLST");
    }
    DataConnection dc;
    int rc = OpenDataCommand(s, op, command, 0, dc);
    if (kind == ListKind::Machine && (rc == 500 || rc == 502 || rc == 504)) {
        // FEAT promised MLST, but the server does not know the listing
        // command: callers fall back to LIST, so stop offering MLSx for this
        // login rather than trying it again on every folder.
        s.features.mlst = false;
    }
    if (rc != 0)
        return rc;
    // Created only once the server is ready to send, as for a get.
    rc = ReceiveIntoFile(s, op, dc, ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666), path, true,
                         command, kMaxListingBytes);
    if (rc == 0 && ListingFailedDespite226(s))
        return s.Fail(550, command, s.control.Last().lines.front());
    return rc;
}

bool OffersMachineListing(const Session& s)
{
    return s.features.mlst;
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
    // The server chose these names: each is only ever stored under its last
    // component inside the local folder, and unusable ones are skipped. Only
    // the names to fetch are kept.
    auto wanted = [&](std::string_view name) {
        const std::string local = SafeLastComponent(name);
        return !local.empty() && SafeArgument(name) && (wildcard.empty() || WildcardMatch(wildcard, local));
    };
    NameList names;
    const std::string command = ListCommand(ListKind::Names, listed.c_str());
    Op op = s.MakeOp();
    int rc = ReceiveNames(s, op, command, wanted, names);
    if (rc == 450 || rc == 550)
        names = NameList();  // nothing there
    else if (rc != 0)
        return rc;
    int result = 0;
    int matched = 0;
    rc = names.ForEach([&](std::string_view name) {
        std::string remote(name);
        if (!folder.empty() && name.find('/') == std::string_view::npos)
            remote = (folder == "/" ? "" : folder) + "/" + remote;
        ++matched;
        const int got = Get(s, remote.c_str(), SafeLastComponent(name).c_str(), 0);
        if (got < 0 && got != NETVO_E_LOCALFILE)
            return got;  // the connection is gone or the user aborted
        if (got != 0 && result == 0)
            result = got;
        return 0;
    });
    if (rc != 0)
        return rc;
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
