// dir and ls: into a local file, and streamed to the server callback in
// chunks of at most 512 bytes, which also go to the log.
#include "ScriptServerTest.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace scripttest {
namespace {

class ListingTest : public ScriptServerTest {
protected:
    void SetUp() override
    {
        // Enough names for a listing of several chunks.
        std::filesystem::create_directories(Remote("docs"));
        for (int i = 0; i < 40; ++i)
            WriteFile(Remote("docs/report-number-" + std::to_string(i) + ".txt"), "x");
    }

    // The streamed listing: what the server callback received between "S>"
    // and the closing reply.
    std::vector<std::string> Chunks() const
    {
        std::vector<std::string> chunks;
        auto start = std::find(echo.server.begin(), echo.server.end(), "S>\r\n");
        for (auto it = start == echo.server.end() ? start : start + 1; it != echo.server.end(); ++it) {
            if (it->rfind("S> ", 0) == 0)
                break;
            chunks.push_back(*it);
        }
        return chunks;
    }
};

TEST_F(ListingTest, ListingsIntoALocalFile)
{
    EXPECT_EQ(Run("LOGIN\ndir docs \"LOCAL/long.txt\"\nls docs \"LOCAL/names.txt\"\n"), 0);
    const std::string names = ReadFile(Local("names.txt"));
    const std::string longList = ReadFile(Local("long.txt"));
    EXPECT_NE(names.find("report-number-7.txt\n"), std::string::npos) << names;
    EXPECT_EQ(std::count(names.begin(), names.end(), '\n'), 40);
    EXPECT_NE(longList.find("-rw"), std::string::npos) << longList;
    EXPECT_NE(longList.find("report-number-39.txt"), std::string::npos);
    EXPECT_EQ(Run("LOGIN\nls missing \"LOCAL/x.txt\"\n"), 550);
    EXPECT_EQ(Run("LOGIN\ndir missing\n"), 550);
}

TEST_F(ListingTest, StreamedListingsComeInChunks)
{
    EXPECT_EQ(Run("LOGIN\nls docs \"LOCAL/names.txt\"\necho on\nls docs\n"), 0);
    const std::vector<std::string> chunks = Chunks();
    ASSERT_GT(chunks.size(), 1u);
    std::string joined;
    for (const std::string& chunk : chunks) {
        EXPECT_LE(chunk.size(), 512u);
        joined += chunk;
    }
    EXPECT_EQ(joined, ReadFile(Local("names.txt")));
    EXPECT_EQ(echo.server.back().rfind("S> 226", 0), 0u) << echo.server.back();
}

TEST_F(ListingTest, EchoOffStillWritesTheChunksToTheLog)
{
    EXPECT_EQ(Run("LOGIN\nlogfile \"LOCAL/run.log\"\ndir docs\nlogfile\n"), 0);
    EXPECT_TRUE(echo.all.empty());
    const std::string log = ReadFile(Local("run.log"));
    for (int i = 0; i < 40; ++i)
        EXPECT_NE(log.find("report-number-" + std::to_string(i) + ".txt\n"), std::string::npos) << i;
    EXPECT_NE(log.find("C> dir docs\n"), std::string::npos);
}

// A NUL in a listing (a broken server) would end the C string a chunk goes
// out as and hide the rest of it; it shows as U+FFFD, in the callback and in
// the log alike. The test bed's names cannot hold a NUL: a scripted server
// sends the listing.
TEST_F(ListingTest, ANulDoesNotHideTheRestOfAListing)
{
    using namespace std::string_literals;
    netvotest::ScriptedServer scripted;
    scripted.nameList = "one\r\ntw\0o\r\n\0\0three\r\n"s;
    const std::string shown = "one\ntw\xEF\xBF\xBDo\n\xEF\xBF\xBD\xEF\xBF\xBDthree\n";
    EXPECT_EQ(Run("login " + scripted.HostPort() + " u p\nlogfile \"LOCAL/run.log\"\necho on\nls\nlogfile\n"), 0);
    std::string joined;
    for (const std::string& chunk : Chunks())
        joined += chunk;
    EXPECT_EQ(joined, shown);
    EXPECT_NE(ReadFile(Local("run.log")).find("C> ls\n" + shown), std::string::npos) << ReadFile(Local("run.log"));
}

}  // namespace
}  // namespace scripttest
