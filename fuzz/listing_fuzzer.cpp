// Feeds one listing line to the rules CDirFile reads lines by, for the
// server type the first byte picks and by each rule, and checks what its
// callers rely on: a name is a last path component without a NUL, sizes are
// not negative, a link is no folder and its target is the end of the line,
// and the rule chosen reads the line as ReadListingLine does.
#include "ListingClock.h"
#include "ListingRules.h"
#include "SessionTypes.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void Check(std::string_view line, const ListingEntry& entry)
{
    if (entry.name.find_first_of(std::string_view("/\0", 2)) != std::string::npos || entry.size < 0)
        __builtin_trap();
    if (entry.isLink && entry.isDir)
        __builtin_trap();
    if (!entry.linkTarget.empty()) {
        const std::string arrow = " -> " + entry.linkTarget;
        if (!entry.isLink || !line.ends_with(arrow))
            __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    constexpr int kTypes[] = {OsUnknown, OsUnix, OsDos, OsNt, OsNtUnix};
    const int osType = kTypes[data[0] % 5];
    const std::string_view line(reinterpret_cast<const char*>(data) + 1, size - 1);
    // A fixed "now" keeps runs repeatable: 2026-06-15 12:00 UTC.
    CListingClock clock(1781524800);

    ListingRule rule = ListingRule::Unix;
    const ListingEntry read = ReadListingLine(line, osType, rule);
    if (rule != ChooseListingRule(line, osType))
        __builtin_trap();
    Check(line, read);
    IsSkippedListingLine(line, osType, read.name);
    ListingEntryTime(read, rule, clock);

    for (const ListingRule each : {ListingRule::Unix, ListingRule::Dos, ListingRule::Iis}) {
        const ListingEntry entry = ParseListingLine(line, each);
        Check(line, entry);
        if (each == rule && (entry.name != read.name || entry.size != read.size || entry.isDir != read.isDir))
            __builtin_trap();
        ListingEntryTime(entry, each, clock);
        ListingEntryTime(entry, each, clock.Now());
    }
    Check(line, ParseUnixLine(line));
    return 0;
}
