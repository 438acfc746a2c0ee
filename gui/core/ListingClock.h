// The local time of a listing entry. Listings give dates in the server's
// local time, often without a year; they are read as local times here.
#pragma once

#include "ListingRules.h"

#include <ctime>

// Local times for the entries of one listing. mktime consults the time zone
// on every call, which made it the slowest step of reading a long listing;
// entries share hours, so each hour's start is computed once.
class CListingClock {
public:
    explicit CListingClock(std::time_t now);
    std::time_t Now() const { return m_tNow; }
    int CurrentYear() const { return m_nYear; }
    // The local time, or 0 for a date or time that does not exist.
    std::time_t Local(int year, int month, int day, int hour, int minute);

private:
    struct Slot {
        long long key = -1;
        std::time_t hourStart = 0;
    };
    std::time_t m_tNow;
    int m_nYear;
    Slot m_slots[256];
};

// Seconds since the epoch of the entry's local time, or 0 when the line gave
// no usable date. The clock's "now" decides the year of Unix entries that
// show a time of day (the last year whose date is not ahead of today) and
// stands in for DOS lines without any date.
std::time_t ListingEntryTime(const ListingEntry& entry, ListingRule rule, CListingClock& clock);
std::time_t ListingEntryTime(const ListingEntry& entry, ListingRule rule, std::time_t now);
