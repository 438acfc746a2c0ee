// Copy, move and delete of local paths. Every file is written under a hidden
// part name and renamed over its target only when complete, sources of a
// move go only after their whole copy is in place, and links are copied as
// links, so no failure, Cancel or odd tree loses or loops over data.

#include "LocalFileOp.h"

#include "Prompt.h"
#include "TraceLog.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr size_t kBufferSize = size_t{1} << 20;
// "Copy Of NAME (9999)" is far beyond what anyone keeps in one folder; past
// it something is wrong and the copy fails instead of looping on.
constexpr int kMaxUniqueTries = 10000;
constexpr int kMaxPartTries = 100;
constexpr std::string_view kPartTail = ".XXXXXX.part";

// What became of one item of a copy or move.
enum class Outcome {
    Complete,    // copied (or moved) with everything in it
    Declined,    // the user answered No to replacing it
    Skipped,     // not a file, folder or link
    Incomplete,  // a folder copied without some of its contents (declined or skipped)
    Failed,      // an error, already reported; the operation stops
    Aborted,     // Cancel in the progress window; the operation stops
};

// Where an item goes once a name collision is settled.
enum class Placement { New, Replace, Merge, Declined, Failed };

struct Run {
    LocalOpOptions options;
    bool move = false;
    long long done = 0;
    long long total = 0;
};

CLocalFileOp::Progress& ProgressCallback()
{
    static CLocalFileOp::Progress progress;
    return progress;
}

std::string ErrorText(int error)
{
    return std::generic_category().message(error);
}

QString PathText(const std::string& path)
{
    return QFile::decodeName(path.c_str());
}

const char* Verb(const Run& run)
{
    return run.move ? "move" : "copy";
}

// ---- Paths -----------------------------------------------------------------

// "/a/b/" names the same thing as "/a/b".
std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string NameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool IsUsableName(const std::string& name)
{
    return !name.empty() && name != "." && name != "..";
}

// Symbolic links resolved; empty when the path cannot be resolved.
std::string Canonical(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    return error ? std::string() : real.string();
}

// By whole names: "/a/bc" is not inside "/a/b".
bool IsSameOrInside(const std::string& path, const std::string& folder)
{
    if (folder.empty())
        return false;
    return path == folder || path.starts_with(WithSlash(folder));
}

// ---- File system queries ---------------------------------------------------

// 0 or errno; links are looked at, never followed.
int Lstat(const std::string& path, struct stat& st)
{
    return ::lstat(path.c_str(), &st) == 0 ? 0 : errno;
}

bool SameObject(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool IsCopyable(const struct stat& st)
{
    return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode);
}

bool IsRealFolder(const std::string& path)
{
    struct stat st {};
    return Lstat(path, st) == 0 && S_ISDIR(st.st_mode);
}

// Bytes of the regular files at and under `path`.
long long TotalBytes(const std::string& path)
{
    struct stat st {};
    if (Lstat(path, st) != 0)
        return 0;
    if (S_ISREG(st.st_mode))
        return st.st_size;
    if (!S_ISDIR(st.st_mode))
        return 0;
    std::vector<std::string> names;
    ReadFolderNames(path, names);
    long long total = 0;
    for (const std::string& name : names)
        total += TotalBytes(WithSlash(path) + name);
    return total;
}

// ---- Part files ------------------------------------------------------------

// The target's name as part of a part file's name, cut (at a character
// boundary) so that the whole stays within the file system's name limit.
std::string PartBaseName(const std::string& name)
{
    const size_t room = NAME_MAX - 1 - kPartTail.size();
    if (name.size() <= room)
        return name;
    size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

// Part names only need to differ most of the time: O_EXCL settles the rest.
// Seeded from the clock and the process, as std::random_device may throw.
std::string RandomLetters(size_t count)
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 engine(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())
                                        ^ (static_cast<uint64_t>(::getpid()) << 32));
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    std::string letters;
    for (size_t i = 0; i < count; ++i)
        letters += kLetters[pick(engine)];
    return letters;
}

