// The listing rules on lines as servers send them, grouped by server family.
// Each row: the raw line, the server type of the session, and the entry.
#include "ListingClock.h"
#include "ListingRules.h"
#include "SessionTypes.h"

#include <gtest/gtest.h>

#include <ctime>
#include <vector>

namespace {

struct Row {
    const char* line;
    int osType;
    ListingRule rule;
    const char* name;
    bool isDir;
    std::int64_t size;
    int year, month, day, hour, minute;
    bool timeOfDay;
};

void CheckRows(const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const ListingRule rule = ChooseListingRule(row.line, row.osType);
        EXPECT_EQ(rule, row.rule);
        const ListingEntry entry = ParseListingLine(row.line, rule);
        EXPECT_EQ(entry.name, row.name);
        EXPECT_EQ(entry.isDir, row.isDir);
        EXPECT_EQ(entry.size, row.size);
        EXPECT_EQ(entry.year, row.year);
        EXPECT_EQ(entry.month, row.month);
        EXPECT_EQ(entry.day, row.day);
        EXPECT_EQ(entry.hour, row.hour);
        EXPECT_EQ(entry.minute, row.minute);
        EXPECT_EQ(entry.timeOfDay, row.timeOfDay);
    }
}

constexpr ListingRule U = ListingRule::Unix;
constexpr ListingRule D = ListingRule::Dos;
constexpr ListingRule I = ListingRule::Iis;

std::time_t Local(int year, int month, int day, int hour, int minute)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

}  // namespace

TEST(ListingRules, BasicUnixAndDosLines)
{
    CheckRows({
        {"drwxr-xr-x   2 owner    group         512 Mar  3 14:05 My Files", OsUnix, U, "My Files", true, 512, 0, 3, 3,
         14, 5, true},
        {"REPORT        1234  01-15-98  10:30", OsDos, D, "REPORT", false, 1234, 1998, 1, 15, 10, 30, false},
        {"DOCS          <DIR>     01-15-98  10:30", OsDos, D, "DOCS", true, 0, 1998, 1, 15, 10, 30, false},
        // DOS servers list "." and ".." as folders; they are kept.
        {".             <DIR>     01-15-98  10:30", OsDos, D, ".", true, 0, 1998, 1, 15, 10, 30, false},
        {"..            <DIR>     01-15-98  10:30", OsDos, D, "..", true, 0, 1998, 1, 15, 10, 30, false},
    });
}

TEST(ListingRules, Vsftpd)
{
    CheckRows({
        // Numeric owner and group, zero-padded day.
        {"drwxr-xr-x    2 1000     1000         4096 Mar 03 14:05 My Files", OsUnix, U, "My Files", true, 4096, 0, 3,
         3, 14, 5, true},
        {"-rw-r--r--    1 0        0        5368709120 Jan 15  2021 huge.iso", OsUnix, U, "huge.iso", false,
         5368709120LL, 2021, 1, 15, 0, 0, false},
        // The entry is the link itself, not its target.
        {"lrwxrwxrwx    1 0        0              11 Feb 29  2020 latest -> releases/1.2", OsUnix, U, "latest", false,
         11, 2020, 2, 29, 0, 0, false},
        {"-rw-r--r--    1 ftp      ftp          1234 Dec 31 23:59 r\xC3\xA9sum\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC.pdf", OsUnix,
         U, "r\xC3\xA9sum\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC.pdf", false, 1234, 0, 12, 31, 23, 59, true},
    });
}

TEST(ListingRules, PureFtpd)
{
    CheckRows({
        {"drwxr-xr-x    4 1001       1001             4096 Nov  2 09:15 public_html", OsUnix, U, "public_html", true,
         4096, 0, 11, 2, 9, 15, true},
        {"-rw-r--r--    1 alice      users         1048576 Jun  9  2019 backup 2019.tar.gz", OsUnix, U,
         "backup 2019.tar.gz", false, 1048576, 2019, 6, 9, 0, 0, false},
        // A device: the size column holds "major, minor".
        {"crw-rw-rw-    1 0          0            1,   3 Jan  1  1970 null", OsUnix, U, "null", false, 0, 1970, 1, 1,
         0, 0, false},
    });
}

TEST(ListingRules, Proftpd)
{
    CheckRows({
        // Past what a 32-bit size holds.
        {"-rw-r--r--   1 ftp      ftp      2147483648 Jul  4 12:00 two gigs.bin", OsUnix, U, "two gigs.bin", false,
         2147483648LL, 0, 7, 4, 12, 0, true},
        // Hidden folders are folders.
        {"drwxr-x---   2 www-data www-data     4096 Aug 17  2018 .git", OsUnix, U, ".git", true, 4096, 2018, 8, 17, 0, 0,
         false},
        // Only link lines are cut at the arrow.
        {"-rw-r--r--   1 ftp      ftp             0 Oct 10 10:10 file -> not a link", OsUnix, U, "file -> not a link",
         false, 0, 0, 10, 10, 10, 10, true},
        {"-rw-r--r--+  1 ftp      ftp            10 Mar  3 14:05 acl.txt", OsUnix, U, "acl.txt", false, 10, 0, 3, 3, 14,
         5, true},
    });
}

