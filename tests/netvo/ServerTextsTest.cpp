// Texts from the server read by meaning, not by bytes: mget patterns match
// UTF-8 names character by character, and a time stamp must name a real
// moment.
#include "TestSupport.h"

#include <filesystem>

namespace {

using namespace netvotest;
namespace fs = std::filesystem;

TEST_F(FtpTest, MgetPatternTakesOneCharacterForQuestionMark)
{
    for (const char* name : {"gr\u00fcn.txt", "gr\u00fc\u00fcn.txt", "grn.txt", "gruen.txt"})
        WriteFile(Remote(name), name);
    ASSERT_EQ(ftp_mget(h, "gr?n.txt"), 0) << LastError();
    std::vector<std::string> got;
    for (const auto& entry : fs::directory_iterator(local.Path()))
        got.push_back(entry.path().filename().string());
    EXPECT_EQ(got, std::vector<std::string>{"gr\u00fcn.txt"});
    EXPECT_EQ(ReadFile(Local("gr\u00fcn.txt")), "gr\u00fcn.txt");
}

TEST_F(FtpTest, ImpossibleModificationTimeIsRefused)
{
    WriteFile(Remote("f.txt"), "x");
    char stamp[32] = "untouched";
    srv.AnswerMdtm("20241399250000");  // month 13, day 99, hour 25
    EXPECT_EQ(ftp_GetFileDateTime(h, "f.txt", stamp, sizeof stamp, ""), NETVO_E_PROTOCOL);
    EXPECT_STREQ(stamp, "");
    EXPECT_NE(LastError().find("MDTM f.txt"), std::string::npos) << LastError();
    srv.AnswerMdtm("20240229235960");  // a leap day and a leap second are real
    EXPECT_EQ(ftp_GetFileDateTime(h, "f.txt", stamp, sizeof stamp, ""), 0) << LastError();
    EXPECT_STREQ(stamp, "20240229235960");
}

}  // namespace
