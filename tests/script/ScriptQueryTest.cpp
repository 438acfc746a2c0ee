// exists, filesize, filedate and filedatetime: as statements with their
// echoes, and as condition operands.
#include "FixedZone.h"
#include "ScriptServerTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utime.h>

namespace scripttest {
namespace {

class QueryTest : public ScriptServerTest {
protected:
    QueryTest()
    {
        WriteFile(Remote("small.txt"), std::string(1234, 's'));
        WriteFile(Remote("empty.txt"), "");
    }

    bool Holds(const std::string& condition)
    {
        echo.client.clear();
        EXPECT_EQ(Run("LOGIN\necho on\nif " + condition + "\necho on\nelse\necho on\nendif\n"), 0) << condition;
        return ClientText().find("--> Perform THEN") != std::string::npos;
    }

    // Runs one statement after a login with echo on; its code.
    int Statement(const std::string& line)
    {
        echo.client.clear();
        echo.server.clear();
        return Run("LOGIN\necho on\n" + line + "\n");
    }

    bool ServerEchoed(const std::string& text) const
    {
        return std::find(echo.server.begin(), echo.server.end(), text) != echo.server.end();
    }
};

TEST_F(QueryTest, Exists)
{
    std::filesystem::create_directories(Remote("folder"));
    EXPECT_TRUE(Holds("exists small.txt"));
    EXPECT_TRUE(Holds("exists folder"));
    EXPECT_FALSE(Holds("exists missing.txt"));
    EXPECT_TRUE(Holds("not exists missing.txt"));
    EXPECT_EQ(Statement("exists missing.txt"), 0);
    EXPECT_EQ(Statement("exists"), -999);
    EXPECT_NE(ClientText().find("Exists: syntax error. Expecting \"<string>\", found \"\"."), std::string::npos);
}

// The size is echoed and compares as a 64-bit unsigned number: a file just
// over 4 GiB must not count as 100 bytes.
TEST_F(QueryTest, FilesizeIsUnsignedAndWide)
{
    EXPECT_EQ(Statement("filesize small.txt"), 0);
    EXPECT_TRUE(ServerEchoed("S> 1234\r\n")) << ServerText();
    EXPECT_TRUE(Holds("filesize small.txt > 1000"));
    EXPECT_FALSE(Holds("filesize small.txt > 1234"));
    EXPECT_TRUE(Holds("filesize small.txt = \"1234\""));

    WriteFile(Remote("huge.bin"), "");
    std::filesystem::resize_file(Remote("huge.bin"), 4294967396ULL);  // sparse: 4 GiB + 100
    EXPECT_EQ(Statement("filesize huge.bin"), 0);
    EXPECT_TRUE(ServerEchoed("S> 4294967396\r\n")) << ServerText();
    EXPECT_TRUE(Holds("filesize huge.bin > 1000"));
    EXPECT_TRUE(Holds("filesize huge.bin > \"4294967295\""));
    EXPECT_TRUE(Holds("filesize huge.bin < \"4294967397\""));
    EXPECT_TRUE(Holds("1000 < filesize huge.bin"));
}

// The library answers a failure with size 0, so an empty file fails like a
// missing one.
TEST_F(QueryTest, FilesizeFailures)
{
    EXPECT_EQ(Statement("filesize empty.txt"), -1);
    EXPECT_EQ(Statement("filesize missing.txt"), -1);
    EXPECT_EQ(Run("LOGIN\nif filesize missing.txt > 0\nendif\n"), -1);
    EXPECT_EQ(Statement("filesize"), -999);
    EXPECT_NE(ClientText().find("GetFilesize: syntax error. Expecting \"<string>\", found \"\"."), std::string::npos);
}

// The server's UTC digits read as local time, in a zone five hours behind,
// compare equal to the same digits written in a script.
TEST_F(QueryTest, FileDatesAreTheServersDigits)
{
    FixedZone zone("XST5");
    const utimbuf times{1614891906, 1614891906};  // 2021-03-04 21:05:06 UTC
    ASSERT_EQ(utime(Remote("small.txt").c_str(), &times), 0);

    EXPECT_EQ(Statement("filedatetime small.txt"), 0);
    EXPECT_TRUE(ServerEchoed("S> 03/04/2021 21:05:06 GMT\r\n")) << ServerText();
    EXPECT_EQ(Statement("filedate small.txt"), 0);
    EXPECT_TRUE(ServerEchoed("S> 03/04/2021 GMT\r\n")) << ServerText();
    EXPECT_TRUE(Holds("filedate small.txt = $ Date ( \"03042021\" )"));
    EXPECT_TRUE(Holds("filedatetime small.txt = $ Date ( \"2021-03-04 21:05:06\" , \"yyyy-mm-dd HH:MM:SS\" )"));
    // Local 16:05:06 here is 21:05:06 UTC; "gmt" turns it into those digits.
    EXPECT_TRUE(Holds("filedatetime small.txt = $ Date ( \"2021-03-04 16:05:06\" , \"yyyy-mm-dd HH:MM:SS gmt\" )"));
    EXPECT_TRUE(Holds("filedatetime small.txt < $ Now ( )"));
    EXPECT_EQ(Statement("filedatetime missing.txt"), -1);
    EXPECT_EQ(Statement("filedate"), -999);
    EXPECT_NE(ClientText().find("GetFileDateTime: syntax error. Expecting \"<string>\", found \"\"."),
              std::string::npos);
}

}  // namespace
}  // namespace scripttest