// Tries `create` (0 or errno) on fresh hidden siblings of `target` until one
// is free. The path, or empty with `error` set.
template <typename Create>
std::string ClaimSibling(const std::string& target, Create create, int& error)
{
    const std::string prefix = WithSlash(ParentOf(target)) + "." + PartBaseName(NameOf(target)) + ".";
    const size_t letters = kPartTail.size() - std::string_view(".part").size() - 1;
    error = EEXIST;
    for (int i = 0; i < kMaxPartTries && error == EEXIST; ++i) {
        const std::string path = prefix + RandomLetters(letters) + ".part";
        error = create(path);
        if (error == 0)
            return path;
    }
    return {};
}

// Owns a descriptor; Close reports what close(2) said.
class CFd {
public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd() { Close(); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;

    int Get() const { return m_fd; }
    int Close()
    {
        if (m_fd < 0)
            return 0;
        // On Linux the descriptor is gone even after EINTR; retrying could
        // close one that another thread just opened.
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 || errno == EINTR ? 0 : errno;
    }

private:
    int m_fd;
};

int OpenPartFile(const std::string& target, std::string& part, int& error)
{
    int fd = -1;
    part = ClaimSibling(
        target,
        [&fd](const std::string& path) {
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            return fd >= 0 ? 0 : errno;
        },
        error);
    return fd;
}

// ---- Data ------------------------------------------------------------------

ssize_t ReadSome(int fd, char* buffer, size_t size)
{
    for (;;) {
        const ssize_t count = ::read(fd, buffer, size);
        if (count >= 0 || errno != EINTR)
            return count;
    }
}

// 0 once all of it is written, through short writes and EINTR; else errno.
int WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t count = ::write(fd, data, size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        if (count == 0)
            return EIO;
        data += count;
        size -= static_cast<size_t>(count);
    }
    return 0;
}

// False when the user cancelled. The callback is called through a copy, so
// that it may replace itself.
bool ReportProgress(const Run& run)
{
    const CLocalFileOp::Progress progress = ProgressCallback();
    return !progress || progress(run.done, run.total);
}

Outcome CopyData(int in, int out, Run& run, int& error)
{
    const std::unique_ptr<char[]> buffer(new (std::nothrow) char[kBufferSize]);
    if (!buffer) {
        error = ENOMEM;
        return Outcome::Failed;
    }
    bool reported = false;
    for (;;) {
        const ssize_t count = ReadSome(in, buffer.get(), kBufferSize);
        if (count < 0) {
            error = errno;
            return Outcome::Failed;
        }
        if (count == 0)
            break;
        error = WriteAll(out, buffer.get(), static_cast<size_t>(count));
        if (error != 0)
            return Outcome::Failed;
        run.done += count;
        if (!ReportProgress(run))
            return Outcome::Aborted;
        reported = true;
    }
    // An empty file still reports its end.
    return reported || ReportProgress(run) ? Outcome::Complete : Outcome::Aborted;
}

// Reads errno.
void TraceKeepFailure(const char* what, const std::string& path)
{
    g_TraceLog.Trace("CLocalFileOp: cannot keep the %s of %s: %s", what, path.c_str(), ErrorText(errno).c_str());
}

// Set-user and set-group bits are not copied: the copy belongs to whoever
// makes it, so they would grant another identity than the source's did.
// Failures are traced only: some file systems (FAT on a stick) cannot hold
// modes, and the data is what counts.
void KeepFileAttributes(int fd, const struct stat& source, const std::string& target)
{
    if (::fchmod(fd, source.st_mode & 01777) != 0)
        TraceKeepFailure("permissions", target);
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (::futimens(fd, times) != 0)
        TraceKeepFailure("time", target);
}

