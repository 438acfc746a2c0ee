// The recursive deletes: remote trees on the test-bed server in each listing
// style, a refused file, and local trees with symbolic links.
#include "TavoDoc.h"

#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using guitest::WriteFile;

namespace {

// A tree with blanks in names, 8.3 names, nested folders and a hidden one,
// beside things that must survive.
void MakeRemoteTree(const fs::path& root)
{
    WriteFile(root / "tree" / "README.TXT", "r");
    WriteFile(root / "tree" / "a long name.txt", "a");
    WriteFile(root / "tree" / "sub dir" / "INNER.DAT", "i");
    WriteFile(root / "tree" / "sub dir" / "deeper" / "c.txt", "c");
    WriteFile(root / "tree" / ".hidden" / "h", "h");
    fs::create_directories(root / "tree" / "EMPTY");
    WriteFile(root / "keep.txt", "keep");
    WriteFile(root / "other" / "KEEP.TXT", "keep");
}

void ExpectSurvivors(const fs::path& root)
{
    EXPECT_TRUE(fs::exists(root / "keep.txt"));
    EXPECT_TRUE(fs::exists(root / "other" / "KEEP.TXT"));
}

// Every path a deleting command named lies inside `folder`.
void ExpectOnlyInside(const std::vector<std::string>& commands, const std::string& folder)
{
    for (const std::string& command : commands) {
        for (const char* verb : {"DELE ", "RMD "}) {
            if (command.rfind(verb, 0) != 0)
                continue;
            const std::string path = command.substr(std::string(verb).size());
            EXPECT_TRUE(path == folder || path.rfind(folder + "/", 0) == 0) << command;
            EXPECT_EQ(path.find("/../"), std::string::npos) << command;
            EXPECT_FALSE(path.ends_with("/..") || path.ends_with("/.")) << command;
        }
    }
}

}  // namespace

TEST(DeleteFtpDirectory, WholeTreeInEachListingStyle)
{
    struct Case {
        testbed::ListStyle style;
        int osType;
        const char* label;
    };
    const std::vector<Case> cases = {
        {testbed::ListStyle::Unix, OsUnix, "unix"},
        {testbed::ListStyle::Dos, OsDos, "dos"},
        {testbed::ListStyle::Iis, OsNt, "iis"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        testbed::TestFtpServer server;
        MakeRemoteTree(server.Root());
        server.SetListStyle(c.style);
        CTavoDoc doc;
        CSession* session = guitest::LoginSession(doc, server);
        ASSERT_NE(session, nullptr);
        session->m_nOSType = c.osType;
        guitest::TraceCapture capture;

        EXPECT_TRUE(doc.DeleteFtpDirectory("/tree", session->m_nFtpHandle));

        EXPECT_FALSE(fs::exists(server.Root() / "tree"));
        ExpectSurvivors(server.Root());
        ExpectOnlyInside(server.Commands(), "/tree");
        EXPECT_TRUE(capture.Has("CTavoDoc.DeleteFtpDirectory: Dir = \"/tree\""));
        EXPECT_TRUE(capture.Has("CTavoDoc.DeleteFtpDirectory: /tree/sub dir/deeper/c.txt deleted"));
        EXPECT_TRUE(capture.Has("CTavoDoc.DeleteFtpDirectory: /tree deleted"));
        EXPECT_EQ(capture.Count("Error deleting"), 0);
        // The server is back in the folder it was in.
        EXPECT_EQ(session->m_strCurDir, "/");
    }
}

TEST(DeleteFtpDirectory, StopsAtAFileTheServerRefuses)
{
    testbed::TestFtpServer server;
    WriteFile(server.Root() / "tree" / "one.txt", "1");
    WriteFile(server.Root() / "tree" / "two.txt", "2");
    WriteFile(server.Root() / "tree" / "three.txt", "3");
    CTavoDoc doc;
    CSession* session = guitest::LoginSession(doc, server);
    ASSERT_NE(session, nullptr);
    server.FailCommand("DELE", 1, 550);
    guitest::TraceCapture capture;

    EXPECT_FALSE(doc.DeleteFtpDirectory("/tree", session->m_nFtpHandle));

    // The first file tried was refused; the walk stopped there, naming it.
    std::vector<std::string> dele;
    for (const std::string& command : server.Commands()) {
        if (command.rfind("DELE ", 0) == 0)
            dele.push_back(command.substr(5));
        EXPECT_NE(command.rfind("RMD ", 0), 0u) << command;
    }
    ASSERT_EQ(dele.size(), 1u);
    EXPECT_EQ(capture.Count("Error deleting " + dele[0]), 1);
    EXPECT_TRUE(fs::exists(server.Root() / fs::path(dele[0]).relative_path()));
    EXPECT_TRUE(fs::exists(server.Root() / "tree"));
    EXPECT_TRUE(capture.Has("CTavoDoc.DeleteFtpDirectory: Delete /tree failed"));
}

TEST(DeleteFtpDirectory, SymbolicLinkGoesNotItsTarget)
{
    testbed::TestFtpServer server;
    WriteFile(server.Root() / "data" / "precious.txt", "keep");
    fs::create_directories(server.Root() / "tree");
    fs::create_directory_symlink("../data", server.Root() / "tree" / "link");
    CTavoDoc doc;
    CSession* session = guitest::LoginSession(doc, server);
    ASSERT_NE(session, nullptr);

    EXPECT_TRUE(doc.DeleteFtpDirectory("/tree", session->m_nFtpHandle));
    EXPECT_FALSE(fs::exists(server.Root() / "tree"));
    EXPECT_TRUE(fs::exists(server.Root() / "data" / "precious.txt"));
}

TEST(DeleteFtpDirectory, NoConnectionDeletesNothing)
{
    CTavoDoc doc;
    guitest::TraceCapture capture;
    EXPECT_FALSE(doc.DeleteFtpDirectory("/tree", 0));
    EXPECT_TRUE(capture.Has("CTavoDoc.DeleteFtpDirectory: Delete /tree failed"));
}

class DeleteDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char buffer[4096];
        ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
        m_cwd = buffer;
        m_base = guitest::NewScratchFolder("local-delete");
        WriteFile(m_base / "outside" / "target.txt", "keep");
        WriteFile(m_base / "outside" / "folder" / "inner.txt", "keep");
        WriteFile(m_base / "tree" / "a.txt", "a");
        WriteFile(m_base / "tree" / "sub" / "b.txt", "b");
        fs::create_directories(m_base / "tree" / "sub" / "empty");
        fs::create_symlink(m_base / "outside" / "target.txt", m_base / "tree" / "file-link");
        fs::create_directory_symlink(m_base / "outside" / "folder", m_base / "tree" / "sub" / "folder-link");
        fs::create_symlink(m_base / "nowhere", m_base / "tree" / "dangling");
    }

    void TearDown() override { fs::current_path(m_cwd); }

    void ExpectOutsideUntouched()
    {
        EXPECT_EQ(guitest::ReadFile(m_base / "outside" / "target.txt"), "keep");
        EXPECT_EQ(guitest::ReadFile(m_base / "outside" / "folder" / "inner.txt"), "keep");
    }

    fs::path m_cwd;
    fs::path m_base;
    CTavoDoc m_doc;
};

