// FTP rows handed to other programs and file contents dropped on Tavo: the
// list's Copy offers the rows as local files, downloaded only when asked
// for; dropped descriptors with contents land in a local or a server folder.
// Every case checks the bytes that arrived.
#include "DriveView.h"
#include "FileDescList.h"
#include "FileListModel.h"
#include "FileView.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "OleDS.h"
#include "SessionRegistry.h"
#include "Settings.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "ViewsTestSupport.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace fs = std::filesystem;
using guitest::ReadFile;
using guitest::WriteFile;

namespace {

std::string Bytes(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& c : data)
        c = static_cast<char>(random() & 0xFF);
    return data;
}

std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        entries[fs::relative(entry.path(), root).string()] =
            entry.is_directory() ? std::string("<dir>") : ReadFile(entry.path());
    return entries;
}

int Retrievals(const testbed::TestFtpServer& server)
{
    int count = 0;
    for (const std::string& line : server.Commands())
        count += line.starts_with("RETR") ? 1 : 0;
    return count;
}

class RenderForOthers : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_local = guitest::NewScratchFolder("render");
        m_pFrame = std::make_unique<CMainFrame>(&m_doc);
        g_Settings.m_bLocalUnique = 0;
        g_Settings.m_bLocalPrompt = 0;
        g_Settings.m_bRemoteUnique = 0;
        g_Settings.m_bRemotePrompt = 0;
        m_pSession = viewtest::ConnectServer(*m_pFrame, m_doc, m_server, "one");
        ASSERT_NE(m_pSession, nullptr);
    }
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        m_pFrame.reset();
        m_doc.OnCloseDocument();
    }

    // Copies (or cuts) rows of the server's root folder as the list does.
    const QMimeData* CopyRows(const std::vector<std::string>& names, bool cut = false)
    {
        CFileView* list = m_pFrame->GetFileView();
        list->RefreshView();
        QAbstractItemView* view = list->GetListCtrl();
        view->clearSelection();
        for (const std::string& name : names) {
            const int row = list->GetModel()->FindName(name);
            EXPECT_GE(row, 0) << name;
            view->selectionModel()->select(list->GetModel()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        cut ? list->OnEditCut() : list->OnEditCopy();
        return QGuiApplication::clipboard()->mimeData();
    }

    testbed::TestFtpServer m_server;
    CTavoDoc m_doc;
    std::unique_ptr<CMainFrame> m_pFrame;
    CSession* m_pSession = nullptr;
    fs::path m_local;
};

}  // namespace

TEST_F(RenderForOthers, FtpRowsBecomeLocalFilesOnlyWhenAskedFor)
{
    const fs::path root = m_server.Root();
    WriteFile(root / "file.bin", Bytes(300000, 1));
    WriteFile(root / "tree" / "top.txt", "top\n");
    WriteFile(root / "tree" / "a" / "b" / "deep.bin", Bytes(70000, 2));
    fs::create_directories(root / "tree" / "a" / "empty");

    const QMimeData* data = CopyRows({"file.bin", "tree"}, true);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(QString::fromLatin1(kMimeUriList)));
    EXPECT_TRUE(data->hasFormat(QString::fromLatin1(kMimeFileGroupDescriptor)));
    // Inside Tavo the rows stay server items (moves stay moves).
    EXPECT_FALSE(OffersShellFileList(data));
    EXPECT_EQ(Retrievals(m_server), 0);

    const QList<QUrl> urls = data->urls();
    ASSERT_EQ(urls.size(), 2);
    fs::path file = urls[0].toLocalFile().toStdString();
    fs::path tree = urls[1].toLocalFile().toStdString();
    if (file.filename() != "file.bin")
        std::swap(file, tree);
    ASSERT_EQ(file.filename(), "file.bin");
    EXPECT_TRUE(ReadFile(file) == ReadFile(root / "file.bin"));
    EXPECT_TRUE(Snapshot(tree) == Snapshot(root / "tree"));
    EXPECT_EQ(Snapshot(tree).size(), 5u);
    // A cut is a copy to other programs: the originals stay.
    EXPECT_TRUE(data->data(QString::fromLatin1(kMimeGnomeCopiedFiles)).startsWith("copy\n"));
    EXPECT_TRUE(fs::exists(root / "file.bin"));
    // Rendered once.
    const int fetched = Retrievals(m_server);
    EXPECT_EQ(fetched, 3);
    data->data(QString::fromLatin1(kMimeUriList));
    EXPECT_EQ(Retrievals(m_server), fetched);

    // The copies go with the data.
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(fs::exists(file.parent_path()));
}

TEST_F(RenderForOthers, AFileGoneFromTheServerRendersNothing)
{
    WriteFile(m_server.Root() / "kept.txt", "kept\n");
    WriteFile(m_server.Root() / "gone.txt", "gone\n");
    const QMimeData* data = CopyRows({"kept.txt", "gone.txt"});
    fs::remove(m_server.Root() / "gone.txt");
    guitest::TraceCapture trace;
    EXPECT_TRUE(data->data(QString::fromLatin1(kMimeUriList)).isEmpty());
    EXPECT_TRUE(data->urls().isEmpty());
    EXPECT_TRUE(trace.Has("Cannot copy /gone.txt"));
}

TEST_F(RenderForOthers, DroppedContentsLandInLocalAndServerFolders)
{
    const std::string data = Bytes(150000, 3);
    WriteFile(m_server.Root() / "file.bin", data);
    fs::create_directories(m_server.Root() / "sub");
    fs::create_directories(m_server.Root() / "dropped");
    const QMimeData* offered = CopyRows({"file.bin", "sub"});
    CDriveView* tree = m_pFrame->GetDriveView();

    EXPECT_TRUE(tree->ProcessDropFileContents(offered, m_local.string() + "/", 0));
    EXPECT_TRUE(ReadFile(m_local / "file.bin") == data);
    EXPECT_TRUE(fs::is_directory(m_local / "sub"));

    // Into a folder of the very server the contents are read from.
    EXPECT_TRUE(tree->ProcessDropFileContents(offered, "/dropped/", m_pSession->GetFtpHandle()));
    EXPECT_TRUE(ReadFile(m_server.Root() / "dropped" / "file.bin") == data);
    EXPECT_TRUE(fs::is_directory(m_server.Root() / "dropped" / "sub"));
}

TEST_F(RenderForOthers, DescribedNamesAreOneComponentAndForeignContentsAreRefused)
{
    std::vector<FileDescriptor> records;
    for (const char* name : {"../evil", "a/b", "..", ".", "", "cr\r\nlf", "ok.txt"}) {
        FileDescriptor record;
        record.m_strName = name;
        records.push_back(record);
    }
    QMimeData foreign;
    foreign.setData(QString::fromLatin1(kMimeFileGroupDescriptor), PackFileGroupDescriptor(records));
    const fs::path target = m_local / "target";
    fs::create_directories(target);
    guitest::TraceCapture trace;
    EXPECT_FALSE(m_pFrame->GetDriveView()->ProcessDropFileContents(&foreign, target.string() + "/", 0));
    EXPECT_TRUE(fs::is_empty(target));
    EXPECT_EQ(Snapshot(m_local).size(), 1u);
    EXPECT_TRUE(trace.Has("Cannot copy ok.txt"));
}
