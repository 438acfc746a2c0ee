// site and quote send the rest of the line as written.
#include "ScriptServerTest.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace scripttest {
namespace {

using RawCommandTest = ScriptServerTest;

TEST_F(RawCommandTest, TheRestOfTheLineIsSentAsWritten)
{
    WriteFile(Remote("a b.txt"), "x");
    const size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\nsite CHMOD 600 a b.txt\nquote   MKD  \"odd  name\"\n"), 0);
    const std::vector<std::string> work = WorkSince(mark);
    EXPECT_NE(std::find(work.begin(), work.end(), "SITE CHMOD 600 a b.txt"), work.end());
    EXPECT_NE(std::find(work.begin(), work.end(), "MKD  \"odd  name\""), work.end());
}

TEST_F(RawCommandTest, QuoteEchoesTheReplyAndPassesFailuresOn)
{
    EXPECT_EQ(Run("echo on\nLOGIN\nquote SYST\n"), 0);
    const size_t last = echo.server.size();
    ASSERT_GE(last, 2u);
    EXPECT_EQ(echo.server[last - 2].rfind("215 ", 0), 0u) << echo.server[last - 2];  // the reply as is
    EXPECT_EQ(echo.server[last - 1].rfind("S> 215 ", 0), 0u) << echo.server[last - 1];

    echo.server.clear();
    EXPECT_EQ(Run("echo on\nLOGIN\nquote FROB now\n"), 500);
    EXPECT_EQ(echo.server.back().rfind("S> 500 ", 0), 0u) << echo.server.back();
    EXPECT_EQ(Run("LOGIN\nsite FROB\n"), 500);
}

TEST_F(RawCommandTest, NothingToSendIsASyntaxError)
{
    for (const char* line : {"site", "quote   "}) {
        SCOPED_TRACE(line);
        echo.client.clear();
        const size_t mark = Mark();
        EXPECT_EQ(Run(std::string("echo on\nLOGIN\n") + line + "\n"), -999);
        EXPECT_TRUE(WorkSince(mark).empty());
        const std::string keyword = line[0] == 's' ? "Site" : "Quote";
        EXPECT_NE(ClientText().find(keyword + ": syntax error. Expecting \"<string>\", found \"\"."), std::string::npos);
    }
}

}  // namespace
}  // namespace scripttest
