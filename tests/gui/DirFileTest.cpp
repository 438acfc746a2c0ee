// CDirFile against the real test-bed server: what the entries of a listing
// read as in each listing style, the change into folders whose names hold
// blanks, and the temporary file.
#include "DirFile.h"

#include "FileListItem.h"
#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;
using guitest::WriteFile;

namespace {

struct Seen {
    bool isDir;
    bool isFile;
    std::int64_t size;
    std::time_t time;
    bool isLink;
    std::string linkTarget;
};

// Reads the listing into rows as the file list fills them.
std::map<std::string, Seen> ReadListing(CDirFile& listing)
{
    std::map<std::string, Seen> entries;
    std::string line;
    while (listing.GetNextDir(line)) {
        FileListItem row;
        row.m_nSession = 1;
        row.m_bIsDir = listing.IsDir() ? 1 : 0;
        row.m_strName = listing.GetFileName();
        row.m_nSize = listing.GetSize();
        row.m_tModified = listing.GetTime();
        row.m_strPath = line;
        entries[row.m_strName] = {row.m_bIsDir != 0, listing.IsFile(),  row.m_nSize,
                                  row.m_tModified,   listing.IsLink(), listing.GetLinkTarget()};
    }
    return entries;
}

void SetModified(const fs::path& path, std::time_t when)
{
    const auto since = std::chrono::system_clock::from_time_t(when);
    fs::last_write_time(path, fs::file_time_type::clock::from_sys(since));
}

std::time_t Utc(int year, int month, int day, int hour, int minute)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return timegm(&t);
}

std::tm LocalParts(std::time_t when)
{
    std::tm t{};
    localtime_r(&when, &t);
    return t;
}

constexpr std::int64_t kFiveGiB = 5LL * 1024 * 1024 * 1024;

class DirFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const fs::path root = m_server.Root();
        WriteFile(root / "a b.txt", "hello");
        WriteFile(root / "My Files" / "inner.txt", "inner");
        WriteFile(root / "releases" / "1.2" / "notes.txt", "n");
        fs::create_symlink("releases/1.2", root / "latest");
        WriteFile(root / "r\xC3\xA9sum\xC3\xA9.pdf", "pdf");
        WriteFile(root / ".hidden" / "x", "x");
        // A sparse file: listed at its full size, stored in no space.
        WriteFile(root / "huge file.iso", "");
        fs::resize_file(root / "huge file.iso", kFiveGiB);
        for (const char* name : {"a b.txt", "huge file.iso", "My Files", "releases", "latest"})
            SetModified(root / name, Utc(2021, 3, 4, 12, 0));
        // These cases read what the server formats; MLSD has its own below.
        if (!m_bMachine)
            m_server.RefuseMlsd(true);
        m_session = guitest::LoginSession(m_doc, m_server);
        ASSERT_NE(m_session, nullptr);
    }

    bool m_bMachine = false;
    testbed::TestFtpServer m_server;
    CTavoDoc m_doc;
    CSession* m_session = nullptr;
};

class MachineDirFileTest : public DirFileTest {
protected:
    MachineDirFileTest() { m_bMachine = true; }
};

}  // namespace

TEST_F(DirFileTest, UnixListingOfARealServer)
{
    fs::create_symlink("releases", m_server.Root() / "odd -> name");
    CDirFile listing(m_session->m_nFtpHandle);
    ASSERT_TRUE(listing.CreateDir("/"));
    const auto entries = ReadListing(listing);

    ASSERT_EQ(entries.count("a b.txt"), 1u);
    EXPECT_FALSE(entries.at("a b.txt").isDir);
    EXPECT_TRUE(entries.at("a b.txt").isFile);
    EXPECT_EQ(entries.at("a b.txt").size, 5);
    // Older than six months: the listing shows the year, and the time is
    // midnight of that day.
    const std::tm day = LocalParts(entries.at("a b.txt").time);
    EXPECT_EQ(day.tm_year + 1900, 2021);
    EXPECT_EQ(day.tm_mon + 1, 3);
    EXPECT_EQ(day.tm_mday, 4);
    EXPECT_EQ(day.tm_hour, 0);

    ASSERT_EQ(entries.count("huge file.iso"), 1u);
    EXPECT_EQ(entries.at("huge file.iso").size, kFiveGiB);
    ASSERT_EQ(entries.count("My Files"), 1u);
    EXPECT_TRUE(entries.at("My Files").isDir);
    EXPECT_FALSE(entries.at("My Files").isFile);
    ASSERT_EQ(entries.count(".hidden"), 1u);
    EXPECT_TRUE(entries.at(".hidden").isDir);
    // A symbolic link is listed under its own name, even one that holds
    // an arrow, and is no folder.
    for (const auto& [name, target] : {std::pair{"latest", "releases/1.2"}, std::pair{"odd -> name", "releases"}}) {
        ASSERT_EQ(entries.count(name), 1u) << name;
        EXPECT_FALSE(entries.at(name).isDir);
        EXPECT_TRUE(entries.at(name).isLink);
        EXPECT_EQ(entries.at(name).linkTarget, target);
    }
    EXPECT_FALSE(entries.at("a b.txt").isLink);
    EXPECT_EQ(entries.count("r\xC3\xA9sum\xC3\xA9.pdf"), 1u);
    EXPECT_EQ(entries.count("."), 0u);
    EXPECT_EQ(entries.count(".."), 0u);
}

