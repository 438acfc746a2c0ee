// The Unix rule: "ls -l" lines as Unix servers, and Windows servers in their
// Unix style, send them.
#include "ListingFields.h"

namespace listing_detail {

namespace {

// The name part of a Unix line: a symbolic link shows "name -> target", and
// the entry is the link itself.
std::string UnixName(std::string_view rest, bool isLink)
{
    if (isLink) {
        const size_t arrow = rest.find(" -> ");
        if (arrow != std::string_view::npos)
            rest = rest.substr(0, arrow);
    }
    return LastPathComponent(rest);
}

// The rule of the original Unix parser, for lines without a recognisable
// date: the name is what follows the first eight fields; the other fields
// are taken by position, as far as they can be read.
ListingEntry ParseUnixByPosition(std::string_view line, const std::vector<Token>& tokens)
{
    ListingEntry entry;
    std::string_view rest = line;
    for (int field = 0; field < 8; ++field) {
        const size_t blank = rest.find(' ');
        if (blank == std::string_view::npos || blank == 0)
            break;
        rest = TrimLeft(rest.substr(blank + 1));
    }
    entry.name = UnixName(rest, !line.empty() && line[0] == 'l');
    entry.isDir = !line.empty() && line[0] == 'd' && !IsDotName(entry.name);
    if (tokens.size() > 4)
        ReadInt64(tokens[4].text, entry.size);
    if (tokens.size() > 5)
        entry.month = MonthFromName(tokens[5].text);
    if (tokens.size() > 6)
        entry.day = ReadSmallInt(tokens[6].text);
    if (tokens.size() > 7) {
        const std::string_view last = tokens[7].text;
        const size_t colon = last.find(':');
        if (colon != std::string_view::npos && colon >= 1) {
            entry.timeOfDay = true;
            entry.hour = ReadSmallInt(last.substr(0, colon));
            entry.minute = ReadSmallInt(last.substr(colon + 1));
        } else {
            entry.year = ReadSmallInt(last);
        }
    }
    return entry;
}

}  // namespace

// A Unix permission string: type letter, then nine permission characters
// (an ACL or context mark may follow).
bool HasUnixShape(const std::vector<Token>& tokens)
{
    if (tokens.empty() || tokens[0].begin != 0)
        return false;
    const std::string_view perms = tokens[0].text;
    if (perms.size() < 10 || std::string_view("-dlcbpsD").find(perms[0]) == std::string_view::npos)
        return false;
    for (size_t i = 1; i < 10; ++i) {
        if (std::string_view("-rwxsStTlL").find(perms[i]) == std::string_view::npos)
            return false;
    }
    return true;
}

ListingEntry ParseUnix(std::string_view line, const std::vector<Token>& tokens)
{
    // Find the date: month name, day, then a year or a time of day, right
    // after the size. Searching for it, instead of counting fields, reads
    // servers that leave out the owner or the group, and device lines whose
    // size column holds "major, minor".
    for (size_t i = 2; i + 2 < tokens.size(); ++i) {
        const int month = MonthFromName(tokens[i].text);
        if (month == 0 || !AllDigits(tokens[i + 1].text))
            continue;
        const int day = ReadSmallInt(tokens[i + 1].text);
        if (day < 1 || day > 31)
            continue;
        ListingEntry entry;
        const std::string_view last = tokens[i + 2].text;
        if (ReadClock(last, entry.hour, entry.minute)) {
            entry.timeOfDay = true;
        } else if (AllDigits(last) && last.size() == 4) {
            entry.year = ReadSmallInt(last);
        } else {
            continue;
        }
        const char type = line.empty() ? '\0' : line[0];
        if (type != 'c' && type != 'b' && !ReadInt64(tokens[i - 1].text, entry.size))
            continue;
        entry.month = month;
        entry.day = day;
        // One blank separates the date from the name; any further blanks
        // belong to the name.
        size_t start = tokens[i + 2].end;
        if (start < line.size())
            ++start;
        entry.name = UnixName(line.substr(start), type == 'l');
        entry.isDir = type == 'd' && !IsDotName(entry.name);
        return entry;
    }
    return ParseUnixByPosition(line, tokens);
}

}  // namespace listing_detail
