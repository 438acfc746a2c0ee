// Local file operations: copy, move and delete of a list of paths, the way a
// desktop file manager does them. The copy engine and the deletes of the
// tree and the list all go through here, so collisions, refusals and
// questions read the same everywhere. Questions go through the prompt layer;
// notes (skipped special files, failures) go to the message pane.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct LocalOpOptions {
    // "LocalUnique": a target name that exists gets the next free
    // "Copy Of" name instead (UniqueLocalName).
    bool unique = false;
    // "LocalPrompt": with unique off, ask before replacing an existing
    // target. With both off an existing file is replaced without a question
    // and an existing folder receives the copied folder's contents.
    bool prompt = false;
    // Delete only: into the Trash (true) or for good (false).
    bool allowUndo = true;
    // Delete only: ask once before deleting anything.
    bool confirm = true;
};

struct LocalOpResult {
    bool ok = false;       // everything asked for was done, or skipped by the user's answer
                           // (or, in a copy, skipped as a special file)
    bool aborted = false;  // Cancel in the progress window
};

class CLocalFileOp {
public:
    // Called while files are copied, at least every few MiB and at the end
    // of each file, with the bytes copied so far and the total of the whole
    // operation. Returning false cancels: the file being written is removed,
    // what was finished stays, a move deletes no source. No callback: no
    // progress and no Cancel.
    using Progress = std::function<bool(long long done, long long total)>;
    static void SetProgress(Progress progress);

    // Copies each source (file, folder with everything in it, or symbolic
    // link, which is copied as a link and never followed) into targetFolder
    // under its own name. Sources are absolute paths; FIFOs, sockets and
    // devices are skipped with a message. Every source is checked against
    // the refusals before anything is written; the first failure stops the
    // rest, and what was finished stays.
    static LocalOpResult Copy(const std::vector<std::string>& sources, const std::string& targetFolder,
                              const LocalOpOptions& options);
    // As Copy, then each source goes: rename(2) where source and target lie
    // on one file system, else copy and delete the source only after its
    // whole copy succeeded. A folder merged into an existing one is always
    // copied. A folder of which anything was not copied (skipped, declined)
    // stays whole where it was, and the move is then not ok.
    static LocalOpResult Move(const std::vector<std::string>& sources, const std::string& targetFolder,
                              const LocalOpOptions& options);
    // Deletes each path, into the Trash or for good (options.allowUndo),
    // after one confirmation when options.confirm is set. Links are removed
    // themselves, never followed. Stops at the first failure.
    static LocalOpResult Delete(const std::vector<std::string>& paths, const LocalOpOptions& options);

    // One regular file to an exact target path, replacing a file there. The
    // data goes into a hidden sibling first and is renamed over the target
    // only when complete, so a failure or Cancel never leaves a half file
    // and never harms an existing target. A target that is the source itself
    // (same device and inode) or a folder is refused. Keeps the source's
    // permissions and modification time.
    static bool CopyFile(const std::string& source, const std::string& target);
};

// The first free name for `name` in `folder` (which ends in "/"): the name
// itself is not tried; "Copy Of NAME", then "Copy Of NAME (1)", "(2)", ...
// Returns the full path.
std::string UniqueLocalName(const std::string& folder, const std::string& name);

// A hidden sibling of `target` created exclusively (".NAME.XXXXXX.part" in
// the same folder), for data that is renamed over the target only once it
// is complete. Empty when it cannot be created, with errno telling why.
std::string CreatePartFile(const std::string& target);

// The names in a local folder, without "." and "..", sorted; read whole
// before anything changes there, so that nothing made while walking it is
// read back. 0, or the errno of the failure (a read error is not the end).
int ReadFolderNames(const std::string& folder, std::vector<std::string>& names);

// A process whose working folder is removed or moved away is left with
// relative paths that lead nowhere: when it works in `folder` or below, it
// goes to the folder's parent first.
void LeaveLocalFolder(const std::string& folder);
