// The example script that copies a report between two servers, run as
// shipped against two test-bed servers.
#include "ScriptServerTest.h"

#include "Marlo32.h"

#include <gtest/gtest.h>

#include <string>

namespace scripttest {
namespace {

class ExampleTest : public ScriptServerTest {
protected:
    // The example with its ports and the test bed's user filled in, run from
    // the local folder, where it writes its log.
    int RunExample()
    {
        std::string text = ReadFile(std::filesystem::path(TAVO_EXAMPLES_DIR) / "mirror.txt");
        EXPECT_FALSE(text.empty());
        Replace(text, "@PORT1@", std::to_string(server.Port()));
        Replace(text, "@PORT2@", std::to_string(backup.Port()));
        Replace(text, " demo demo", " " + server.User() + " " + server.Password());
        const std::string path = folder.Write("mirror.txt", text);
        const std::filesystem::path before = std::filesystem::current_path();
        std::filesystem::current_path(local);
        const int rc = Marlo_Execute2(path.c_str(), 0, &EchoRecorder::Client, &EchoRecorder::Server);
        std::filesystem::current_path(before);
        return rc;
    }

    static void Replace(std::string& text, const std::string& from, const std::string& to)
    {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    }

    testbed::TestFtpServer backup;
};

TEST_F(ExampleTest, MirrorCopiesTheReport)
{
    const std::string report = Pattern(50000);
    std::filesystem::create_directories(Remote("reports"));
    WriteFile(Remote("reports/daily.csv"), report);
    EXPECT_EQ(RunExample(), 0) << ClientText();
    EXPECT_TRUE(ReadFile(backup.Root() / "archive" / "daily-copy.csv") == report);
    EXPECT_NE(ReadFile(Local("mirror.log")).find("S> 50000\r\n"), std::string::npos);

    // A second run finds the archive and copies again.
    std::filesystem::remove(backup.Root() / "archive" / "daily-copy.csv");
    EXPECT_EQ(RunExample(), 0);
    EXPECT_TRUE(ReadFile(backup.Root() / "archive" / "daily-copy.csv") == report);
}

TEST_F(ExampleTest, MirrorWithoutAReport)
{
    std::filesystem::create_directories(Remote("reports"));
    EXPECT_EQ(RunExample(), 0) << ClientText();
    EXPECT_TRUE(std::filesystem::is_directory(backup.Root() / "archive" / "no-report-today"));
    EXPECT_FALSE(std::filesystem::exists(backup.Root() / "archive" / "daily-copy.csv"));
}

}  // namespace
}  // namespace scripttest
