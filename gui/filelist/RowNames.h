// The naming rules of the file list's row commands: which new names a
// rename may take, which name a new folder gets, and a local rename that
// never replaces what is already there.
#pragma once

#include <string>
#include <vector>

// Why `newName` cannot name an entry of a folder whose path separator is
// `separator` ("/" locally, the server's otherwise); empty when it can.
// A name is one path component: not empty, not "." or "..", no "/" or
// separator, and no CR, LF or NUL, which would end an FTP command early.
std::string NewNameRefusal(const std::string& newName, const std::string& separator);

// "NewFolder", else "NewFolder0", "NewFolder1", ...: the first that no name
// in `taken` matches without regard to case.
std::string NextNewFolderName(const std::vector<std::string>& taken);

// rename(2) from one full path to another that never replaces an entry at
// the target, not even one that appears between a check and the rename.
// 0, or the errno of the failure (EEXIST when the target is there).
int RenameLocalNoReplace(const std::string& from, const std::string& to);
