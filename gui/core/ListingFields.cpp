#include "ListingFields.h"

#include <cctype>
#include <limits>

namespace listing_detail {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Blank-separated words with their places in the line. Listings can be
// long, so the words point into the line instead of copying it.
std::vector<Token> Tokenize(std::string_view line)
{
    std::vector<Token> tokens;
    tokens.reserve(16);
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        const size_t begin = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        tokens.push_back({begin, i, line.substr(begin, i - begin)});
    }
    return tokens;
}

bool AllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (!IsDigit(c))
            return false;
    }
    return true;
}

// Leading decimal digits, as a scanf "%d" would take them (with a sign).
// Saturates instead of overflowing on absurd values from a hostile server.
bool ReadInt64(std::string_view text, std::int64_t& value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || !IsDigit(text[i]))
        return false;
    std::int64_t result = 0;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const int digit = text[i] - '0';
        result = result > (kMax - digit) / 10 ? kMax : result * 10 + digit;
    }
    value = negative ? -result : result;
    return true;
}

int ReadSmallInt(std::string_view text, int fallback)
{
    std::int64_t value = 0;
    if (!ReadInt64(text, value) || value < 0 || value > 1000000)
        return fallback;
    return static_cast<int>(value);
}

std::string_view TrimLeft(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return text.substr(i);
}

std::string_view TrimRight(std::string_view text)
{
    size_t n = text.size();
    while (n > 0 && IsBlank(text[n - 1]))
        --n;
    return text.substr(0, n);
}

// "MM-DD-YY" or "MM-DD-YYYY".
bool ReadDashDate(std::string_view text, int& month, int& day, int& year)
{
    const size_t first = text.find('-');
    const size_t second = first == std::string_view::npos ? first : text.find('-', first + 1);
    if (second == std::string_view::npos)
        return false;
    const std::string_view m = text.substr(0, first);
    const std::string_view d = text.substr(first + 1, second - first - 1);
    const std::string_view y = text.substr(second + 1);
    if (!AllDigits(m) || !AllDigits(d) || !AllDigits(y) || m.size() > 2 || d.size() > 2
        || (y.size() != 2 && y.size() != 4))
        return false;
    month = ReadSmallInt(m);
    day = ReadSmallInt(d);
    year = FullYear(ReadSmallInt(y), y.size());
    return true;
}

// "HH:MM", "HH:MM:SS", with an optional 12-hour suffix ("AM", "PM", and the
// "a"/"p" of old DOS listings).
bool ReadClock(std::string_view text, int& hour, int& minute)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2)
        return false;
    const std::string_view h = text.substr(0, colon);
    size_t i = colon + 1;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (!AllDigits(h) || digits != 2)
        return false;
    if (i < text.size() && text[i] == ':') {  // seconds
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
    }
    std::string suffix;
    for (; i < text.size(); ++i)
        suffix += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    hour = ReadSmallInt(h);
    minute = ReadSmallInt(text.substr(colon + 1, 2));
    if (suffix.empty())
        return true;
    // A 12-hour clock: 12 AM is midnight, 12 PM is noon.
    if (suffix == "am" || suffix == "a") {
        if (hour == 12)
            hour = 0;
        return true;
    }
    if (suffix == "pm" || suffix == "p") {
        if (hour < 12)
            hour += 12;
        return true;
    }
    return false;
}

bool IsDateToken(std::string_view text)
{
    int m = 0, d = 0, y = 0;
    return ReadDashDate(text, m, d, y);
}

bool IsClockToken(std::string_view text)
{
    int h = 0, m = 0;
    return ReadClock(text, h, m);
}

bool IsSizeOrDir(std::string_view text)
{
    return text == "<DIR>" || AllDigits(text);
}

}  // namespace listing_detail
