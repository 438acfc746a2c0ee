// MLSD lines as servers send them, and lines no entry may come from.
#include "MlsdListing.h"
#include "UnixMode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::int64_t kFiveGiB = 5LL * 1024 * 1024 * 1024;
constexpr std::time_t k20210304120000 = 1614859200;  // UTC
constexpr int kNoMode = -1;

struct Row {
    std::string line;
    const char* name;
    bool isDir;
    bool isLink;
    const char* linkTarget;
    std::int64_t size;
    std::time_t modified;  // 0: no time
    int mode;              // kNoMode: none
};

}  // namespace

TEST(MlsdListingTest, LinesAsServersSendThem)
{
    const std::vector<Row> rows = {
        // Fact names and type values in any case; a folder's size is sizd.
        {"Type=DIR;Sizd=4096;Modify=20210304120000;Perm=flcdmpe; My Files", "My Files", true, false, "", 4096,
         k20210304120000, kNoMode},
        {"type=file;size=5368709120;modify=20210304120000.123;UNIX.mode=0644; a b;c.txt", "a b;c.txt", false,
         false, "", kFiveGiB, k20210304120000, 0644},
        {"modify=20210304120000;perm=r;size=5;type=file;unix.mode=0o755;unique=801g2; r\xC3\xA9sum\xC3\xA9.pdf\r",
         "r\xC3\xA9sum\xC3\xA9.pdf", false, false, "", 5, k20210304120000, 0755},
        {"type=OS.unix=slink:releases/1.2;size=12; latest", "latest", false, true, "releases/1.2", 12, 0,
         kNoMode},
        {"type=OS.unix=slink:;size=8;UNIX.mode=0777; hidden target", "hidden target", false, true, "", 8, 0, 0777},
        {"type=OS.unix=symlink;sizd=4096; up", "up", false, true, "", 0, 0, kNoMode},
        {"type=OS.unix=chr-1/3;UNIX.mode=04755; null", "null", false, false, "", 0, 0, 04755},
        {" bare name", "bare name", false, false, "", 0, 0, kNoMode},
        // Facts that cannot be read are left out; the entry stays.
        {"type=file;size=99999999999999999999;modify=20230229120000;UNIX.mode=0999; odd", "odd", false, false,
         "", 0, 0, kNoMode},
        {"type=file;size=-5;modify=2021030412; odd", "odd", false, false, "", 0, 0, kNoMode},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const std::optional<MlsdEntry> parsed = ParseMlsdLine(row.line);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->entry.name, row.name);
        EXPECT_EQ(parsed->entry.isDir, row.isDir);
        EXPECT_EQ(parsed->entry.isLink, row.isLink);
        EXPECT_EQ(parsed->entry.linkTarget, row.linkTarget);
        EXPECT_EQ(parsed->entry.size, row.size);
        EXPECT_EQ(parsed->hasTime, row.modified != 0);
        EXPECT_EQ(parsed->modified, row.modified);
        EXPECT_EQ(parsed->unixMode.has_value(), row.mode != kNoMode);
        if (parsed->unixMode && row.mode != kNoMode) {
            EXPECT_EQ(*parsed->unixMode, static_cast<unsigned>(row.mode));
        }
    }
}

TEST(MlsdListingTest, LinesThatNameNoEntry)
{
    const std::vector<std::string> lines = {
        // The folder itself and its parent.
        "type=cdir;modify=20210304120000; /pub",
        "Type=PDir;modify=20210304120000; ..",
        // No name, or one that leads out of the folder.
        "type=file;size=5;",
        "type=file;size=5; ",
        "type=file; .",
        "type=file; ..",
        "type=file; ../etc/passwd",
        "type=file; a/b",
        "type=file; /etc/passwd",
        "type=file; ..\\..\\boot.ini",
        std::string("type=file; a\0b", 14),
        // Malformed facts.
        "type=file;oops;size=5; x",
        "=file; x",
        "",
    };
    for (const std::string& line : lines)
        EXPECT_FALSE(ParseMlsdLine(line).has_value()) << line;
}

// The permissions page reads the mode of whatever line the listing gave.
TEST(MlsdListingTest, PermissionsFromEitherKindOfLine)
{
    struct Case {
        const char* line;
        int mode;
    };
    const std::vector<Case> cases = {
        {"type=file;UNIX.mode=0640; a.txt", 0640},
        {"type=file;perm=adfrw; a.txt", kNoMode},  // no mode fact: nothing to edit
        {"-rwsr-x--x 1 owner group 5 Mar  4  2021 a.txt", 04751},
        {"-rw-r--r-- 1 owner group 5 Mar  4  2021 x=1; y", 0644},
        {"01-15-98  10:30AM       <DIR>          x=1; y", kNoMode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::optional<unsigned> mode = ParseUnixMode(c.line);
        ASSERT_EQ(mode.has_value(), c.mode != kNoMode);
        if (mode) {
            EXPECT_EQ(*mode, static_cast<unsigned>(c.mode));
        }
    }
}