TEST_F(DirFileTest, FolderWithBlankIsEnteredListedAndLeft)
{
    const size_t before = m_server.Commands().size();
    {
        CDirFile listing(m_session->m_nFtpHandle);
        ASSERT_TRUE(listing.CreateDir("/My Files"));
        const auto entries = ReadListing(listing);
        EXPECT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries.count("inner.txt"), 1u);
    }
    const std::vector<std::string> all = m_server.Commands();
    const std::vector<std::string> sent(all.begin() + static_cast<long>(before), all.end());
    const auto at = [&](const std::string& command) {
        return std::find(sent.begin(), sent.end(), command) - sent.begin();
    };
    // Into the folder, a listing of the current folder, and back.
    const long cwdInto = at("CWD /My Files");
    const long list = at("LIST");
    const long cwdBack = at("CWD /");
    ASSERT_LT(cwdInto, static_cast<long>(sent.size()));
    ASSERT_LT(list, static_cast<long>(sent.size()));
    ASSERT_LT(cwdBack, static_cast<long>(sent.size()));
    EXPECT_LT(cwdInto, list);
    EXPECT_LT(list, cwdBack);
    EXPECT_EQ(m_session->m_strCurDir, "/");
}

TEST_F(DirFileTest, TemporaryFileIsRemovedEvenWhenTheListingFails)
{
    std::string kept;
    {
        m_server.FailCommand("LIST", 1, 550);
        CDirFile listing(m_session->m_nFtpHandle);
        kept = listing.GetTempFileName();
        ASSERT_FALSE(kept.empty());
        EXPECT_EQ(fs::path(kept).filename().string().rfind("ftp", 0), 0u);
        EXPECT_TRUE(fs::exists(kept));
        EXPECT_FALSE(listing.CreateDir("/"));
        std::string line;
        EXPECT_FALSE(listing.GetNextDir(line));
        EXPECT_TRUE(line.empty());
    }
    EXPECT_FALSE(fs::exists(kept));
    {
        CDirFile listing(m_session->m_nFtpHandle);
        kept = listing.GetTempFileName();
        ASSERT_TRUE(listing.CreateDir("/"));
    }
    EXPECT_FALSE(fs::exists(kept));
}

TEST_F(DirFileTest, NoSessionListsNothing)
{
    CDirFile byHandle(987654);
    EXPECT_EQ(byHandle.GetSessionObject(), nullptr);
    EXPECT_FALSE(byHandle.CreateDir("/"));
    CDirFile byName(std::string("no such session"));
    EXPECT_FALSE(byName.CreateDir("/"));
    CDirFile byRightName(m_session->m_strName);
    EXPECT_EQ(byRightName.GetSessionObject(), m_session);
}

TEST_F(DirFileTest, ClosingSessionListsNothing)
{
    m_session->SetClosing();
    CDirFile listing(m_session->m_nFtpHandle);
    EXPECT_FALSE(listing.CreateDir("/"));
    m_session->ClearClosing();
}