void KeepFolderAttributes(const std::string& folder, const struct stat& source)
{
    if (::chmod(folder.c_str(), source.st_mode & 07777) != 0)
        TraceKeepFailure("permissions", folder);
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (::utimensat(AT_FDCWD, folder.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        TraceKeepFailure("time", folder);
}

// ---- Copying one item ------------------------------------------------------

Outcome Fail(const char* verb, const std::string& source, const std::string& target, const std::string& why)
{
    g_TraceLog.Message("Cannot %s %s to %s: %s", verb, source.c_str(), target.c_str(), why.c_str());
    return Outcome::Failed;
}

// O_NONBLOCK keeps a FIFO from blocking the open; its type refuses it right
// after. -1 with `why` set when the path is no readable regular file.
int OpenRegularFile(const std::string& path, struct stat& st, std::string& why)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        why = ErrorText(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = "not a regular file";
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

// Why `target` may not receive a copy of `source`; empty when it may.
std::string TargetRefusal(const struct stat& source, const std::string& target)
{
    struct stat existing {};
    if (Lstat(target, existing) != 0)
        return {};
    if (SameObject(source, existing))
        return "the target is the source itself";
    if (S_ISDIR(existing.st_mode))
        return "the target is a folder";
    return {};
}

Outcome CopyFileData(const std::string& source, const std::string& target, Run& run, const char* verb)
{
    struct stat st {};
    std::string why;
    CFd in(OpenRegularFile(source, st, why));
    if (in.Get() < 0)
        return Fail(verb, source, target, why);
    why = TargetRefusal(st, target);
    if (!why.empty())
        return Fail(verb, source, target, why);

    int error = 0;
    std::string part;
    CFd out(OpenPartFile(target, part, error));
    if (out.Get() < 0)
        return Fail(verb, source, target, "cannot create a file in its folder: " + ErrorText(error));

    Outcome outcome = CopyData(in.Get(), out.Get(), run, error);
    if (outcome == Outcome::Complete) {
        KeepFileAttributes(out.Get(), st, target);
        error = out.Close();
        if (error == 0 && ::rename(part.c_str(), target.c_str()) != 0)
            error = errno;
        if (error != 0)
            outcome = Outcome::Failed;
    }
    if (outcome != Outcome::Complete) {
        out.Close();
        ::unlink(part.c_str());
    }
    if (outcome == Outcome::Failed)
        Fail(verb, source, target, ErrorText(error));
    return outcome;
}

int ReadLinkText(const std::string& path, std::string& text)
{
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t count = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (count < 0)
            return errno;
        if (static_cast<size_t>(count) < buffer.size()) {
            buffer.resize(static_cast<size_t>(count));
            text = std::move(buffer);
            return 0;
        }
        if (buffer.size() > PATH_MAX)
            return ENAMETOOLONG;
        buffer.resize(buffer.size() * 2);
    }
}

// The link is made under a hidden name and renamed over the target, so an
// existing file or link there is replaced in one step.
Outcome CopyLink(const std::string& source, const std::string& target, const Run& run)
{
    std::string text;
    int error = ReadLinkText(source, text);
    std::string temporary;
    if (error == 0) {
        temporary = ClaimSibling(
            target,
            [&text](const std::string& path) { return ::symlink(text.c_str(), path.c_str()) == 0 ? 0 : errno; },
            error);
    }
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
    }
    return error == 0 ? Outcome::Complete : Fail(Verb(run), source, target, ErrorText(error));
}

Outcome CopyEntry(const std::string& source, const std::string& targetFolder, const std::string& name, Run& run);

// Each entry under its own name, with its own collision handling.
Outcome CopyFolderContents(const std::string& source, const std::vector<std::string>& names,
                           const std::string& target, Run& run)
{
    Outcome result = Outcome::Complete;
    for (const std::string& name : names) {
        const Outcome outcome = CopyEntry(WithSlash(source) + name, WithSlash(target), name, run);
        if (outcome == Outcome::Failed || outcome == Outcome::Aborted)
            return outcome;
        if (outcome != Outcome::Complete)
            result = Outcome::Incomplete;
    }
    return result;
}

// A new folder is made writable for the copy and gets the source's
// permissions and time once it is full; a merged one keeps its own.
Outcome CopyFolder(const std::string& source, const struct stat& st, const std::string& target, bool merge,
                   Run& run)
{
    std::vector<std::string> names;
    if (const int error = ReadFolderNames(source, names))
        return Fail(Verb(run), source, target, ErrorText(error));
    if (!merge && ::mkdir(target.c_str(), 0700) != 0)
        return Fail(Verb(run), source, target, ErrorText(errno));
    const Outcome outcome = CopyFolderContents(source, names, target, run);
    if (!merge && outcome != Outcome::Failed && outcome != Outcome::Aborted)
        KeepFolderAttributes(target, st);
    return outcome;
}

Outcome CopyTo(const std::string& source, const struct stat& st, const std::string& target, bool merge, Run& run)
{
    g_TraceLog.Trace("CLocalFileOp::Copy: %s to %s", source.c_str(), target.c_str());
    if (S_ISDIR(st.st_mode))
        return CopyFolder(source, st, target, merge, run);
    if (S_ISLNK(st.st_mode))
        return CopyLink(source, target, run);
    return CopyFileData(source, target, run, Verb(run));
}

bool AskReplace(const std::string& target)
{
    return CPrompt::AskYesNo(QStringLiteral("%1 exist. Do you want to replace?").arg(PathText(target)),
                             QStringLiteral("Replace?"));
}

// Settles a name collision in `targetFolder`. The very same object is never
// written over (that would truncate the source), and a file and a folder
// never replace each other.
Placement PlaceTarget(const std::string& source, const struct stat& st, const std::string& targetFolder,
                      const std::string& name, const Run& run, std::string& target)
{
    target = targetFolder + name;
    struct stat existing {};
    if (Lstat(target, existing) != 0)
        return Placement::New;
    if (SameObject(st, existing) || run.options.unique) {
        target = UniqueLocalName(targetFolder, name);
        if (!target.empty())
            return Placement::New;
        Fail(Verb(run), source, targetFolder + name, "no free \"Copy Of\" name is left");
        return Placement::Failed;
    }
    if (S_ISDIR(st.st_mode) != S_ISDIR(existing.st_mode)) {
        Fail(Verb(run), source, target, "a file and a folder cannot replace each other");
        return Placement::Failed;
    }
    if (run.options.prompt && !AskReplace(target))
        return Placement::Declined;
    return S_ISDIR(st.st_mode) ? Placement::Merge : Placement::Replace;
}

Outcome CopyEntry(const std::string& source, const std::string& targetFolder, const std::string& name, Run& run)
{
    struct stat st {};
    if (const int error = Lstat(source, st))
        return Fail(Verb(run), source, targetFolder + name, ErrorText(error));
    if (!IsCopyable(st)) {
        g_TraceLog.Message("Skipped %s: not a regular file, folder or link", source.c_str());
        return Outcome::Skipped;
    }
    std::string target;
    const Placement placement = PlaceTarget(source, st, targetFolder, name, run, target);
    if (placement == Placement::Declined)
        return Outcome::Declined;
    if (placement == Placement::Failed)
        return Outcome::Failed;
    return CopyTo(source, st, target, placement == Placement::Merge, run);
}

// ---- Deleting and moving ---------------------------------------------------

bool FailDelete(const std::string& path, int error)
{
    g_TraceLog.Message("Cannot delete %s: %s", path.c_str(), ErrorText(error).c_str());
    return false;
}

// For good: a folder with everything in it, a link itself (never what it
// points to). Stops at the first failure.
bool RemoveTree(const std::string& path)
{
    struct stat st {};
    if (const int error = Lstat(path, st))
        return FailDelete(path, error);
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.c_str()) == 0 || FailDelete(path, errno);
    std::vector<std::string> names;
    if (const int error = ReadFolderNames(path, names))
        return FailDelete(path, error);
    for (const std::string& name : names) {
        if (!RemoveTree(WithSlash(path) + name))
            return false;
    }
    LeaveLocalFolder(path);
    return ::rmdir(path.c_str()) == 0 || FailDelete(path, errno);
}

