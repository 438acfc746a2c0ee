// Local file names and files: where a get writes, how server-given names are
// made safe, and opening the target files.
#pragma once

#include "Session.h"

#include <string>
#include <string_view>

namespace netvo {

// The last path component of a name from a server ('/' and '\' both count as
// separators); empty when nothing usable is left ("", ".", "..").
std::string SafeLastComponent(std::string_view name);

// The local path for a transfer: `local` when given (relative to the local
// path when one is set), else the remote name's last component in the local
// path. Empty when no safe name can be made.
std::string LocalTarget(const Settings& settings, const char* local, std::string_view remote);

// Opens the target of a get. offset > 0: the file must hold at least that
// many bytes and is cut to it; otherwise it is created or truncated. With
// `unique`, an existing file is never touched: name.1, name.2, ... is used.
// Returns the descriptor or -1; `path` becomes the name actually used.
int OpenForGet(std::string& path, long long offset, bool unique);

long long LocalSize(const std::string& path);  // -1 when missing

// Whether `name` matches the shell wildcard `pattern` as fnmatch() without
// flags decides (`*`, `?`, `[...]` with ranges, `!` or `^` negation and
// [:classes:], `\` taking the next character literally), but character by
// character in UTF-8: `?` takes one character, not one byte, whatever the
// process locale. A byte that is not part of valid UTF-8 is a character of
// its own, equal only to the same byte.
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace netvo