TEST_F(DirFileTest, WindowsStylesByServerType)
{
    struct Case {
        testbed::ListStyle style;
        int osType;
    };
    // The IIS style is read whatever type the session has; the old DOS
    // style is read for DOS servers.
    const std::vector<Case> cases = {
        {testbed::ListStyle::Dos, OsDos},    {testbed::ListStyle::Iis, OsNt},   {testbed::ListStyle::Iis, OsNtUnix},
        {testbed::ListStyle::Iis, OsUnix},   {testbed::ListStyle::Iis, OsUnknown},
        {testbed::ListStyle::Dos, OsUnknown},
    };
    WriteFile(m_server.Root() / "README.TXT", "readme");
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.osType));
        m_server.SetListStyle(c.style);
        m_session->m_nOSType = c.osType;
        CDirFile listing(m_session->m_nFtpHandle);
        ASSERT_TRUE(listing.CreateDir("/"));
        const auto entries = ReadListing(listing);
        ASSERT_EQ(entries.count("README.TXT"), 1u);
        EXPECT_EQ(entries.at("README.TXT").size, 6);
        ASSERT_EQ(entries.count("huge file.iso"), 1u);
        EXPECT_EQ(entries.at("huge file.iso").size, kFiveGiB);
        EXPECT_FALSE(entries.at("huge file.iso").isDir);
        const std::tm day = LocalParts(entries.at("huge file.iso").time);
        EXPECT_EQ(day.tm_year + 1900, 2021);
        EXPECT_EQ(day.tm_mon + 1, 3);
        EXPECT_EQ(day.tm_mday, 4);
        EXPECT_EQ(day.tm_hour, 12);
        ASSERT_EQ(entries.count("My Files"), 1u);
        EXPECT_TRUE(entries.at("My Files").isDir);
        EXPECT_EQ(entries.at("My Files").size, 0);
    }
}

TEST_F(DirFileTest, EmptyLineEndsTheListing)
{
    // A name with line breaks puts an empty line into the listing.
    WriteFile(m_server.Root() / "aaa\n\nafter", "x");
    WriteFile(m_server.Root() / "zzz.txt", "x");
    CDirFile listing(m_session->m_nFtpHandle);
    ASSERT_TRUE(listing.CreateDir("/"));
    std::vector<std::string> lines;
    std::string line;
    while (listing.GetNextDir(line))
        lines.push_back(line);
    // The name's first part was read as an entry; nothing after the empty
    // line was.
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.ends_with(" aaa"); }), 1);
    for (const std::string& seen : lines)
        EXPECT_EQ(seen.find("after"), std::string::npos) << seen;
    EXPECT_FALSE(listing.GetNextDir(line));
}

TEST_F(DirFileTest, TracesEveryLineAndTheTemporaryFile)
{
    guitest::TraceCapture capture;
    std::string temp;
    {
        CDirFile listing(m_session->m_nFtpHandle);
        temp = listing.GetTempFileName();
        ASSERT_TRUE(listing.CreateDir("/"));
        ReadListing(listing);
    }
    EXPECT_TRUE(capture.Has("CDirFile.Initialize: Tempfile = " + temp));
    EXPECT_TRUE(capture.Has("CDirFile.GetSession: Get session " + std::to_string(m_session->m_nFtpHandle) + "."));
    EXPECT_TRUE(capture.Has("CDirFile.GetSession: Session testbed found."));
    EXPECT_TRUE(capture.Has("CDirFile.CreateDir: Dir = /"));
    EXPECT_TRUE(capture.Has("CDirFile.GetFileNameNTUnix: strFile = a b.txt"));
    EXPECT_TRUE(capture.Has("~CDirFile: Delete " + temp + " file"));
    EXPECT_GE(capture.Count("CDirFile.GetNextDir: "), 7);
}

