// The Windows rules: the old name-first DOS layout and the date-first
// layout that NT servers (IIS) send by default.
#include "ListingFields.h"

namespace listing_detail {

namespace {

// "README   TXT": the old DOS layout shows an 8.3 name as the base padded to
// eight columns and the extension from column nine.
std::string JoinDosName(std::string_view field)
{
    if (field.size() >= 10 && field.size() <= 12 && field[8] == ' ' && !IsBlank(field[9])) {
        const std::string_view base = TrimRight(field.substr(0, 8));
        const std::string_view ext = field.substr(9);
        const auto clean = [](std::string_view part) {
            for (char c : part) {
                if (IsBlank(c) || c == '.')
                    return false;
            }
            return !part.empty();
        };
        if (clean(base) && clean(ext))
            return std::string(base) + "." + std::string(ext);
    }
    return std::string(field);
}

// The original DOS rule: the first word is the name, then size or "<DIR>",
// date and time.
ListingEntry ParseDosByPosition(std::string_view line, const std::vector<Token>& tokens)
{
    ListingEntry entry;
    const size_t blank = line.find(' ');
    entry.name = LastPathComponent(blank != std::string_view::npos && blank > 0 ? line.substr(0, blank) : line);
    const size_t dir = line.find("<DIR>");
    entry.isDir = dir != std::string_view::npos && dir > 0;
    if (!entry.isDir && tokens.size() > 1)
        ReadInt64(tokens[1].text, entry.size);
    if (tokens.size() > 2)
        ReadDashDate(tokens[2].text, entry.month, entry.day, entry.year);
    if (tokens.size() > 3)
        ReadClock(tokens[3].text, entry.hour, entry.minute);
    return entry;
}

void ReadSizeOrDir(std::string_view text, ListingEntry& entry)
{
    if (text == "<DIR>") {
        entry.isDir = true;
        entry.size = 0;
    } else {
        ReadInt64(text, entry.size);
    }
}

}  // namespace

// Date, clock, "<DIR>" or size, name.
bool HasIisShape(const std::vector<Token>& tokens)
{
    return tokens.size() >= 4 && tokens[0].begin == 0 && IsDateToken(tokens[0].text)
           && IsClockToken(tokens[1].text) && IsSizeOrDir(tokens[2].text);
}

// Name, "<DIR>" or size, date, clock; the name may hold blanks.
bool HasDosShape(const std::vector<Token>& tokens)
{
    const size_t n = tokens.size();
    return n >= 4 && tokens[0].begin == 0 && IsClockToken(tokens[n - 1].text)
           && IsDateToken(tokens[n - 2].text) && IsSizeOrDir(tokens[n - 3].text);
}

ListingEntry ParseDos(std::string_view line, const std::vector<Token>& tokens)
{
    if (!HasDosShape(tokens))
        return ParseDosByPosition(line, tokens);
    const size_t n = tokens.size();
    ListingEntry entry;
    entry.name = LastPathComponent(JoinDosName(TrimRight(line.substr(0, tokens[n - 3].begin))));
    ReadSizeOrDir(tokens[n - 3].text, entry);
    ReadDashDate(tokens[n - 2].text, entry.month, entry.day, entry.year);
    ReadClock(tokens[n - 1].text, entry.hour, entry.minute);
    return entry;
}

ListingEntry ParseIis(std::string_view line, const std::vector<Token>& tokens)
{
    if (!HasIisShape(tokens))
        return ParseDosByPosition(line, tokens);
    ListingEntry entry;
    ReadDashDate(tokens[0].text, entry.month, entry.day, entry.year);
    ReadClock(tokens[1].text, entry.hour, entry.minute);
    ReadSizeOrDir(tokens[2].text, entry);
    entry.name = LastPathComponent(line.substr(tokens[3].begin));
    return entry;
}

}  // namespace listing_detail