bool MoveToTrash(const std::string& path)
{
    if (IsRealFolder(path))
        LeaveLocalFolder(path);
    if (QFile::moveToTrash(PathText(path)))
        return true;
    g_TraceLog.Message("Cannot move %s to the Trash", path.c_str());
    return false;
}

// rename(2) that never replaces something that appeared at the target after
// it was found free; file systems without that flag get the plain rename.
int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// One rename where it can be done, else copy and delete the source once its
// whole copy is in place. A folder merged into an existing one always takes
// the second way, as does anything going to another file system.
Outcome MoveEntry(const std::string& source, const std::string& targetFolder, const std::string& name, Run& run)
{
    struct stat st {};
    if (const int error = Lstat(source, st))
        return Fail("move", source, targetFolder + name, ErrorText(error));
    std::string target;
    const Placement placement = PlaceTarget(source, st, targetFolder, name, run, target);
    if (placement == Placement::Declined)
        return Outcome::Declined;
    if (placement == Placement::Failed)
        return Outcome::Failed;
    g_TraceLog.Trace("CLocalFileOp::Move: %s to %s", source.c_str(), target.c_str());

    if (placement != Placement::Merge) {
        const long long bytes = TotalBytes(source);
        if (S_ISDIR(st.st_mode))
            LeaveLocalFolder(source);
        const int error = placement == Placement::New
                              ? RenameNoReplace(source, target)
                              : (::rename(source.c_str(), target.c_str()) == 0 ? 0 : errno);
        if (error == 0) {
            // A renamed item counts as done at once.
            run.done += bytes;
            return ReportProgress(run) ? Outcome::Complete : Outcome::Aborted;
        }
        if (error != EXDEV)
            return Fail("move", source, target, ErrorText(error));
    }

    if (!IsCopyable(st)) {
        g_TraceLog.Message("Skipped %s: not a regular file, folder or link", source.c_str());
        return Outcome::Skipped;
    }
    const Outcome outcome = CopyTo(source, st, target, placement == Placement::Merge, run);
    if (outcome != Outcome::Complete)
        return outcome;
    g_TraceLog.Trace("CLocalFileOp::Move: copy complete, deleting %s", source.c_str());
    return RemoveTree(source) ? Outcome::Complete : Outcome::Failed;
}