TEST(ListingRules, Pyftpdlib)
{
    CheckRows({
        {"-rw-r--r--   1 tavo     tavo           14 Mar 04 21:05 a b.txt", OsUnix, U, "a b.txt", false, 14, 0, 3, 4,
         21, 5, true},
        {"drwxr-xr-x   2 tavo     tavo         4096 Jan 15  1998 DOCS", OsUnix, U, "DOCS", true, 4096, 1998, 1, 15, 0,
         0, false},
        {"prw-r--r--   1 tavo     tavo            0 Feb 01 08:00 fifo", OsUnix, U, "fifo", false, 0, 0, 2, 1, 8, 0,
         true},
        {"lrwxrwxrwx   1 tavo     tavo           13 Feb 01 08:00 up -> /srv/ftp/pub", OsUnix, U, "up", false, 13, 0, 2,
         1, 8, 0, true},
        {"-rw-r--r--   1 tavo     tavo            3 Feb 01 08:00 two  blanks", OsUnix, U, "two  blanks", false, 3, 0,
         2, 1, 8, 0, true},
    });
}

TEST(ListingRules, OwnerOrGroupMissing)
{
    CheckRows({
        {"-rw-r--r--   1 ftp        1234 Mar  3 14:05 nogroup.txt", OsUnix, U, "nogroup.txt", false, 1234, 0, 3, 3,
         14, 5, true},
        {"-rw-r--r--  1 owner  512 Sep 30  1999 no group either", OsUnix, U, "no group either", false, 512, 1999, 9,
         30, 0, 0, false},
        {"drwxr-xr-x   3  4096 May  5  2001 only links", OsUnix, U, "only links", true, 4096, 2001, 5, 5, 0, 0,
         false},
    });
}

TEST(ListingRules, NamesStayInsideTheListedFolder)
{
    CheckRows({
        {"-rw-r--r-- 1 u g 123 Mar  3 14:05 /pub/incoming/deep.txt", OsUnix, U, "deep.txt", false, 123, 0, 3, 3, 14,
         5, true},
        {"-rw-r--r-- 1 u g 5 Mar  3 14:05 ../../etc/passwd", OsUnix, U, "passwd", false, 5, 0, 3, 3, 14, 5, true},
        {"-rw-r--r-- 1 u g 5 Mar  3 14:05 /etc", OsUnix, U, "etc", false, 5, 0, 3, 3, 14, 5, true},
        {"-rw-r--r-- 1 u g 5 Mar  3 14:05 ..\\..\\win.ini", OsUnix, U, "win.ini", false, 5, 0, 3, 3, 14, 5, true},
        {"drwxr-xr-x 2 u g 4096 Mar  3 14:05 sub/..", OsUnix, U, "..", false, 4096, 0, 3, 3, 14, 5, true},
        {"01-01-21  01:00AM                 5 ..\\evil.txt", OsNt, I, "evil.txt", false, 5, 2021, 1, 1, 1, 0, false},
        {"..\\UP          <DIR>     01-15-98  10:30", OsDos, D, "UP", true, 0, 1998, 1, 15, 10, 30, false},
        // Hostile values: a negative size, an absurd one.
        {"-rw-r--r-- 1 u g -5 Mar  3 14:05 negative", OsUnix, U, "negative", false, 0, 0, 3, 3, 14, 5, true},
        {"-rw-r--r-- 1 u g 99999999999999999999999 Mar  3 14:05 absurd", OsUnix, U, "absurd", false,
         9223372036854775807LL, 0, 3, 3, 14, 5, true},
    });
}

TEST(ListingRules, OwnerOrGroupLikeADate)
{
    CheckRows({
        // The first month-and-day in the line is the owner and group here;
        // the date stands where "ls -l" puts it.
        {"-rw-r--r-- 1 dec 5 2024 Mar  3 14:05 name", OsUnix, U, "name", false, 2024, 0, 3, 3, 14, 5, true},
        {"-rw-r--r-- 1 may 7 1999 Jun  1  2000 x", OsUnix, U, "x", false, 1999, 2000, 6, 1, 0, 0, false},
        {"-rw-r--r-- 1 Mar 100 1234 Mar  3 14:05 name", OsUnix, U, "name", false, 1234, 0, 3, 3, 14, 5, true},
        // With the group missing, a name that looks like a date stays the name.
        {"-rw-r--r-- 1 ftp 1234 Mar  3 14:05 Jan 5 2020 x", OsUnix, U, "Jan 5 2020 x", false, 1234, 0, 3, 3, 14, 5,
         true},
    });
}

