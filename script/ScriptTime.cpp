#include "ScriptTime.h"

#include "TraceLog.h"

#include <algorithm>
#include <cctype>
#include <ctime>

namespace script_time {

namespace {

// The decimal value of the digits of `text` at [at, at + width); a field
// that lies beyond the text is missing.
bool ReadField(const std::string& text, size_t at, size_t width, int& value)
{
    if (at >= text.size())
        return false;
    value = 0;
    const size_t end = std::min(text.size(), at + width);
    for (size_t i = at; i < end && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10 + (text[i] - '0');
    return true;
}

// The field that `marker` stands for in the pattern; `missing` when the
// pattern does not name it or the text is too short to hold it.
int Field(const std::string& text, const std::string& pattern, const char* marker, int missing)
{
    const std::string mark(marker);
    const size_t at = pattern.find(mark);
    int value = missing;
    if (at != std::string::npos && !ReadField(text, at, mark.size(), value))
        value = missing;
    return value;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// The decimal value of text[at, at + width); -1 unless all are digits.
int Digits(const std::string& text, size_t at, size_t width)
{
    if (text.size() < at + width)
        return -1;
    int value = 0;
    for (size_t i = at; i < at + width; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool ContainsGmt(const std::string& pattern)
{
    std::string lower(pattern);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.find("gmt") != std::string::npos;
}

}  // namespace

std::int64_t FromLocalFields(int year, int month, int day, int hour, int minute, int second)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&fields));
}

std::int64_t FromServerStamp(const std::string& stamp, bool withTime)
{
    const int year = Digits(stamp, 0, 4);
    const int month = Digits(stamp, 4, 2);
    const int day = Digits(stamp, 6, 2);
    const int hour = Digits(stamp, 8, 2);
    const int minute = Digits(stamp, 10, 2);
    const int second = Digits(stamp, 12, 2);
    if (year < 0 || minute < 0 || second < 0)  // also a stamp too short or not digits
        return -1;
    // 60 seconds is a leap second, which server times may name.
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour < 0 || hour > 23 ||
        minute > 59 || second > 60)
        return -1;
    if (!withTime)
        return FromLocalFields(year, month, day, 0, 0, 0);
    return FromLocalFields(year, month, day, hour, minute, second);
}

std::int64_t UtcFieldsAsLocal(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    if (gmtime_r(&t, &utc) == nullptr)
        return seconds;
    return FromLocalFields(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
}

std::string FormatLocal(std::int64_t seconds, const char* format)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return {};
    char buffer[128];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, length);
}

std::int64_t Now()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::int64_t Today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return FromLocalFields(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, 0, 0, 0);
}

// A pattern without a month or a day means the start of the period: a
// missing month or day taken as 0 would roll back into the month or year
// before ("yyyy" would give the 30th of November of the year before).
std::int64_t GetDate(const std::string& text, const std::string& pattern)
{
    g_TraceLog.Trace("GetDate: Begin");
    const int year = Field(text, pattern, "yyyy", 0);
    const int month = Field(text, pattern, "mm", 1);
    const int day = Field(text, pattern, "dd", 1);
    const int hour = Field(text, pattern, "HH", 0);
    const int minute = Field(text, pattern, "MM", 0);
    const int second = Field(text, pattern, "SS", 0);
    const std::int64_t local = FromLocalFields(year, month, day, hour, minute, second);
    return ContainsGmt(pattern) ? UtcFieldsAsLocal(local) : local;
}

}  // namespace script_time
