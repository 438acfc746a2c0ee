// Local-time helpers of the script functions: building a time from calendar
// fields, formatting one, and reading a date text by a pattern. Times are
// seconds since 1970 in 64 bits.
#pragma once

#include <cstdint>
#include <string>

namespace script_time {

// The time whose local calendar fields are these (month 1 to 12); daylight
// saving is decided by the system. Out-of-range fields roll over as the C
// library's mktime rolls them.
std::int64_t FromLocalFields(int year, int month, int day, int hour, int minute, int second);
// A server's YYYYMMDDhhmmss time (at least 14 digits; more, a fraction, are
// ignored) with its fields taken as local ones, as FromLocalFields takes
// them; without `withTime` the start of that day. -1 when the text is no
// such time or names none that exists (month 13, 31 April, 25 o'clock):
// mktime would roll those over into a real but wrong date.
std::int64_t FromServerStamp(const std::string& stamp, bool withTime);
// The time whose local fields equal the UTC fields of `seconds`.
std::int64_t UtcFieldsAsLocal(std::int64_t seconds);
// strftime of the local time; empty when the time has no calendar form.
std::string FormatLocal(std::int64_t seconds, const char* format);
std::int64_t Now();
// Today at 00:00:00 local time.
std::int64_t Today();

// Reads `text` by `pattern`: "yyyy", "mm", "dd", "HH", "MM", "SS" mark where
// each field stands; a pattern that contains "gmt" (any case) reads the text
// as the server's UTC digits are read, so that both compare alike.
std::int64_t GetDate(const std::string& text, const std::string& pattern);

}  // namespace script_time