TEST_F(MachineDirFileTest, ExactSizesTimesAndTypes)
{
    // Seconds the long listing cannot show.
    SetModified(m_server.Root() / "a b.txt", Utc(2021, 3, 4, 12, 0) + 37);
    WriteFile(m_server.Root() / "semi;colon.txt", "1234567");
    CDirFile listing(m_session->m_nFtpHandle);
    ASSERT_TRUE(listing.CreateDir("/"));
    EXPECT_TRUE(listing.IsMachineListing());
    const auto entries = ReadListing(listing);

    ASSERT_EQ(entries.count("huge file.iso"), 1u);
    EXPECT_EQ(entries.at("huge file.iso").size, kFiveGiB);
    EXPECT_EQ(entries.at("huge file.iso").time, Utc(2021, 3, 4, 12, 0));
    ASSERT_EQ(entries.count("a b.txt"), 1u);
    EXPECT_EQ(entries.at("a b.txt").size, 5);
    EXPECT_EQ(entries.at("a b.txt").time, Utc(2021, 3, 4, 12, 0) + 37);
    EXPECT_TRUE(entries.at("a b.txt").isFile);
    ASSERT_EQ(entries.count("semi;colon.txt"), 1u);
    EXPECT_EQ(entries.at("semi;colon.txt").size, 7);
    ASSERT_EQ(entries.count("My Files"), 1u);
    EXPECT_TRUE(entries.at("My Files").isDir);
    EXPECT_FALSE(entries.at("My Files").isFile);
    EXPECT_EQ(entries.at("My Files").time, Utc(2021, 3, 4, 12, 0));
    ASSERT_EQ(entries.count("latest"), 1u);
    EXPECT_FALSE(entries.at("latest").isDir);
    EXPECT_TRUE(entries.at("latest").isLink);
    EXPECT_EQ(entries.at("latest").linkTarget, "releases/1.2");
    EXPECT_EQ(entries.count("r\xC3\xA9sum\xC3\xA9.pdf"), 1u);
    EXPECT_EQ(entries.count("."), 0u);
    EXPECT_EQ(entries.count(".."), 0u);

    const std::vector<std::string> sent = m_server.Commands();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "MLSD /"), sent.end());
    EXPECT_EQ(std::find(sent.begin(), sent.end(), "LIST /"), sent.end());
    // The permissions page reads the mode the server was asked to send.
    CDirFile again(m_session->m_nFtpHandle);
    ASSERT_TRUE(again.CreateDir("/"));
    std::string line;
    bool found = false;
    while (!found && again.GetNextDir(line))
        found = again.GetFileName() == "a b.txt";
    ASSERT_TRUE(found);
    EXPECT_NE(line.find("unix.mode="), std::string::npos) << line;
}

// The same names whichever way the server lists: without MLST in FEAT, and
// when MLSD is refused as unknown despite it (then LIST for the rest of the
// login).
TEST_F(MachineDirFileTest, FallsBackToListWithTheSameNames)
{
    const auto names = [](const std::map<std::string, Seen>& entries) {
        std::vector<std::pair<std::string, bool>> out;
        for (const auto& [name, seen] : entries)
            out.emplace_back(name, seen.isDir);
        return out;
    };
    CDirFile machine(m_session->m_nFtpHandle);
    ASSERT_TRUE(machine.CreateDir("/"));
    const auto expected = names(ReadListing(machine));
    ASSERT_GE(expected.size(), 6u);

    m_server.FailCommand("MLSD", 1, 500);
    {
        CDirFile refused(m_session->m_nFtpHandle);
        ASSERT_TRUE(refused.CreateDir("/"));
        EXPECT_FALSE(refused.IsMachineListing());
        EXPECT_EQ(names(ReadListing(refused)), expected);
        CDirFile after(m_session->m_nFtpHandle);
        ASSERT_TRUE(after.CreateDir("/"));
        EXPECT_FALSE(after.IsMachineListing());
    }
    std::vector<std::string> sent = m_server.Commands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "MLSD /"), 2);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "LIST /"), 2);

    m_server.RefuseMlsd(true);
    CSession* plain = guitest::LoginSession(m_doc, m_server, "plain");
    ASSERT_NE(plain, nullptr);
    CDirFile listed(plain->m_nFtpHandle);
    ASSERT_TRUE(listed.CreateDir("/"));
    EXPECT_FALSE(listed.IsMachineListing());
    EXPECT_EQ(names(ReadListing(listed)), expected);
    sent = m_server.Commands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "MLSD /"), 2);
}

TEST_F(MachineDirFileTest, MissingFolderIsNotListedTwice)
{
    CDirFile listing(m_session->m_nFtpHandle);
    EXPECT_FALSE(listing.CreateDir("/nowhere"));
    const std::vector<std::string> sent = m_server.Commands();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "MLSD /nowhere"), sent.end());
    EXPECT_EQ(std::find(sent.begin(), sent.end(), "LIST /nowhere"), sent.end());
    // MLSD stays offered.
    CDirFile next(m_session->m_nFtpHandle);
    ASSERT_TRUE(next.CreateDir("/"));
    EXPECT_TRUE(next.IsMachineListing());
}