TEST_F(DeleteDirectoryTest, TreeGoesLinksAreNotFollowed)
{
    guitest::TraceCapture capture;
    EXPECT_TRUE(m_doc.DeleteDirectory((m_base / "tree").string()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_base / "tree")));
    ExpectOutsideUntouched();
    EXPECT_TRUE(capture.Has("CTavoDoc.DeleteDirectory: Dir = \"" + (m_base / "tree").string() + "\""));
    EXPECT_TRUE(capture.Has("CTavoDoc.DeleteDirectory: Deleting = \"" + (m_base / "tree").string() + "/*.*\""));
    EXPECT_TRUE(capture.Has("CTavoDoc.DeleteDirectory: Directory is empty"));
    EXPECT_TRUE(capture.Has("CTavoDoc.DeleteDirectory: " + (m_base / "tree" / "a.txt").string() + " deleted"));
    EXPECT_TRUE(capture.Has("CTavoDoc.DeleteDirectory: " + (m_base / "tree").string() + " deleted"));
}

TEST_F(DeleteDirectoryTest, LinkToAFolderIsRemovedItself)
{
    const fs::path link = m_base / "tree" / "sub" / "folder-link";
    EXPECT_TRUE(m_doc.DeleteDirectory(link.string()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    ExpectOutsideUntouched();
}

TEST_F(DeleteDirectoryTest, WorkingFolderMovesOutFirst)
{
    fs::current_path(m_base / "tree");
    EXPECT_TRUE(m_doc.DeleteDirectory((m_base / "tree").string()));
    EXPECT_EQ(fs::current_path(), fs::canonical(m_base));

    WriteFile(m_base / "tree2" / "deep" / "x.txt", "x");
    fs::current_path(m_base / "tree2" / "deep");
    EXPECT_TRUE(m_doc.DeleteDirectory((m_base / "tree2").string()));
    EXPECT_EQ(fs::current_path(), fs::canonical(m_base));
}

TEST_F(DeleteDirectoryTest, StopsAtAnEntryThatCannotGo)
{
    // Nested so deep that its full path is longer than any path the system
    // takes: the entry at the bottom cannot be deleted by its path, by
    // anyone. Built and removed relative to open folders.
    const std::string name(250, 'd');
    std::vector<int> fds{::open((m_base / "tree").c_str(), O_RDONLY | O_DIRECTORY)};
    ASSERT_GE(fds.back(), 0);
    for (int level = 0; level < 20; ++level) {
        ASSERT_EQ(::mkdirat(fds.back(), name.c_str(), 0700), 0);
        fds.push_back(::openat(fds.back(), name.c_str(), O_RDONLY | O_DIRECTORY));
        ASSERT_GE(fds.back(), 0);
    }
    const int file = ::openat(fds.back(), "stuck.txt", O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(file, 0);
    ::close(file);

    guitest::TraceCapture capture;
    EXPECT_FALSE(m_doc.DeleteDirectory((m_base / "tree").string()));
    EXPECT_TRUE(capture.Has("CTavoDoc.DeleteDirectory: Delete " + (m_base / "tree").string() + " failed"));
    EXPECT_EQ(::faccessat(fds.back(), "stuck.txt", F_OK, 0), 0);
    // In name order: what came before the stuck entry is gone, what came
    // after it is still there.
    EXPECT_FALSE(fs::exists(m_base / "tree" / "a.txt"));
    EXPECT_TRUE(fs::exists(m_base / "tree" / "sub" / "b.txt"));
    ExpectOutsideUntouched();

    ::unlinkat(fds.back(), "stuck.txt", 0);
    for (size_t level = fds.size() - 1; level > 0; --level) {
        ::close(fds[level]);
        ::unlinkat(fds[level - 1], name.c_str(), AT_REMOVEDIR);
    }
    ::close(fds.front());
}
