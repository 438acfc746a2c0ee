#include "ListingClock.h"

namespace {

// The fields are checked by the caller.
std::time_t MakeLocalTime(int year, int month, int day, int hour, int minute)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;  // let the system decide daylight saving
    const std::time_t t = std::mktime(&local);
    return t == static_cast<std::time_t>(-1) ? 0 : t;
}

}  // namespace

CListingClock::CListingClock(std::time_t now)
    : m_tNow(now)
{
    std::tm today{};
    localtime_r(&now, &today);
    m_nYear = today.tm_year + 1900;
}

std::time_t CListingClock::Local(int year, int month, int day, int hour, int minute)
{
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23
        || minute < 0 || minute > 59)
        return 0;
    const long long key = ((static_cast<long long>(year) * 16 + month) * 32 + day) * 32 + hour;
    Slot& slot = m_slots[static_cast<size_t>(key) % (sizeof m_slots / sizeof m_slots[0])];
    if (slot.key != key) {
        slot.key = key;
        slot.hourStart = MakeLocalTime(year, month, day, hour, 0);
    }
    return slot.hourStart == 0 ? 0 : slot.hourStart + minute * 60;
}

std::time_t ListingEntryTime(const ListingEntry& entry, ListingRule rule, CListingClock& clock)
{
    if (rule == ListingRule::Unix) {
        if (entry.month == 0 || entry.day == 0)
            return 0;  // no date that can be trusted
        int year = entry.year;
        if (entry.timeOfDay) {
            // A time of day means a date within the last months: this year,
            // unless that date still lies ahead.
            year = clock.CurrentYear();
            if (clock.Local(year, entry.month, entry.day, 0, 0) > clock.Now())
                --year;
        }
        return clock.Local(year, entry.month, entry.day, entry.timeOfDay ? entry.hour : 0,
                           entry.timeOfDay ? entry.minute : 0);
    }
    if (entry.year > 0 || entry.month > 0 || entry.day > 0)
        return clock.Local(entry.year, entry.month, entry.day, entry.hour, entry.minute);
    return clock.Now();
}

std::time_t ListingEntryTime(const ListingEntry& entry, ListingRule rule, std::time_t now)
{
    CListingClock clock(now);
    return ListingEntryTime(entry, rule, clock);
}
