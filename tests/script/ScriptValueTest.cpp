// Script values without a server: conversions between kinds, the typed
// comparison, dates read by patterns, and the server's file times.
#include "FixedZone.h"
#include "ScriptTime.h"
#include "ScriptTokens.h"
#include "ScriptValue.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using scripttest::FixedZone;

CScriptValue Integer(std::int32_t n)
{
    CScriptValue v;
    v.SetInteger(n);
    return v;
}

CScriptValue Text(const std::string& s)
{
    CScriptValue v;
    v.SetString(s);
    return v;
}

CScriptValue Unsigned(std::uint64_t n)
{
    CScriptValue v;
    v.SetUnsigned(n);
    return v;
}

CScriptValue Time(std::int64_t t)
{
    CScriptValue v;
    v.SetTime(t);
    return v;
}

CScriptValue Boolean(bool b)
{
    CScriptValue v;
    v.SetBoolean(b);
    return v;
}

TEST(ScriptValue, Conversions)
{
    FixedZone zone("XST5");
    const std::int64_t jan2 = script_time::FromLocalFields(2003, 1, 2, 0, 0, 0);
    struct Case {
        const char* name;
        CScriptValue value;
        std::int32_t integer;
        std::uint64_t unsignedValue;
        bool truth;
        const char* text;
    };
    const Case cases[] = {
        {"integer", Integer(-5), -5, static_cast<std::uint64_t>(-5LL), true, "-5"},
        {"zero", Integer(0), 0, 0, false, "0"},
        {"digits", Text("  42abc"), 42, 42, true, "  42abc"},
        {"signed text", Text("-7"), -7, static_cast<std::uint64_t>(-7LL), true, "-7"},
        {"no digits", Text("abc"), 0, 0, false, "abc"},
        {"empty text", Text(""), 0, 0, false, ""},
        {"text beyond 32 bits saturates", Text("5000000000"), 2147483647, 5000000000ULL, true, "5000000000"},
        {"size beyond 32 bits", Unsigned(5368709120ULL), 2147483647, 5368709120ULL, true, "5368709120"},
        {"time", Time(jan2), static_cast<std::int32_t>(jan2), static_cast<std::uint64_t>(jan2), true,
         "20030102000000"},
        {"true", Boolean(true), 1, 1, true, "TRUE"},
        {"false", Boolean(false), 0, 0, false, "FALSE"},
        {"none", CScriptValue(), 0, 0, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.value.ToInteger(), c.integer);
        EXPECT_EQ(c.value.ToUnsigned(), c.unsignedValue);
        EXPECT_EQ(c.value.ToBoolean(), c.truth);
        EXPECT_EQ(c.value.ToString(), c.text);
    }
    // A number turned into a time and back stays the same number.
    EXPECT_EQ(Time(Integer(1000).ToTime()).ToInteger(), 1000);
}

