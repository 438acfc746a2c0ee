#include "MlsdListing.h"

#include <charconv>
#include <cstdint>
#include <strings.h>

namespace {

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool StartsWithText(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

// All decimal digits, at least one.
bool Digits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::optional<std::int64_t> ReadSize(std::string_view value)
{
    std::int64_t size = 0;
    if (!Digits(value))
        return std::nullopt;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), size);
    if (error != std::errc() || end != value.data() + value.size())
        return std::nullopt;  // beyond 64 bits
    return size;
}

int Number(std::string_view digits)
{
    int n = 0;
    for (char c : digits)
        n = n * 10 + (c - '0');
    return n;
}

// YYYYMMDDHHMMSS, optionally followed by "." and fractions of a second,
// always UTC. Only a real moment is taken.
std::optional<std::time_t> ReadTime(std::string_view value)
{
    const size_t dot = value.find('.');
    if (dot != std::string_view::npos) {
        if (!Digits(value.substr(dot + 1)))
            return std::nullopt;
        value = value.substr(0, dot);
    }
    if (value.size() != 14 || !Digits(value))
        return std::nullopt;
    std::tm t{};
    t.tm_year = Number(value.substr(0, 4)) - 1900;
    t.tm_mon = Number(value.substr(4, 2)) - 1;
    t.tm_mday = Number(value.substr(6, 2));
    t.tm_hour = Number(value.substr(8, 2));
    t.tm_min = Number(value.substr(10, 2));
    t.tm_sec = Number(value.substr(12, 2));
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_mday > kDays[t.tm_mon] || t.tm_hour > 23 ||
        t.tm_min > 59 || t.tm_sec > 60)
        return std::nullopt;
    const std::time_t when = timegm(&t);
    if (t.tm_mday != Number(value.substr(6, 2)))
        return std::nullopt;  // 29 February of a common year
    return when;
}

// Octal, as "0755" or "755" (or "0o755", as pyftpdlib writes it); the
// permission and special bits only.
std::optional<unsigned> ReadMode(std::string_view value)
{
    if (StartsWithText(value, "0o"))
        value.remove_prefix(2);
    if (value.empty() || value.size() > 6)
        return std::nullopt;
    unsigned mode = 0;
    for (char c : value) {
        if (c < '0' || c > '7')
            return std::nullopt;
        mode = mode * 8 + static_cast<unsigned>(c - '0');
    }
    if (mode > 07777)
        return std::nullopt;
    return mode;
}

bool UsableName(std::string_view name)
{
    return !name.empty() && !IsDotName(name) && name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

// Calls f(name, value) for each fact; false when a fact has no "=".
template <class F>
bool ForEachFact(std::string_view facts, F f)
{
    while (!facts.empty()) {
        const size_t semi = facts.find(';');
        const std::string_view fact = facts.substr(0, semi);
        facts = semi == std::string_view::npos ? std::string_view() : facts.substr(semi + 1);
        if (fact.empty())
            continue;
        const size_t eq = fact.find('=');
        if (eq == std::string_view::npos || eq == 0)
            return false;
        f(fact.substr(0, eq), fact.substr(eq + 1));
    }
    return true;
}

// The facts and the name; false when there is no blank to part them.
bool Split(std::string_view line, std::string_view& facts, std::string_view& name)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos)
        return false;
    facts = line.substr(0, blank);
    name = line.substr(blank + 1);
    return true;
}

}  // namespace

bool IsMlsdLine(std::string_view line)
{
    std::string_view facts;
    std::string_view name;
    if (!Split(line, facts, name) || facts.empty() || facts.back() != ';' || facts.find('=') == std::string_view::npos)
        return false;
    return ForEachFact(facts, [](std::string_view, std::string_view) {});
}

std::optional<MlsdEntry> ParseMlsdLine(std::string_view line)
{
    std::string_view facts;
    std::string_view name;
    if (!Split(line, facts, name) || !UsableName(name))
        return std::nullopt;
    MlsdEntry result;
    ListingEntry& entry = result.entry;
    entry.name = std::string(name);
    bool skipped = false;
    std::optional<std::int64_t> size;
    std::optional<std::int64_t> folderSize;
    const bool wellFormed = ForEachFact(facts, [&](std::string_view fact, std::string_view value) {
        if (SameText(fact, "type")) {
            if (SameText(value, "cdir") || SameText(value, "pdir")) {
                skipped = true;
            } else if (SameText(value, "dir")) {
                entry.isDir = true;
            } else if (SameText(value, "OS.unix=symlink")) {
                entry.isLink = true;
            } else if (StartsWithText(value, "OS.unix=slink:")) {
                entry.isLink = true;
                entry.linkTarget = std::string(value.substr(14));
            }
            // "file", and the types of special files, are plain entries.
        } else if (SameText(fact, "size")) {
            size = ReadSize(value);
        } else if (SameText(fact, "sizd")) {
            folderSize = ReadSize(value);
        } else if (SameText(fact, "modify")) {
            if (const auto when = ReadTime(value)) {
                result.modified = *when;
                result.hasTime = true;
            }
        } else if (SameText(fact, "UNIX.mode")) {
            result.unixMode = ReadMode(value);
        } else if (SameText(fact, "perm")) {
            result.perm = std::string(value);
        }
    });
    if (!wellFormed || skipped)
        return std::nullopt;
    // A link is never a folder, whatever else the line says of it.
    if (entry.isLink)
        entry.isDir = false;
    entry.size = (entry.isDir && folderSize ? *folderSize : size.value_or(0));
    return result;
}

std::optional<unsigned> MlsdUnixMode(std::string_view line)
{
    if (!IsMlsdLine(line))
        return std::nullopt;
    const std::optional<MlsdEntry> entry = ParseMlsdLine(line);
    return entry ? entry->unixMode : std::nullopt;
}
