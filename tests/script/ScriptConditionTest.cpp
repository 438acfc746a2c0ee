// if / else / endif run as script files: which part runs, what a failing
// condition does, nesting, and the end of the file inside a block.
#include "ScriptServerTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace scripttest {
namespace {

class ConditionTest : public ScriptServerTest {
protected:
    ConditionTest()
    {
        for (const char* name : {"a", "b", "c", "d"})
            std::filesystem::create_directories(Remote(name));
    }

    // The folders the script changed to, in order: what ran.
    std::vector<std::string> FoldersSince(size_t mark) const
    {
        std::vector<std::string> folders;
        for (const std::string& command : CommandsSince(mark)) {
            if (command.rfind("CWD ", 0) == 0)
                folders.push_back(command.substr(4));
        }
        return folders;
    }

    bool Echoed(const std::string& text) const { return ClientText().find(text) != std::string::npos; }
};

using Folders = std::vector<std::string>;

// Conditions that need no server: numbers, texts, operators, not and
// parentheses.
TEST_F(ConditionTest, ConditionsOnNumbersAndTexts)
{
    struct Case {
        const char* condition;
        bool then;
    };
    const Case cases[] = {
        {"1", true},
        {"0", false},
        {"\"\"", false},
        {"\"abc\"", false},
        {"'7'", true},
        {"2 > 10", false},
        {"\"2\" > \"10\"", true},
        {"\"10\" > 9", false},
        {"10 > \"9\"", true},
        {"3 <= 3", true},
        {"4 >= 5", false},
        {"1 != 1", false},
        {"abc = \"abc\"", true},
        {"not 0", true},
        {"! 1", false},
        {"( 2 > 10 )", false},
        {"( 1 ) = 1", true},
        {"( ( 1 < 2 ) = ( 3 < 4 ) )", true},
        {"not ( 2 > 10 )", true},
        {"1 whatever follows", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition);
        echo.client.clear();
        EXPECT_EQ(Run(std::string("echo on\nif ") + c.condition + "\necho on\nelse\necho on\nendif\n"), 0);
        EXPECT_EQ(Echoed("--> Perform THEN"), c.then) << ClientText();
        EXPECT_EQ(Echoed("--> Perform ELSE"), !c.then) << ClientText();
        EXPECT_EQ(server.Commands().size(), 0u);
    }
}

// A condition that fails runs neither part; the run stops with its code.
TEST_F(ConditionTest, AFailingConditionRunsNoPart)
{
    struct Case {
        const char* condition;
        int rc;
        const char* message;
    };
    const Case cases[] = {
        {"exists a.txt", -99, "C> Session not login yet, check your syntax.\r\n"},
        {"( 1", -999, "C> (...: syntax error. Expecting \")\", found \"\".\r\n"},
        {"not", -999, "C> Not: syntax error. Expecting \"<Statement>\", found \"\".\r\n"},
        {"1 = get a.txt", -99, "C> Session not login yet, check your syntax.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition);
        echo.client.clear();
        const size_t mark = Mark();
        EXPECT_EQ(Run(std::string("echo on\nif ") + c.condition + "\nLOGIN\ncd /a\nendif\n"), c.rc);
        EXPECT_TRUE(Echoed(c.message)) << ClientText();
        EXPECT_FALSE(Echoed("--> Perform"));
        EXPECT_TRUE(CommandsSince(mark).empty());
    }
}

// With continue-on-error the lines after a failed condition run as ordinary
// lines, both parts, and "else" and "endif" are mere codes.
TEST_F(ConditionTest, AfterAFailedConditionBothPartsRunWithIgnoreOn)
{
    const size_t mark = Mark();
    EXPECT_EQ(Run("ignore on\nif exists a.txt\nLOGIN\ncd /a\nelse\ncd /b\nendif\ncd /c\n"), 0);
    EXPECT_EQ(FoldersSince(mark), (Folders{"/a", "/b", "/c"}));
}

TEST_F(ConditionTest, NestedBlocksInARunPart)
{
    const size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\n"
                  "if 1\n"
                  "  cd /a\n"
                  "  if 0\n"
                  "    cd /b\n"
                  "  else\n"
                  "    cd /c\n"
                  "    if 1\n"
                  "      cd /d\n"
                  "    endif\n"
                  "  endif\n"
                  "  cd /b\n"
                  "else\n"
                  "  cd /d\n"
                  "endif\n"
                  "cd /a\n"),
              0);
    EXPECT_EQ(FoldersSince(mark), (Folders{"/a", "/c", "/d", "/b", "/a"}));
}

