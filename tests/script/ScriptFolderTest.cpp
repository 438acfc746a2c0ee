// Remote folder and file commands, and the local working folder.
#include "ScriptServerTest.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace scripttest {
namespace {

using FolderTest = ScriptServerTest;

TEST_F(FolderTest, FolderAndFileCommands)
{
    WriteFile(Remote("old.txt"), "o");
    WriteFile(Remote("gone.txt"), "g");
    EXPECT_EQ(Run("echo on\n"
                  "LOGIN\n"
                  "mkdir 'new dir'\n"
                  "cd new dir\n"
                  "pwd\n"
                  "mkdir inner\n"
                  "cdup\n"
                  "rmdir 'new dir/inner'\n"
                  "rename old.txt 'new dir/renamed.txt'\n"
                  "delete gone.txt\n"),
              0);
    EXPECT_TRUE(std::filesystem::is_directory(Remote("new dir")));
    EXPECT_FALSE(std::filesystem::exists(Remote("new dir/inner")));
    EXPECT_EQ(ReadFile(Remote("new dir/renamed.txt")), "o");
    EXPECT_FALSE(std::filesystem::exists(Remote("old.txt")));
    EXPECT_FALSE(std::filesystem::exists(Remote("gone.txt")));
    EXPECT_NE(std::find(echo.server.begin(), echo.server.end(), "S> /new dir\r\n"), echo.server.end());
}

// The rest of a cd line is the path as written: blanks without quotes, and
// quotes sent as part of it.
TEST_F(FolderTest, CdTakesTheWholeRestOfTheLine)
{
    std::filesystem::create_directories(Remote("a b"));
    const size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\ncd a b\ncd /\ncd \"a b\"\n"), 550);
    const std::vector<std::string> work = WorkSince(mark);
    EXPECT_NE(std::find(work.begin(), work.end(), "CWD a b"), work.end());
    EXPECT_NE(std::find(work.begin(), work.end(), "CWD \"a b\""), work.end());
}

TEST_F(FolderTest, FailuresPassTheServerCodeOn)
{
    EXPECT_EQ(Run("LOGIN\ndelete missing.txt\n"), 550);
    EXPECT_EQ(Run("LOGIN\nrmdir missing\n"), 550);
    EXPECT_EQ(Run("LOGIN\nrename missing.txt other.txt\n"), 550);
    EXPECT_EQ(Run("LOGIN\ncd /missing\n"), 550);
}

TEST_F(FolderTest, SyntaxErrorsSendNothing)
{
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"lcd", "Lcd: syntax error. Expecting \"<string>\", found \"\"."},
        {"mkdir", "Mkdir: syntax error. Expecting \"<string>\", found \"\"."},
        {"rmdir 12", "Rmdir: syntax error. Expecting \"<string>\", found \"12\"."},
        {"delete", "Delete: syntax error. Expecting \"<string>\", found \"\"."},
        {"rename a.txt", "Rename: syntax error. Expecting \"<string> <string>\", found \"\"."},
        {"cd", "Cd: syntax error. Expecting \"<string>\", found \"\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        echo.client.clear();
        const size_t mark = Mark();
        EXPECT_EQ(Run(std::string("echo on\nLOGIN\n") + c.line + "\n"), -999);
        EXPECT_TRUE(WorkSince(mark).empty());
        EXPECT_NE(ClientText().find(std::string("C> ") + c.message + "\r\n"), std::string::npos) << ClientText();
    }
}

// lcd moves the whole process, so the test puts it back.
TEST_F(FolderTest, LcdChangesWhereDownloadsLand)
{
    WriteFile(Remote("a.txt"), "a");
    const std::filesystem::path before = std::filesystem::current_path();
    const int rc = Run("LOGIN\nlcd \"LOCAL\"\nget a.txt\nlcd \"LOCAL/missing\"\n");
    const std::filesystem::path after = std::filesystem::current_path();
    std::filesystem::current_path(before);
    EXPECT_LT(rc, 0);  // the missing folder is a local failure
    EXPECT_EQ(after, local);
    EXPECT_EQ(ReadFile(Local("a.txt")), "a");
}

}  // namespace
}  // namespace scripttest
