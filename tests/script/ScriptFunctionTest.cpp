// The $ functions run as script files: dates in both patterns, today and
// now, String and Number, a local file's date, and the syntax messages.
#include "ScriptServerTest.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <utime.h>

namespace scripttest {
namespace {

class FunctionTest : public ScriptServerTest {
protected:
    // Runs `if <condition>` after a login; true when the THEN part ran.
    bool Holds(const std::string& condition)
    {
        echo.client.clear();
        EXPECT_EQ(Run("LOGIN\necho on\nif " + condition + "\necho on\nelse\necho on\nendif\n"), 0) << condition;
        return ClientText().find("--> Perform THEN") != std::string::npos;
    }
};

TEST_F(FunctionTest, DatesInBothPatterns)
{
    EXPECT_TRUE(Holds("$ Date ( \"01022003\" ) = $ Date ( \"01/02/2003\" , \"mm/dd/yyyy\" )"));
    EXPECT_FALSE(Holds("$ Date ( \"01032003\" ) = $ Date ( \"01/02/2003\" , \"mm/dd/yyyy\" )"));
    EXPECT_TRUE(Holds("$ Date ( \"01022003\" ) < $ Date ( \"2003-01-02 00:00:01\" , 'yyyy-mm-dd HH:MM:SS' )"));
    EXPECT_TRUE(Holds("$ Date ( ) >= $ Today ( )"));
}

TEST_F(FunctionTest, TodayIsBeforeNow)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    if (local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec < 2)
        GTEST_SKIP() << "the first second of the day";
    EXPECT_TRUE(Holds("$ Today ( ) < $ Now ( )"));
    EXPECT_FALSE(Holds("$ Now ( ) < $ Today ( )"));
    // Functions are statements: without a login there is no session.
    EXPECT_EQ(Run("echo on\nif $ Today ( ) < $ Now ( )\nendif\n"), -99);
    EXPECT_NE(ClientText().find("C> Session not login yet, check your syntax.\r\n"), std::string::npos);
}

// The inner function's value is converted; the outer ")" is not written.
TEST_F(FunctionTest, StringAndNumber)
{
    EXPECT_TRUE(Holds("$ String ( $ Number ( 42 ) = \"42\""));
    EXPECT_TRUE(Holds("$ Number ( $ String ( \"0042x\" ) = 42"));
    EXPECT_TRUE(Holds("$ String ( abc ) = \"abc\""));
    EXPECT_TRUE(Holds("$ File ( \"x.txt\" ) = \"x.txt\""));
    // A written outer ")" stands where the operator is looked for and ends
    // the condition: only the truth of "42" counts.
    EXPECT_TRUE(Holds("$ String ( $ Number ( 42 ) ) = \"0\""));
}

TEST_F(FunctionTest, DateOfALocalFile)
{
    WriteFile(Local("old.txt"), "x");
    std::tm fields{};
    fields.tm_year = 2003 - 1900;
    fields.tm_mon = 0;
    fields.tm_mday = 2;
    fields.tm_hour = 10;
    fields.tm_isdst = -1;
    const utimbuf times{std::mktime(&fields), std::mktime(&fields)};
    ASSERT_EQ(utime(Local("old.txt").c_str(), &times), 0);
    EXPECT_TRUE(Holds("$ Date ( $ File ( \"LOCAL/old.txt\" ) > $ Date ( \"01022003\" )"));
    EXPECT_TRUE(Holds("$ Date ( $ File ( \"LOCAL/old.txt\" ) < $ Date ( \"01032003\" )"));
    // A value that is no text stays as the inner function left it.
    EXPECT_TRUE(Holds("$ Date ( $ Number ( 5 ) = 5"));

    EXPECT_EQ(Run("logfile \"LOCAL/run.log\"\nLOGIN\n$ Date ( $ File ( \"LOCAL/none.txt\" )\n"), -1);
    EXPECT_EQ(Run("logfile\n"), 0);
    const std::string log = ReadFile(Local("run.log"));
    EXPECT_NE(log.find("File \"" + Local("none.txt").string() + "\" does not exists\n"), std::string::npos) << log;
}

TEST_F(FunctionTest, SyntaxMessages)
{
    struct Case {
        const char* line;
        int rc;
        const char* message;  // empty: none
    };
    const Case cases[] = {
        {"$ File x", -999, "File: syntax error. Expecting \"(\", found \"x\"."},
        {"$ File ( )", -999, "File(: syntax error. Expecting \"<string>\", found \")\"."},
        {"$ File ( a b", -999, "a: syntax error. Expecting \")\", found \"b\"."},
        {"$ String 1", -999, "String: syntax error. Expecting \"(\", found \"1\"."},
        {"$ String ( 1 )", -999, "... (: syntax error. Expecting \"<string>\", found \"1\"."},
        {"$ String ( a", -999, "a: syntax error. Expecting \")\", found \"\"."},
        {"$ Number", -999, "Number: syntax error. Expecting \"(\", found \"\"."},
        {"$ Number ( x )", -999, "... (: syntax error. Expecting \"<number>\", found \"x\"."},
        {"$ Number ( 5", -999, "5: syntax error. Expecting \")\", found \"\"."},
        {"$ Today )", -999, "Today: syntax error. Expecting \"(\", found \")\"."},
        {"$ Today ( x", -999, "(: syntax error. Expecting \")\", found \"x\"."},
        {"$ Now x", -999, "Now: syntax error. Expecting \"(\", found \"x\"."},
        {"$ Now ( x", -999, "Now(: syntax error. Expecting \")\", found \"x\"."},
        {"$ Date x", -999, "Date: syntax error. Expecting \"... (\", found \"x\"."},
        {"$ Date ( 5", -999, "... (: syntax error. Expecting \")\", found \"5\"."},
        {"$ Date ( a b", -999, "a: syntax error. Expecting \"[, | )]\", found \"b\"."},
        {"$ Date ( a ,", -999, "... ,: syntax error. Expecting \"<string>\", found \"\"."},
        {"$ Date ( a , b c", -999, "b: syntax error. Expecting \")\", found \"c\"."},
        {"$ Date ( $ Foo", -999, "... $: syntax error. Expecting \"<$file>\", found \"Foo\"."},
        {"$ Foo ( )", -99, ""},
        // Running operating-system commands is no function of this language.
        {"$ Exec ( \"touch LOCAL/made\" )", -99, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        echo.client.clear();
        echo.server.clear();
        EXPECT_EQ(Run(std::string("LOGIN\necho on\n") + c.line + "\n"), c.rc);
        const std::string expected = *c.message != '\0' ? "C> " + std::string(c.message) + "\r\n" : "";
        const std::vector<std::string> client = {Script("C> " + std::string(c.line) + "\r\n")};
        std::vector<std::string> all = client;
        if (!expected.empty())
            all.push_back(expected);
        EXPECT_EQ(echo.client, all);
        EXPECT_TRUE(echo.server.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(Local("made")));
}

}  // namespace
}  // namespace scripttest