TEST(ListingRules, LinksSplitWhereTheSizeSaysTheTargetBegins)
{
    struct Case {
        const char* line;
        const char* name;
        const char* target;
        bool isLink;
    };
    const Case cases[] = {
        {"lrwxrwxrwx 1 u g 6 Mar  3 14:05 a -> b -> target", "a -> b", "target", true},
        {"lrwxrwxrwx 1 u g 6 Mar  3 14:05 up -> a -> b", "up", "a -> b", true},
        {"lrwxrwxrwx 1 0 0 12 Feb 29  2020 latest -> releases/1.2", "latest", "releases/1.2", true},
        {"lrwxrwxrwx 1 u g 3 Mar  3 14:05 /pub/ln -> abc", "ln", "abc", true},
        // A size that is not the target's length: the first arrow.
        {"lrwxrwxrwx 1 u g 99 Mar  3 14:05 a -> b -> c", "a", "b -> c", true},
        {"lrwxrwxrwx 1 u g 0 Mar  3 14:05 a -> b", "a", "b", true},
        // No readable date: fields by position, the same split.
        {"lrwxrwxrwx 1 u g 6 Foo 3 14:05 a -> b -> target", "a -> b", "target", true},
        {"-rw-r--r-- 1 u g 6 Mar  3 14:05 a -> target", "a -> target", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ListingEntry entry = ParseUnixLine(c.line);
        EXPECT_EQ(entry.name, c.name);
        EXPECT_EQ(entry.linkTarget, c.target);
        EXPECT_EQ(entry.isLink, c.isLink);
        EXPECT_FALSE(entry.isDir);
    }
}

TEST(ListingRules, NameWithANulNamesNothing)
{
    const std::string line("-rw-r--r-- 1 u g 5 Mar  3 14:05 victim\0.txt", 43);
    EXPECT_EQ(ParseUnixLine(line).name, "");
    EXPECT_EQ(ParseUnixLine(line).size, 5);
}

TEST(ListingRules, OldDosStyle)
{
    CheckRows({
        // 8.3 names show base and extension apart.
        {"README   TXT      1234  01-15-98  10:30", OsDos, D, "README.TXT", false, 1234, 1998, 1, 15, 10, 30, false},
        {"a long name.txt          7  03-04-21  21:05", OsDos, D, "a long name.txt", false, 7, 2021, 3, 4, 21, 5,
         false},
        {"AUTOEXEC BAT       512  12-31-99  11:59p", OsDos, D, "AUTOEXEC.BAT", false, 512, 1999, 12, 31, 23, 59,
         false},
        {"BIG      ISO 5368709120  03-04-21  21:05", OsDos, D, "BIG.ISO", false, 5368709120LL, 2021, 3, 4, 21, 5,
         false},
        // No recognisable layout: the first word is the name.
        {"WEIRD 12 xx yy", OsDos, D, "WEIRD", false, 12, 0, 0, 0, 0, 0, false},
    });
}

TEST(ListingRules, IisStyle)
{
    CheckRows({
        {"01-15-98  10:30AM       <DIR>          DOCS", OsNt, I, "DOCS", true, 0, 1998, 1, 15, 10, 30, false},
        {"03-04-2021  09:05PM           5368709120 huge file.iso", OsNt, I, "huge file.iso", false, 5368709120LL, 2021,
         3, 4, 21, 5, false},
        {"12-01-2020  12:00AM                  100 midnight.txt", OsNt, I, "midnight.txt", false, 100, 2020, 12, 1, 0,
         0, false},
        {"12-01-2020  12:30PM                  100 noon.txt", OsNt, I, "noon.txt", false, 100, 2020, 12, 1, 12, 30,
         false},
        {"06-30-2019  14:07       <DIR>          24h clock", OsNt, I, "24h clock", true, 0, 2019, 6, 30, 14, 7, false},
    });
}

TEST(ListingRules, RuleFollowsTheShapeOfTheLine)
{
    struct Case {
        const char* line;
        int osType;
        ListingRule rule;
    };
    const char* iis = "03-04-2021  09:05PM           5368709120 huge file.iso";
    const char* unix = "-rw-r--r--   1 tavo     tavo           14 Mar 04 21:05 a b.txt";
    const char* dos = "README   TXT      1234  01-15-98  10:30";
    const char* neither = "something odd";
    const std::vector<Case> cases = {
        // NT servers send the date-first style by default, and the session
        // type often says Unix for them (their folders hold "/").
        {iis, OsUnknown, I}, {iis, OsUnix, I}, {iis, OsDos, I}, {iis, OsNt, I}, {iis, OsNtUnix, I},
        {unix, OsUnknown, U}, {unix, OsUnix, U}, {unix, OsDos, U}, {unix, OsNt, U}, {unix, OsNtUnix, U},
        {dos, OsUnknown, D}, {dos, OsUnix, D}, {dos, OsDos, D}, {dos, OsNt, D},
        {neither, OsUnknown, U}, {neither, OsUnix, U}, {neither, OsNt, U}, {neither, OsDos, D},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " / type " + std::to_string(c.osType));
        EXPECT_EQ(ChooseListingRule(c.line, c.osType), c.rule);
    }
}