TEST(ScriptValue, CompareByTheLeftKind)
{
    struct Case {
        const char* name;
        CScriptValue left;
        std::int32_t op;
        CScriptValue right;
        bool result;
    };
    const Case cases[] = {
        {"integers", Integer(2), tok::Greater, Integer(10), false},
        {"texts compare as texts", Text("2"), tok::Greater, Text("10"), true},
        {"text left converts the integer", Text("10"), tok::Greater, Integer(9), false},
        {"integer left converts the text", Integer(10), tok::Greater, Text("9"), true},
        {"case matters", Text("abc"), tok::Equal, Text("ABC"), false},
        {"bytes above 127 sort last", Text("\xc3\xa9"), tok::Greater, Text("z"), true},
        {"sizes beyond 4 GiB do not wrap", Unsigned(4294967396ULL), tok::Greater, Integer(1000), true},
        {"sizes against a long text", Unsigned(4294967396ULL), tok::Less, Text("5000000000"), true},
        {"integer against a big size", Integer(1000), tok::Less, Unsigned(4294967396ULL), true},
        {"a negative integer is no small size", Unsigned(5), tok::Less, Integer(-1), true},
        {"times", Time(100), tok::LessEqual, Time(100), true},
        {"time against seconds", Time(100), tok::GreaterEqual, Integer(101), false},
        {"false is less than true", Boolean(false), tok::Less, Boolean(true), true},
        {"boolean against a number", Boolean(true), tok::Equal, Integer(7), true},
        {"not equal", Integer(3), tok::NotEqual, Integer(3), false},
        {"none satisfies equal", CScriptValue(), tok::Equal, Integer(1), true},
        {"none satisfies not equal", CScriptValue(), tok::NotEqual, Integer(1), true},
        {"no operator", Integer(1), tok::Not, Integer(1), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.left.Compare(c.op, c.right), c.result) << c.name;
}

TEST(ScriptDate, PatternsAndGmt)
{
    FixedZone zone("XST5");
    const std::int64_t jan2 = script_time::FromLocalFields(2003, 1, 2, 0, 0, 0);
    EXPECT_EQ(script_time::GetDate("01022003", "mmddyyyy"), jan2);
    EXPECT_EQ(script_time::GetDate("01/02/2003", "mm/dd/yyyy"), jan2);
    EXPECT_EQ(script_time::FormatLocal(script_time::GetDate("2003-01-02 13:14:15", "yyyy-mm-dd HH:MM:SS"),
                                       "%Y%m%d%H%M%S"),
              "20030102131415");
    // Missing month and day are the start of the period, not the day before.
    EXPECT_EQ(script_time::FormatLocal(script_time::GetDate("2003", "yyyy"), "%Y%m%d"), "20030101");
    // A text shorter than its pattern leaves the missing fields out.
    EXPECT_EQ(script_time::GetDate("0102", "mmddyyyy"), script_time::FromLocalFields(0, 1, 2, 0, 0, 0));
    // With "gmt" the local fields become those of UTC, five hours later here.
    for (const char* pattern : {"yyyy-mm-dd HH:MM gmt", "yyyy-mm-dd HH:MM GMT"}) {
        EXPECT_EQ(script_time::FormatLocal(script_time::GetDate("2003-01-02 13:14", pattern), "%Y%m%d%H%M%S"),
                  "20030102181400")
            << pattern;
    }
}

// The server's digits as filedatetime and filedate read them; a time that
// cannot be is -1, never a rolled-over date.
TEST(ScriptDate, ServerStampsThatCannotBeAreRefused)
{
    FixedZone zone("XST5");
    const std::pair<const char*, const char*> cases[] = {
        {"20210304210506", "20210304210506"}, {"20240229235959.123", "20240229235959"},
        {"20211231235960", "20220101000000"},  // a leap second
        {"20231301000000", ""}, {"20230001000000", ""}, {"20230199000000", ""}, {"20230431000000", ""},
        {"20230229000000", ""}, {"20230101240000", ""}, {"20230101236000", ""}, {"20230101235961", ""},
        {"2023010112", ""},     {"2023-1-1120000", ""},
    };
    for (const auto& [stamp, shown] : cases) {
        const std::int64_t time = script_time::FromServerStamp(stamp, true);
        const std::int64_t day = script_time::FromServerStamp(stamp, false);
        EXPECT_EQ(*shown == '\0' ? -1 : script_time::GetDate(shown, "yyyymmddHHMMSS"), time) << stamp;
        EXPECT_EQ(*shown == '\0' ? -1 : script_time::GetDate(std::string(stamp, 8), "yyyymmdd"), day) << stamp;
    }
}

TEST(ScriptDate, TodayIsLocalMidnight)
{
    FixedZone zone("XST5");
    const std::int64_t today = script_time::Today();
    EXPECT_EQ(script_time::FormatLocal(today, "%H%M%S"), "000000");
    EXPECT_LE(today, script_time::Now());
    EXPECT_GT(today + 24 * 3600, script_time::Now());
}

}  // namespace