// The skip walks do not count nesting: the ELSE search of the outer if
// stops at the inner else, whose part then runs; the inner endif ends the
// if, and the outer endif later stops the run as a stray one.
TEST_F(ConditionTest, TheElseSearchStopsAtAnInnerElse)
{
    const size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\n"
                  "if 0\n"
                  "  cd /a\n"
                  "  if 1\n"
                  "    cd /b\n"
                  "  else\n"
                  "    cd /c\n"
                  "  endif\n"
                  "  cd /d\n"
                  "endif\n"
                  "cd /a\n"),
              712);
    EXPECT_EQ(FoldersSince(mark), (Folders{"/c", "/d"}));
}

// A statement that fails inside a run part neither stops the run nor
// becomes the if's result.
TEST_F(ConditionTest, AFailingGetInsideThenGoesOn)
{
    const size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\nif 1\n  get missing.txt \"LOCAL/m.txt\"\n  cd /a\nendif\ncd /b\n"), 0);
    EXPECT_EQ(CountSince(mark, "RETR missing.txt"), 1);
    EXPECT_EQ(FoldersSince(mark), (Folders{"/a", "/b"}));
}

TEST_F(ConditionTest, TheEndOfTheFileInsideABlock)
{
    struct Case {
        const char* name;
        const char* script;
        int rc;
        Folders folders;
    };
    const Case cases[] = {
        {"THEN part", "LOGIN\nif 1\ncd /a\n", -999, {"/a"}},
        {"THEN part, empty", "LOGIN\nif 1\n", 0, {}},
        {"ELSE part", "LOGIN\nif 0\ncd /a\nelse\ncd /b\n", 0, {"/b"}},
        {"ELSE search", "LOGIN\nif 0\ncd /a\n", 0, {}},
        {"skip to endif", "LOGIN\nif 1\ncd /a\nelse\ncd /b\n", -99, {"/a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        echo.client.clear();
        const size_t mark = Mark();
        EXPECT_EQ(Run(std::string("echo on\n") + c.script), c.rc);
        EXPECT_EQ(FoldersSince(mark), c.folders);
        EXPECT_EQ(Echoed("C> If ...: syntax error. Expecting \"EndIf\", found \"<end-of-file>\".\r\n"), c.rc == -999);
    }
}

// The markers and lines the callbacks see while an if walks its block.
TEST_F(ConditionTest, EchoOfTheWalks)
{
    EXPECT_EQ(Run("echo on\nif 0\necho off\nelse\necho on\nendif\nif 1\necho on\nelse\necho off\nendif\n"), 0);
    const std::vector<std::string> expected = {
        "C> if 0\r\n",   "C> --> Perform ELSE\r\n", "C> echo on\r\n", "C> endif\r\n",
        "C> --> ENDIF\r\n", "C> if 1\r\n",          "C> --> Perform THEN\r\n", "C> echo on\r\n",
        "C> else\r\n",   "C> --> ENDIF\r\n",
    };
    EXPECT_EQ(echo.client, expected);
}

// With debug on, the trace shows how a condition was decided.
TEST_F(ConditionTest, TraceOfAComparison)
{
    EXPECT_EQ(Run("logfile \"LOCAL/trace.log\" clear\ndebug on\nif 2 > \"10\"\nendif\n"
                  "if ( abc < 'abd' )\nendif\ndebug off\nlogfile\n"),
              0);
    const std::string log = ReadFile(Local("trace.log"));
    for (const char* line : {"IfCondition: IsCompare (>)", "Compare.fresult: Begin", "Compare.int: Begin. 2 comp 10",
                             "Compare.int: End. rc = false", "Compare.fresult: End. cc = false",
                             "IfCondition: End. cc = 0", "ExecIf: If is false", "ExecCompare: IsCompare (<)",
                             "Compare.string: Begin. \"abc\" comp \"abd\"", "Compare.string: End. rc = true",
                             "ExecParenthesis: return 0"})
        EXPECT_NE(log.find(std::string("Trace-->") + line + "\r\n"), std::string::npos) << line;
}

// Hostile nesting ends with a syntax message instead of exhausting the stack.
TEST_F(ConditionTest, DeepNestingIsBounded)
{
    std::string parens = "if ";
    for (int i = 0; i < 5000; ++i)
        parens += "( ";
    EXPECT_EQ(Run(parens + "1\n"), -999);
    std::string nots = "if ";
    for (int i = 0; i < 5000; ++i)
        nots += "! ";
    EXPECT_EQ(Run(nots + "1\n"), -999);
    std::string blocks;
    for (int i = 0; i < 500; ++i)
        blocks += "if 1\n";
    EXPECT_EQ(Run(blocks), -999);
}

}  // namespace
}  // namespace scripttest