TEST(ListingRules, SkippedLines)
{
    struct Case {
        std::string line;
        int osType;
        bool skipped;
    };
    const std::vector<Case> cases = {
        {"total 42", OsUnix, true},
        {"drwxr-xr-x   2 u g 4096 Mar  3 14:05 .", OsUnix, true},
        {"drwxr-xr-x   2 u g 4096 Mar  3 14:05 ..", OsUnknown, true},
        {"drwxr-xr-x   2 u g 4096 Mar  3 14:05 ...", OsUnix, false},
        {"drwxr-xr-x   2 u g 4096 Mar  3 14:05 .git", OsUnix, false},
        {"01-15-98  10:30AM       <DIR>          ..", OsNt, true},
        {" Volume in drive C is DISK", OsDos, true},
        {".             <DIR>     01-15-98  10:30", OsDos, false},
        {"total 42", OsDos, false},
        // Nameless entries: nothing could be done with them but act on the
        // folder itself.
        {"-rw-r--r-- 1 u g 5 Mar  3 14:05 ", OsUnix, true},
        {"drwxr-xr-x 2 u g 4096 Mar  3 14:05 sub/", OsUnix, true},
        {std::string("-rw-r--r-- 1 u g 5 Mar  3 14:05 a\0b", 35), OsUnix, true},
        {"01-15-98  10:30AM       <DIR>          pub\\", OsNt, true},
        {"SUB\\         <DIR>     01-15-98  10:30", OsDos, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ListingEntry entry = ParseListingLine(c.line, ChooseListingRule(c.line, c.osType));
        EXPECT_EQ(IsSkippedListingLine(c.line, c.osType, entry.name), c.skipped);
    }
}

TEST(ListingRules, UnixTimeOfDayTakesTheLastYearNotAhead)
{
    const std::time_t now = Local(2026, 6, 15, 12, 0);
    struct Case {
        const char* line;
        std::time_t expected;
    };
    const std::vector<Case> cases = {
        {"-rw-r--r-- 1 u g 1 Mar  3 14:05 past", Local(2026, 3, 3, 14, 5)},
        {"-rw-r--r-- 1 u g 1 Dec 24 10:00 ahead", Local(2025, 12, 24, 10, 0)},
        // Today counts as this year, even at an hour still to come.
        {"-rw-r--r-- 1 u g 1 Jun 15 23:00 today", Local(2026, 6, 15, 23, 0)},
        {"-rw-r--r-- 1 u g 1 Jun 16 00:30 tomorrow", Local(2025, 6, 16, 0, 30)},
        {"-rw-r--r-- 1 u g 1 Jan 15  1998 old", Local(1998, 1, 15, 0, 0)},
        // A month the rules do not know gives no time at all.
        {"-rw-r--r-- 1 u g 1 Foo  3 14:05 odd", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ListingEntry entry = ParseUnixLine(c.line);
        EXPECT_EQ(ListingEntryTime(entry, ListingRule::Unix, now), c.expected);
    }
}

TEST(ListingRules, DosTimes)
{
    const std::time_t now = Local(2026, 6, 15, 12, 0);
    struct Case {
        const char* line;
        ListingRule rule;
        std::time_t expected;
    };
    const std::vector<Case> cases = {
        {"REPORT        1234  01-15-98  10:30", D, Local(1998, 1, 15, 10, 30)},
        {"REPORT        1234  01-15-2050  10:30", D, Local(2050, 1, 15, 10, 30)},
        // Two-digit years: 51-99 are 19xx, the rest 20xx.
        {"REPORT        1234  03-04-21  21:05", D, Local(2021, 3, 4, 21, 5)},
        {"REPORT        1234  03-04-50  21:05", D, Local(2050, 3, 4, 21, 5)},
        {"REPORT        1234  03-04-51  21:05", D, Local(1951, 3, 4, 21, 5)},
        // A date without a time is midnight; no date at all is "now".
        {"NOTIME 1234 01-15-98", D, Local(1998, 1, 15, 0, 0)},
        {"NODATE", D, now},
        {"BADDATE 1234 13-45-98 10:30", D, 0},
        {"03-04-2021  09:05PM           5368709120 huge file.iso", I, Local(2021, 3, 4, 21, 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ListingEntryTime(ParseListingLine(c.line, c.rule), c.rule, now), c.expected);
    }
}