// ---- Whole operations ------------------------------------------------------

// Sources are absolute paths that name a file or folder of their own; "/",
// "." and ".." do not. Reports and returns false for the first that fails.
bool CleanPaths(const std::vector<std::string>& paths, const char* verb, std::vector<std::string>& clean)
{
    for (const std::string& path : paths) {
        std::string item = WithoutTrailingSlashes(path);
        if (!item.starts_with('/') || !IsUsableName(NameOf(item))) {
            g_TraceLog.Message("Cannot %s \"%s\": not the full path of a file or folder", verb, path.c_str());
            return false;
        }
        clean.push_back(std::move(item));
    }
    return true;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A folder never goes into itself or below itself, and a move never onto its
// own path. Shows the refusal and returns true when `source` may not go.
bool Refuse(const std::string& source, const std::string& folder, bool move)
{
    const std::string into = Canonical(folder);
    QString text;
    if (move && !into.empty() && into == Canonical(ParentOf(source)))
        text = QStringLiteral("Cannot Move %1: The destination folder is the same as the source folder");
    else if (IsRealFolder(source) && IsSameOrInside(into, Canonical(source)))
        text = move ? QStringLiteral("Cannot Move %1: The destination folder is a subfolder of the source folder")
                    : QStringLiteral("Cannot Copy %1: The destination folder is a subfolder of the source folder");
    else
        return false;
    CPrompt::Stop(text.arg(PathText(folder + NameOf(source))),
                  move ? QStringLiteral("Error Moving File") : QStringLiteral("Error Coping File"));
    return true;
}

// Copy and Move: every source is checked before anything is written, then
// each goes in turn; the first failure or Cancel stops the rest.
LocalOpResult Transfer(const std::vector<std::string>& sources, const std::string& targetFolder,
                       const LocalOpOptions& options, bool move)
{
    LocalOpResult result;
    Run run{options, move, 0, 0};
    std::vector<std::string> items;
    if (!CleanPaths(sources, Verb(run), items))
        return result;
    const std::string folder = WithSlash(targetFolder);
    if (!IsFolder(folder)) {
        g_TraceLog.Message("Cannot %s to %s: it is not a folder", Verb(run), targetFolder.c_str());
        return result;
    }
    for (const std::string& item : items) {
        if (Refuse(item, folder, move))
            return result;
    }
    for (const std::string& item : items)
        run.total += TotalBytes(item);

    bool ok = true;
    for (const std::string& item : items) {
        const Outcome outcome = move ? MoveEntry(item, folder, NameOf(item), run)
                                     : CopyEntry(item, folder, NameOf(item), run);
        if (outcome == Outcome::Aborted)
            result.aborted = true;
        if (outcome == Outcome::Aborted || outcome == Outcome::Failed)
            return result;
        // What is left of a move has not gone anywhere: the move did not
        // happen, whatever the reason.
        if (move && outcome == Outcome::Incomplete)
            g_TraceLog.Message("Kept %s: not everything in it could be moved", item.c_str());
        if (move && (outcome == Outcome::Incomplete || outcome == Outcome::Skipped))
            ok = false;
    }
    result.ok = ok;
    return result;
}

bool ConfirmDelete(const std::vector<std::string>& paths, bool allowUndo)
{
    if (paths.size() == 1) {
        // The whole path: a name alone does not tell which of two folders
        // of that name goes.
        const QString name = PathText(paths.front());
        const QString text = allowUndo ? QStringLiteral("Are you sure you want to move \"%1\" to the Trash?")
                                       : QStringLiteral("Are you sure you want to permanently delete \"%1\"?");
        const QString title = IsRealFolder(paths.front()) ? QStringLiteral("Confirm Folder Delete")
                                                          : QStringLiteral("Confirm File Delete");
        return CPrompt::AskYesNo(text.arg(name), title);
    }
    const QString text = allowUndo ? QStringLiteral("Are you sure you want to move these %1 items to the Trash?")
                                   : QStringLiteral("Are you sure you want to permanently delete these %1 items?");
    return CPrompt::AskYesNo(text.arg(static_cast<qulonglong>(paths.size())),
                             QStringLiteral("Confirm Multiple File Delete"));
}

}  // namespace

