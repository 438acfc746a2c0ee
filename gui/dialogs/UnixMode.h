// The permission text that starts a Unix "ls -l" line ("-rwsr-x--x"), or
// the mode fact of an MLSD line, read as the mode that SITE CHMOD takes.
#pragma once

#include <optional>
#include <string_view>

inline constexpr unsigned kModeSetUid = 04000;
inline constexpr unsigned kModeSetGid = 02000;
inline constexpr unsigned kModeSticky = 01000;
inline constexpr unsigned kModeAll = 07777;

// The mode of a listing line that starts with a type letter and nine
// permission letters, followed by the end of the line, a blank, or the mark
// some systems put there ("+" ACL, "." security label, "@" attributes).
// The set-id and sticky letters carry two facts each: "s" is execute plus
// set-id, "S" set-id without execute; "t" and "T" the same for sticky.
// An MLSD line ("UNIX.mode=0755;type=file; name") gives its UNIX.mode fact.
// Nothing when the line has no such text (DOS and IIS listings, an empty or
// cut line): a mode guessed from it would be sent back to the server.
std::optional<unsigned> ParseUnixMode(std::string_view line);
