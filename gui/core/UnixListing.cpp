// The Unix rule: "ls -l" lines as Unix servers, and Windows servers in their
// Unix style, send them.
#include "ListingFields.h"

#include <cstdint>

namespace listing_detail {

namespace {

// The name part of a Unix line. A symbolic link shows "name -> target" and
// the entry is the link itself; either side may hold " -> " as well. Servers
// give a link's size as the length of its target, so the arrow that leaves
// exactly that many bytes behind it is the one that separates them; when no
// arrow does, the size was not the target's and the first arrow is taken.
void ReadUnixName(std::string_view rest, bool isLink, ListingEntry& entry)
{
    entry.isLink = isLink;
    if (isLink) {
        constexpr std::string_view kArrow = " -> ";
        size_t arrow = std::string_view::npos;
        if (entry.size >= 0 && static_cast<std::uint64_t>(entry.size) <= rest.size()
            && rest.size() - static_cast<size_t>(entry.size) >= kArrow.size()) {
            const size_t at = rest.size() - static_cast<size_t>(entry.size) - kArrow.size();
            if (rest.substr(at, kArrow.size()) == kArrow)
                arrow = at;
        }
        if (arrow == std::string_view::npos)
            arrow = rest.find(kArrow);
        if (arrow != std::string_view::npos) {
            entry.linkTarget = std::string(rest.substr(arrow + kArrow.size()));
            rest = rest.substr(0, arrow);
        }
    }
    entry.name = LastPathComponent(rest);
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
    if (tokens.size() > 4)
        ReadInt64(tokens[4].text, entry.size);
    ReadUnixName(rest, !line.empty() && line[0] == 'l', entry);
    entry.isDir = !line.empty() && line[0] == 'd' && !IsDotName(entry.name);
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

// Where the date may stand: "ls -l" puts the month after permissions, links,
// owner, group and size, so that place is tried first, then the places left
// when owner or group are missing, then later ones (device numbers, owners
// with blanks). An owner or group that looks like a month and a day is
// passed over that way, while a name that looks like a date is still reached
// last. The k-th place to try: 5, 4, 3, 2, then 6, 7, ...
size_t DatePlace(size_t k)
{
    constexpr size_t kUsual = 5;
    return k <= kUsual - 2 ? kUsual - k : k + 2;
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
    for (size_t k = 0; k < tokens.size(); ++k) {
        const size_t i = DatePlace(k);
        if (i + 2 >= tokens.size())
            continue;
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
        ReadUnixName(line.substr(start), type == 'l', entry);
        entry.isDir = type == 'd' && !IsDotName(entry.name);
        return entry;
    }
    return ParseUnixByPosition(line, tokens);
}

}  // namespace listing_detail
