// The local copy of a server file that is opened with a desktop
// application: a new file of its own in the temporary folder.
#pragma once

#include <string>

// Creates, exclusively and under a name no other program can guess, an
// empty file "tmpXXXXXX.EXT" in `folder`, EXT being the part of
// `remoteName` after its last "." (the whole name when it has none), so
// that the desktop picks the application by the same ending. Returns its
// full path, or an empty text with `error` set to the errno of the failure.
std::string CreateOpenTempFile(const std::string& folder, const std::string& remoteName, int& error);