void CLocalFileOp::SetProgress(Progress progress)
{
    ProgressCallback() = std::move(progress);
}

LocalOpResult CLocalFileOp::Copy(const std::vector<std::string>& sources, const std::string& targetFolder,
                                 const LocalOpOptions& options)
{
    return Transfer(sources, targetFolder, options, false);
}

LocalOpResult CLocalFileOp::Move(const std::vector<std::string>& sources, const std::string& targetFolder,
                                 const LocalOpOptions& options)
{
    return Transfer(sources, targetFolder, options, true);
}

LocalOpResult CLocalFileOp::Delete(const std::vector<std::string>& paths, const LocalOpOptions& options)
{
    LocalOpResult result;
    std::vector<std::string> items;
    if (!CleanPaths(paths, "delete", items))
        return result;
    if (!items.empty() && options.confirm && !ConfirmDelete(items, options.allowUndo))
        return result;
    for (const std::string& item : items) {
        g_TraceLog.Trace("CLocalFileOp::Delete: %s", item.c_str());
        if (!(options.allowUndo ? MoveToTrash(item) : RemoveTree(item)))
            return result;
    }
    result.ok = true;
    return result;
}

bool CLocalFileOp::CopyFile(const std::string& source, const std::string& target)
{
    g_TraceLog.Trace("CLocalFileOp::CopyFile: %s to %s", source.c_str(), target.c_str());
    struct stat st {};
    Run run;
    run.total = ::stat(source.c_str(), &st) == 0 ? st.st_size : 0;
    return CopyFileData(source, target, run, "copy") == Outcome::Complete;
}

std::string UniqueLocalName(const std::string& folder, const std::string& name)
{
    const std::string base = WithSlash(folder) + "Copy Of " + name;
    for (int i = 0; i < kMaxUniqueTries; ++i) {
        const std::string path = i == 0 ? base : base + " (" + std::to_string(i) + ")";
        struct stat st {};
        const int error = Lstat(path, st);
        if (error == ENOENT)
            return path;
        // A name that cannot even be looked at (too long, no access) cannot
        // be created either.
        if (error != 0)
            return {};
    }
    return {};
}

std::string CreatePartFile(const std::string& target)
{
    int error = 0;
    std::string part;
    CFd fd(OpenPartFile(target, part, error));
    if (fd.Get() >= 0)
        return part;
    g_TraceLog.Trace("CreatePartFile: no part file for %s: %s", target.c_str(), ErrorText(error).c_str());
    errno = error;  // for the caller's message
    return {};
}

int ReadFolderNames(const std::string& folder, std::vector<std::string>& names)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return errno;
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        std::string name = entry->d_name;
        if (IsUsableName(name))
            names.push_back(std::move(name));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return error;
}

void LeaveLocalFolder(const std::string& folder)
{
    std::error_code error;
    const std::string cwd = std::filesystem::current_path(error).string();
    const std::string gone = Canonical(folder);
    if (error || !IsSameOrInside(cwd, gone))
        return;
    const std::string parent = ParentOf(gone);
    if (::chdir(parent.c_str()) == 0)
        g_TraceLog.Trace("CLocalFileOp: working folder moved to %s", parent.c_str());
    else
        g_TraceLog.Trace("CLocalFileOp: cannot leave %s: %s", gone.c_str(), ErrorText(errno).c_str());
}
