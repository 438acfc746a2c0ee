// One line of a machine-readable folder listing (MLSD, RFC 3659):
// "fact=value;fact=value; name". The facts end at the first blank; the name
// is everything after it, blanks and ";" included. Pure functions; CDirFile
// reads its MLSD listings through them.
#pragma once

#include "ListingRules.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

struct MlsdEntry {
    ListingEntry entry;              // name, folder and link flags, size
    std::time_t modified = 0;        // the modify fact (UTC); 0 when absent
    bool hasTime = false;
    std::optional<unsigned> unixMode;  // the UNIX.mode fact
    std::string perm;                // the perm fact as given ("adfrw")
};

// The entry of a line, or nothing for a line that names no entry of the
// folder: the folder itself and its parent (cdir, pdir), a line without the
// blank that ends the facts, a fact without "=", and a name that is empty,
// "." or "..", or holds "/", "\\" or NUL (a server's name must never lead
// out of the folder listed). Fact names and type values are read in any
// case. A fact whose value cannot be read (a size that is no number, a
// time that is no moment) is left out; the line still counts.
std::optional<MlsdEntry> ParseMlsdLine(std::string_view line);

// The UNIX.mode fact of an MLSD line; nothing when the line is no MLSD line
// or carries no readable mode.
std::optional<unsigned> MlsdUnixMode(std::string_view line);

// Whether the text before the first blank reads as MLSD facts ("a=b;").
// A Unix, DOS or IIS listing line never starts that way.
bool IsMlsdLine(std::string_view line);
