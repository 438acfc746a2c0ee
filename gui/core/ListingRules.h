// The rules that read one line of a remote folder listing: which layout the
// line has (Unix "ls -l", the old name-first DOS layout, or the date-first
// layout of Windows NT servers), and the name, folder flag, size and time it
// carries. Pure functions on UTF-8 text; CDirFile adds the file handling and
// the trace lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class ListingRule {
    Unix,  // drwxr-xr-x  2 owner group  4096 Mar  3 14:05 name
    Dos,   // NAME     EXT      1234  01-15-98  10:30
    Iis,   // 01-15-98  10:30AM       <DIR>          name
};

struct ListingEntry {
    std::string name;       // a last path component only (see LastPathComponent)
    bool isDir = false;
    // A symbolic link is never a folder itself: walks that recurse into
    // folders (copy, delete) must not follow it out of the tree they walk.
    bool isLink = false;
    std::string linkTarget; // what a link points to, as the server shows it
    std::int64_t size = 0;
    int year = 0;           // full year; 0 when the line gave none
    int month = 0;          // 1-12; 0 when unknown
    int day = 0;
    int hour = 0;
    int minute = 0;
    bool timeOfDay = false; // a Unix line with a time of day instead of a year
};

// The rule for a line. Its shape decides when it is unmistakable (a Unix
// permission string; a date-first line; a line ending in size or "<DIR>",
// date and time); the server type decides the rest: DOS servers get the DOS
// rule, all others the Unix rule.
ListingRule ChooseListingRule(std::string_view line, int osType);

ListingEntry ParseListingLine(std::string_view line, ListingRule rule);
ListingEntry ParseUnixLine(std::string_view line);

// What follows the last "/" (or, failing that, the last "\\"): a listing can
// name a path, but the program only ever takes the last component from it.
std::string LastPathComponent(std::string_view name);

inline bool IsDotName(std::string_view name)
{
    return name == "." || name == "..";
}

// Lines that are no entry: lines without a name, "total" lines of Unix
// servers, the "." and ".." entries (they are kept for DOS servers, whose
// callers expect them), and the indented header lines of DOS listings.
// `name` is the line's name as its rule reads it.
bool IsSkippedListingLine(std::string_view line, int osType, std::string_view name);

// The tokens are read once: the rule for the line, and the entry by it.
ListingEntry ReadListingLine(std::string_view line, int osType, ListingRule& rule);

// Pieces shared by the rules, exposed for their tests.
int MonthFromName(std::string_view name);  // "jan".."dec" in any case; 0 when none
// Two-digit years are read in the window 1951-2050; longer ones as written.
int FullYear(int year, size_t digits);
