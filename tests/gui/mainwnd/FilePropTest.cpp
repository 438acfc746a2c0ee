// The property sheet of a file or folder: the permission text read as a
// mode, SITE CHMOD against the test-bed server with the result checked on
// its disk, and the General page of folders, big files and entries the
// listing does not show. Sheets are handed to the test instead of shown.
#include "DriveView.h"
#include "FileProp.h"
#include "FileView.h"
#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "UnixMode.h"
#include "ViewsTestSupport.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace viewtest;

namespace {

// Runs `check` on the sheet that `open` builds; fails when none was built.
void WithSheet(const std::function<void()>& open, const std::function<void(CFileProp&)>& check)
{
    bool built = false;
    FilePropRunner previous = SetFilePropRunner([&](CFileProp& sheet) {
        built = true;
        check(sheet);
    });
    open();
    SetFilePropRunner(previous);
    EXPECT_TRUE(built);
}

unsigned DiskMode(const fs::path& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

std::vector<std::string> ChmodsSent(const testbed::TestFtpServer& server)
{
    std::vector<std::string> sent;
    for (const std::string& command : server.Commands()) {
        if (command.starts_with("SITE CHMOD"))
            sent.push_back(command);
    }
    return sent;
}

CSession* UnixSession(CTavoDoc& doc, const testbed::TestFtpServer& server)
{
    CSession* session = guitest::LoginSession(doc, server);
    if (session) {
        session->VerifyOSType();
        EXPECT_EQ(session->m_nOSType, OsUnix);
    }
    return session;
}

}  // namespace

TEST(UnixMode, PermissionTextGivesTheWholeMode)
{
    const struct {
        const char* line;
        std::optional<unsigned> mode;
    } cases[] = {
        {"-rwxr-x--x", 0751},
        {"-rwsr-x--x   1 owner group 5 Mar 04  2021 suid.bin", 04751},  // pure-ftpd's 4751
        {"-rwSr--r--", 04644},
        {"drwxr-sr-x", 02755},
        {"drwxrwxrwt", 01777},
        {"drwxrwxrwT", 01776},
        {"-rw-r--r--+ 1 owner group 0 Jan 01  2024 acl", 0644},
        {"lrwxrwxrwx", 0777},
        {"garbage", std::nullopt},
        {"", std::nullopt},
        {"-rwxr-x--", std::nullopt},                          // cut short
        {"-rwxr-x--xy", std::nullopt},                        // not the end of the text
        {"-rwxr-x--s", std::nullopt},                         // "s" where only "t" fits
        {"README         1234  01-15-98  10:30", std::nullopt},  // DOS
        {"01-15-98  10:30AM       <DIR>          DOCS", std::nullopt},  // IIS
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseUnixMode(c.line), c.mode) << c.line;
}

TEST(FileProp, ChmodKeepsTheSpecialBitsAndRetriesAfterARefusal)
{
    testbed::TestFtpServer server;
    const fs::path file = server.Root() / "suid.bin";
    guitest::WriteFile(file, "x");
    ASSERT_EQ(::chmod(file.c_str(), 04751), 0);
    CTavoDoc doc;
    CFileView view(&doc);
    CSession* session = UnixSession(doc, server);
    ASSERT_NE(session, nullptr);
    view.ShowFtpFolder(session->m_strName, session->GetFtpHandle(), "/");
    ASSERT_TRUE(view.SelectItem("suid.bin"));

    guitest::TraceCapture trace;
    WithSheet([&] { view.OnFtpUnixchmod(); }, [&](CFileProp& sheet) {
        EXPECT_EQ(sheet.windowTitle(), "suid.bin Properties");
        ASSERT_EQ(sheet.Tabs()->count(), 2);
        EXPECT_EQ(sheet.Tabs()->tabText(1), "Permissions");
        EXPECT_EQ(sheet.Tabs()->currentWidget(), sheet.Page3());
        CFileP3* page = sheet.Page3();
        EXPECT_EQ(page->m_strPath, "/suid.bin");
        EXPECT_EQ(page->Mode(), 04751u);
        EXPECT_TRUE(page->Box(kModeSetUid)->isChecked());
        EXPECT_TRUE(page->Box(0100)->isChecked());

        EXPECT_TRUE(sheet.OnApply());  // unchanged: nothing to send
        EXPECT_TRUE(ChmodsSent(server).empty());

        server.FailCommand("SITE", 1, 550);
        page->Box(04)->click();
        EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
        EXPECT_FALSE(sheet.OnApply());
        EXPECT_TRUE(page->m_bModified);
        EXPECT_TRUE(trace.Has("550 SITE failed"));
        EXPECT_EQ(DiskMode(file), 04751u);

        sheet.accept();  // tries again, with the whole mode
        EXPECT_EQ(sheet.result(), QDialog::Accepted);
        EXPECT_FALSE(page->m_bModified);
        EXPECT_TRUE(trace.Has("CHMOD 4755 /suid.bin"));
        EXPECT_EQ(DiskMode(file), 04755u);
        // The General page lists the item again and the boxes follow it.
        EXPECT_NE(sheet.Page1()->m_strListing.find("unix.mode=04755;"), std::string::npos);
        EXPECT_EQ(page->Mode(), 04755u);
    });
    EXPECT_EQ(ChmodsSent(server), (std::vector<std::string>{"SITE CHMOD 4755 /suid.bin", "SITE CHMOD 4755 /suid.bin"}));
}

TEST(FileProp, GeneralPageOfAFolderABigFileAndALink)
{
    testbed::TestFtpServer server;
    server.RefuseMlsd(true);  // the lines as the server formats them
    const std::time_t when = UtcTime(2021, 3, 4, 12, 0);
    const std::int64_t huge = (std::int64_t{5} << 30) + 7;
    MakeEntries(server.Root() / "docs", {{"huge.iso", false, 1}});
    fs::resize_file(server.Root() / "docs" / "huge.iso", huge);  // sparse
    MakeEntries(server.Root(), {{"docs", true, 0, when}});
    fs::create_directory_symlink(server.Root() / "docs", server.Root() / "link");
    CTavoDoc doc;
    CMainFrame frame(&doc);
    ASSERT_NE(ConnectServer(frame, doc, server), nullptr);
    CDriveView* tree = frame.GetDriveView();
    QTreeWidgetItem* top = tree->topLevelItem(tree->topLevelItemCount() - 1);
    tree->collapseItem(top);
    tree->expandItem(top);
    QTreeWidgetItem* docs = tree->FindItem(top, "docs");
    ASSERT_NE(docs, nullptr);
    tree->setCurrentItem(docs);

    WithSheet([&] { tree->OnFileProperties(); }, [&](CFileProp& sheet) {
        EXPECT_EQ(sheet.windowTitle(), "docs Properties");
        const CFileP1* page = sheet.Page1();
        EXPECT_EQ(page->m_strName, "docs");
        EXPECT_EQ(page->m_strFolder, "/");
        EXPECT_EQ(page->m_strIsFolder, "Yes");
        EXPECT_EQ(page->m_strDate, "03/04/2021 00:00:00");  // old entries list no time of day
        EXPECT_TRUE(page->m_strListing.starts_with('d') && page->m_strListing.ends_with(" docs"));
    });

    CFileView* list = frame.GetFileView();
    ASSERT_TRUE(list->SelectItem("huge.iso"));
    WithSheet([&] { list->OnFileProperties(); }, [&](CFileProp& sheet) {
        EXPECT_EQ(sheet.Page1()->m_nSize, huge);
        EXPECT_EQ(sheet.Page1()->m_strFolder, "/docs/");
        EXPECT_EQ(sheet.Page1()->m_strIsFolder, "No");
    });

    // Listed by itself, a link to a folder shows the folder's content; the
    // page still finds the link's own line.
    tree->setCurrentItem(top);
    ASSERT_TRUE(list->SelectItem("link"));
    WithSheet([&] { list->OnFileProperties(); }, [&](CFileProp& sheet) {
        EXPECT_TRUE(sheet.Page1()->m_strListing.starts_with('l')) << sheet.Page1()->m_strListing;
        EXPECT_NE(sheet.Page1()->m_nSize, huge);
    });
}

TEST(FileProp, EntriesWithoutAReadableLineShowNothingAndSendNothing)
{
    testbed::TestFtpServer server;
    server.RefuseMlsd(true);  // the lines as the server formats them
    MakeEntries(server.Root(), {{"readme", false, 3}, {"zz-last", true}});
    CTavoDoc doc;
    CSession* session = UnixSession(doc, server);
    ASSERT_NE(session, nullptr);
    const int handle = session->GetFtpHandle();

    // A folder its parent does not list: empty fields, not the last line.
    WithSheet([&] { FileProperties(nullptr, handle, "ghost", "/", true, false); }, [&](CFileProp& sheet) {
        const CFileP1* page = sheet.Page1();
        EXPECT_FALSE(page->m_bFound);
        EXPECT_EQ(page->m_strListing, "");
        EXPECT_EQ(page->m_strDate, "");
        EXPECT_EQ(page->m_strIsFolder, "");
        EXPECT_FALSE(sheet.Page3()->m_bReadable);
    });

    // A DOS-style line has no permission text: the page stays disabled and
    // no mode is guessed.
    server.SetListStyle(testbed::ListStyle::Dos);
    WithSheet([&] { FileProperties(nullptr, handle, "readme", "/", false, true); }, [&](CFileProp& sheet) {
        EXPECT_EQ(sheet.Page1()->m_nSize, 3);
        CFileP3* page = sheet.Page3();
        EXPECT_FALSE(page->m_bReadable);
        EXPECT_FALSE(page->Box(0400)->isEnabled());
        page->Box(0400)->click();
        EXPECT_TRUE(sheet.OnApply());
    });
    EXPECT_TRUE(ChmodsSent(server).empty());
}

TEST(FileProp, LocalPageReadOnlyIsTheOwnersWriteBit)
{
    const fs::path folder = guitest::NewScratchFolder("local-prop");
    guitest::WriteFile(folder / ".notes", "12345");
    ASSERT_EQ(::chmod((folder / ".notes").c_str(), 0644), 0);
    WithSheet([&] { FileProperties(nullptr, 0, ".notes", folder.string() + "/", false, false); },
              [&](CFileProp& sheet) {
                  CFileP2* page = sheet.Page2();
                  EXPECT_EQ(page->m_nSize, 5);
                  EXPECT_EQ(page->m_strIsFolder, "No");
                  EXPECT_EQ(page->m_nAttributes, kAttrHidden);
                  page->ReadOnlyBox()->click();
                  sheet.accept();
              });
    EXPECT_EQ(DiskMode(folder / ".notes"), 0444u);
}
