// The file list: rows of local and FTP folders, hints 90 and 91, sorting by
// column clicks, the view modes, the selection queries and hit tests.
#include "FileListModel.h"
#include "FileView.h"
#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "ViewsTestSupport.h"

#include <QHeaderView>
#include <QListView>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using namespace viewtest;

namespace {

std::string LocalDate(std::time_t time)
{
    return CFileListModel::TimeText(time).toStdString();
}

std::string TypeOf(CTavoDoc& doc, const std::string& name)
{
    QString type;
    doc.GetIconIndex(QString::fromStdString(name), false, &type);
    return type.toStdString();
}

void ShowLocal(CFileView& view, const std::filesystem::path& folder)
{
    FileViewHint hint;
    hint.m_strPath = folder.string();
    view.OnUpdate(kHintLocalFolder, &hint);
}

// Entries whose every key differs, so each sort code has one right order.
const std::vector<Entry> kSortEntries = {
    {"beta", true, 0, UtcTime(2021, 5, 1, 10, 0)},
    {"Alpha", true, 0, UtcTime(2021, 6, 1, 10, 0)},
    {"c.txt", false, 30, UtcTime(2020, 1, 1, 10, 0)},
    {"B.png", false, 10, UtcTime(2022, 1, 1, 10, 0)},
    {"a.html", false, 20, UtcTime(2019, 1, 1, 10, 0)},
};

}  // namespace

TEST(FileView, LocalFolderRowsShowNameSizeTypeAndDate)
{
    CTavoDoc doc;
    CFileView view(&doc);
    const auto folder = guitest::NewScratchFolder("local-rows");
    const std::time_t when = UtcTime(2021, 3, 4, 5, 6);
    MakeEntries(folder, {{"notes.txt", false, 1234, when}, {"pictures", true, 0, when}, {".hidden", false, 1, when}});

    ShowLocal(view, folder);

    EXPECT_EQ(view.GetFtpHandle(), 0);
    EXPECT_EQ(view.GetCurrentPath(), folder.string());
    ASSERT_EQ(view.GetItemCount(), 3);  // nothing hidden, "." and ".." left out
    const int file = RowOf(view, "notes.txt");
    ASSERT_GE(file, 0);
    EXPECT_EQ(RowTexts(view, file),
              (std::vector<std::string>{"notes.txt", "1234", TypeOf(doc, "notes.txt"), LocalDate(when)}));
    const FileListItem* item = view.GetItem(file);
    EXPECT_EQ(item->m_nSession, 0);
    EXPECT_EQ(item->m_bIsDir, 0);
    EXPECT_EQ(item->m_strPath, (folder / "notes.txt").string());
    EXPECT_EQ(item->m_tModified, when);

    const int sub = RowOf(view, "pictures");
    ASSERT_GE(sub, 0);
    EXPECT_EQ(RowTexts(view, sub), (std::vector<std::string>{"pictures", "", "File Folder", LocalDate(when)}));
    EXPECT_EQ(view.GetItem(sub)->m_bIsDir, 1);
    EXPECT_GE(RowOf(view, ".hidden"), 0);

    // Column titles and the Details layout.
    const CFileListModel* model = view.GetModel();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "File Name");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Size");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Type");
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), "Last Modified");
    auto* details = qobject_cast<QTreeView*>(view.GetListCtrl());
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->header()->sectionSize(0), 192);
    EXPECT_EQ(details->header()->sectionSize(1), 96);
    EXPECT_EQ(details->header()->sectionSize(2), 128);
    EXPECT_EQ(details->header()->sectionSize(3), 128);
    EXPECT_TRUE(model->data(model->index(sub, 0), Qt::DecorationRole).value<QIcon>().availableSizes().size() >= 0);
}

TEST(FileView, LocalFolderEdgeCases)
{
    CTavoDoc doc;
    CFileView view(&doc);
    // A folder with only "." and "..": no rows, but the place is set.
    const auto empty = guitest::NewScratchFolder("only-dots");
    ShowLocal(view, empty);
    EXPECT_EQ(view.GetItemCount(), 0);
    EXPECT_EQ(view.GetCurrentPath(), empty.string());

    // A path with "." and ".." parts is shown by its full name.
    const auto folder = guitest::NewScratchFolder("full-name");
    MakeEntries(folder / "inner", {{"x.bin", false, 4}});
    EXPECT_EQ(view.ShowLocalFolder((folder / "inner" / "." / ".." / "inner").string()), 1);
    EXPECT_EQ(view.GetCurrentPath(), (folder / "inner").string());

    // A file of 5 GiB keeps its size (sparse, so it costs no disk space).
    const auto big = folder / "big";
    std::filesystem::create_directories(big);
    { std::ofstream(big / "huge.iso").put('x'); }
    std::filesystem::resize_file(big / "huge.iso", 5LL * 1024 * 1024 * 1024);
    EXPECT_EQ(view.ShowLocalFolder(big.string()), 1);
    EXPECT_EQ(RowTexts(view, 0)[1], "5368709120");

    // A folder that cannot be read: the hint leaves an empty list, and the
    // place is the folder asked for, not the one shown before.
    ShowLocal(view, folder / "missing");
    EXPECT_EQ(view.GetItemCount(), 0);
    EXPECT_EQ(view.GetCurrentPath(), (folder / "missing").string());
}

TEST(FileView, FtpFolderThroughHint91)
{
    testbed::TestFtpServer server;
    server.RefuseMlsd(true);  // the lines as the server formats them
    const std::time_t old = UtcTime(2021, 3, 4, 12, 0);
    MakeEntries(server.Root() / "data", {{"inner.csv", false, 5, old}});
    MakeEntries(server.Root(), {{"readme.txt", false, 321, old}, {"data", true, 0, old}, {"photo.png", false, 70000, old}});

    CTavoDoc doc;
    QMainWindow frame;
    auto* view = new CFileView(&doc, &frame);
    frame.setCentralWidget(view);
    CSession* session = guitest::LoginSession(doc, server);
    ASSERT_NE(session, nullptr);

    FileViewHint hint{session->GetFtpHandle(), session->m_strName, "/"};
    QSignalSpy shown(view, &CFileView::folderShown);
    view->OnUpdate(kHintFtpFolder, &hint);
    EXPECT_EQ(shown.count(), 1);

    EXPECT_EQ(view->GetFtpHandle(), session->GetFtpHandle());
    EXPECT_EQ(view->GetServer(), "testbed");
    EXPECT_EQ(view->GetCurrentPath(), "/");
    EXPECT_EQ(frame.windowTitle(), "Directory - /");
    ASSERT_EQ(view->GetItemCount(), 3);
    // Listed dates carry no time of day when they are this old.
    const std::string date = "03/04/2021 00:00";
    EXPECT_EQ(RowTexts(*view, RowOf(*view, "readme.txt")),
              (std::vector<std::string>{"readme.txt", "321", TypeOf(doc, "readme.txt"), date}));
    EXPECT_EQ(RowTexts(*view, RowOf(*view, "photo.png")),
              (std::vector<std::string>{"photo.png", "70000", TypeOf(doc, "photo.png"), date}));
    EXPECT_EQ(RowTexts(*view, RowOf(*view, "data")), (std::vector<std::string>{"data", "", "File Folder", date}));
    const FileListItem* item = view->GetItem(RowOf(*view, "readme.txt"));
    EXPECT_EQ(item->m_nSession, session->GetFtpHandle());
    // An FTP row keeps the listing line it was read from.
    EXPECT_NE(item->m_strPath.find("readme.txt"), std::string::npos);
    EXPECT_EQ(item->m_strPath.front(), '-');

    // A subfolder without a trailing separator gets the session's one.
    EXPECT_EQ(view->ShowFtpFolder("testbed", session->GetFtpHandle(), "/data"), 1);
    EXPECT_EQ(view->GetCurrentPath(), "/data/");
    EXPECT_EQ(frame.windowTitle(), "Directory - /data/");

    // A listing that fails keeps the title, but not the rows of the folder
    // shown before: a command would join their names to the new place and
    // reach other files ("/no-such-folder/inner.csv").
    EXPECT_EQ(view->ShowFtpFolder("testbed", session->GetFtpHandle(), "/no-such-folder"), 0);
    EXPECT_EQ(view->GetCurrentPath(), "/no-such-folder/");
    EXPECT_EQ(frame.windowTitle(), "Directory - /data/");

    // RefreshView lists the shown folder again, new entries included.
    MakeEntries(server.Root() / "data", {{"later.txt", false, 9, old}});
    view->ShowFtpFolder("testbed", session->GetFtpHandle(), "/data");
    view->RefreshView();
    EXPECT_EQ(view->GetItemCount(), 2);
}

TEST(FileView, ColumnClicksSortEachColumnTwice)
{
    CTavoDoc doc;
    CFileView view(&doc);
    const auto folder = guitest::NewScratchFolder("sort");
    MakeEntries(folder, kSortEntries);
    ShowLocal(view, folder);
    ASSERT_EQ(view.GetItemCount(), 5);
    EXPECT_EQ(view.GetSortType(), 0);
    EXPECT_EQ(RowNames(view), (std::vector<std::string>{"Alpha", "beta", "a.html", "B.png", "c.txt"}));

    // The type texts come from the desktop's type database: order the files
    // by them as the rule says, then check the view agrees.
    std::vector<std::string> byType = {"a.html", "B.png", "c.txt"};
    std::stable_sort(byType.begin(), byType.end(), [&](const std::string& a, const std::string& b) {
        const QString ta = QString::fromStdString(TypeOf(doc, a));
        const QString tb = QString::fromStdString(TypeOf(doc, b));
        const int order = ta == tb ? QString::compare(QString::fromStdString(a), QString::fromStdString(b),
                                                      Qt::CaseInsensitive)
                                   : ta.compare(tb, Qt::CaseInsensitive);
        return order < 0;
    });
    std::vector<std::string> byTypeReversed(byType.rbegin(), byType.rend());
    const auto concat = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };

    struct Case {
        int column;
        int firstCode;
        std::vector<std::string> first;  // after the first click: descending
        int secondCode;
        std::vector<std::string> second;  // after the second click: ascending
    };
    const std::vector<Case> cases = {
        // Name and size: folders above the files ascending, below descending.
        {0, 10, {"c.txt", "B.png", "a.html", "beta", "Alpha"}, 0, {"Alpha", "beta", "a.html", "B.png", "c.txt"}},
        {1, 11, {"c.txt", "a.html", "B.png", "beta", "Alpha"}, 1, {"Alpha", "beta", "B.png", "a.html", "c.txt"}},
        // Type and date: folders below the files ascending, above descending.
        {2, 12, concat({"beta", "Alpha"}, byTypeReversed), 2, concat(byType, {"Alpha", "beta"})},
        {3, 13, {"Alpha", "beta", "B.png", "c.txt", "a.html"}, 3, {"a.html", "c.txt", "B.png", "beta", "Alpha"}},
    };
    auto* details = qobject_cast<QTreeView*>(view.GetListCtrl());
    ASSERT_NE(details, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE("column " + std::to_string(c.column));
        // Folders of equal size keep their listed order: compare those apart.
        const auto check = [&](const std::vector<std::string>& expected) {
            std::vector<std::string> names = RowNames(view);
            if (c.column == 1) {
                auto sortFolders = [](std::vector<std::string>& v, size_t at) {
                    std::sort(v.begin() + static_cast<long>(at), v.begin() + static_cast<long>(at) + 2);
                };
                std::vector<std::string> want = expected;
                const size_t at = want[0] == "Alpha" || want[0] == "beta" ? 0 : 3;
                sortFolders(names, at);
                sortFolders(want, at);
                EXPECT_EQ(names, want);
            } else {
                EXPECT_EQ(names, expected);
            }
        };
        // A click on the header, as the user makes it.
        const QRect header(details->header()->sectionViewportPosition(c.column), 0,
                           details->header()->sectionSize(c.column), details->header()->height());
        QTest::mouseClick(details->header()->viewport(), Qt::LeftButton, {}, header.center());
        EXPECT_EQ(view.GetSortType(), c.firstCode);
        check(c.first);
        EXPECT_EQ(details->header()->sortIndicatorSection(), c.column);
        EXPECT_EQ(details->header()->sortIndicatorOrder(), Qt::DescendingOrder);
        view.OnColumnClick(c.column);
        EXPECT_EQ(view.GetSortType(), c.secondCode);
        check(c.second);
        EXPECT_EQ(details->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    }
}

TEST(FileView, RelistingKeepsTheSortButClearsTheDirections)
{
    CTavoDoc doc;
    CFileView view(&doc);
    const auto first = guitest::NewScratchFolder("relist-a");
    const auto second = guitest::NewScratchFolder("relist-b");
    MakeEntries(first, kSortEntries);
    MakeEntries(second, {{"small", false, 1}, {"large", false, 300}, {"medium", false, 20}});
    ShowLocal(view, first);
    view.OnColumnClick(1);  // size, descending
    ASSERT_EQ(view.GetSortType(), 11);

    ShowLocal(view, second);
    EXPECT_EQ(view.GetSortType(), 11);
    EXPECT_EQ(RowNames(view), (std::vector<std::string>{"large", "medium", "small"}));
    // The direction flag went with the listing: the next click is a first one.
    view.OnColumnClick(1);
    EXPECT_EQ(view.GetSortType(), 11);
    EXPECT_EQ(RowNames(view), (std::vector<std::string>{"large", "medium", "small"}));
    view.OnColumnClick(1);
    EXPECT_EQ(view.GetSortType(), 1);
    EXPECT_EQ(RowNames(view), (std::vector<std::string>{"small", "medium", "large"}));

    // Any other hint only repaints.
    view.OnUpdate(0, nullptr);
    view.OnUpdate(kHintLocalFolder, nullptr);
    EXPECT_EQ(view.GetItemCount(), 3);
}

TEST(FileView, FourViewModesShowTheSameRowsAndSelection)
{
    CTavoDoc doc;
    CFileView view(&doc);
    view.resize(600, 400);
    view.show();
    const auto folder = guitest::NewScratchFolder("modes");
    MakeEntries(folder, kSortEntries);
    ShowLocal(view, folder);
    ASSERT_TRUE(view.SelectItem("B.png"));
    QSignalSpy changed(&view, &CFileView::viewStyleChanged);

    struct Mode {
        CFileView::ViewStyle style;
        bool details;
        QListView::ViewMode listMode;
        QListView::Flow flow;
        int iconSize;
    };
    const Mode modes[] = {
        {CFileView::LargeIcons, false, QListView::IconMode, QListView::LeftToRight, 32},
        {CFileView::SmallIcons, false, QListView::ListMode, QListView::LeftToRight, 16},
        {CFileView::List, false, QListView::ListMode, QListView::TopToBottom, 16},
        {CFileView::Details, true, QListView::ListMode, QListView::TopToBottom, 0},
    };
    for (const Mode& mode : modes) {
        SCOPED_TRACE(static_cast<int>(mode.style));
        view.SetViewStyle(mode.style);
        EXPECT_EQ(view.GetViewStyle(), mode.style);
        QAbstractItemView* control = view.GetListCtrl();
        EXPECT_TRUE(control->isVisible());
        EXPECT_EQ(qobject_cast<QTreeView*>(control) != nullptr, mode.details);
        if (auto* list = qobject_cast<QListView*>(control)) {
            EXPECT_EQ(list->viewMode(), mode.listMode);
            EXPECT_EQ(list->flow(), mode.flow);
            EXPECT_EQ(list->iconSize(), QSize(mode.iconSize, mode.iconSize));
        }
        EXPECT_EQ(control->model()->rowCount(), 5);
        // The selection is one for all modes.
        ASSERT_NE(view.GetSelectedItem(), nullptr);
        EXPECT_EQ(view.GetSelectedItem()->m_strName, "B.png");
        // Hit tests find each row where the mode draws it, and a click
        // there selects that row for the commands.
        QTRY_VERIFY_WITH_TIMEOUT(control->visualRect(control->model()->index(4, 0)).isValid(), 5000);
        for (int row = 0; row < 5; ++row) {
            const QRect rect = control->visualRect(control->model()->index(row, 0));
            const QPoint point = control->viewport()->mapTo(&view, rect.center());
            EXPECT_EQ(view.HitTest(point), row);
            QTest::mouseClick(control->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
            ASSERT_NE(view.GetSelectedItem(), nullptr);
            EXPECT_EQ(view.GetSelectedItem(), view.GetItem(row));
        }
        ASSERT_TRUE(view.SelectItem("B.png"));
    }
    EXPECT_EQ(changed.count(), 4);
    // Outside the rows and outside the control.
    EXPECT_EQ(view.HitTest(QPoint(590, 390)), -1);
    EXPECT_EQ(view.HitTest(QPoint(-5, -5)), -1);
}

TEST(FileView, SmallIconsAndListShowWholeNamesOfTwentyFiveCharacters)
{
    CTavoDoc doc;
    CFileView view(&doc);
    view.resize(900, 400);
    view.show();
    const auto folder = guitest::NewScratchFolder("longnames");
    const std::string longName = "quarterly-report-2026.ods";
    MakeEntries(folder, {{"a", false, 1}, {longName, false, 1}});
    ShowLocal(view, folder);
    for (CFileView::ViewStyle style : {CFileView::SmallIcons, CFileView::List}) {
        SCOPED_TRACE(static_cast<int>(style));
        view.SetViewStyle(style);
        QAbstractItemView* control = view.GetListCtrl();
        const int row = view.GetModel()->FindName(longName);
        const QModelIndex index = control->model()->index(row, 0);
        QTRY_VERIFY_WITH_TIMEOUT(control->visualRect(index).isValid(), 5000);
        const int textWidth = control->fontMetrics().horizontalAdvance(QString::fromStdString(longName));
        EXPECT_GE(control->visualRect(index).width(), textWidth + 16);
    }
}

TEST(FileView, SelectionQueries)
{
    testbed::TestFtpServer server;
    MakeEntries(server.Root(), {{"remote.txt", false, 3}, {"remote-dir", true}});
    CTavoDoc doc;
    CFileView view(&doc);
    const auto folder = guitest::NewScratchFolder("select");
    MakeEntries(folder, {{"local.txt", false, 3}, {"local-dir", true}});
    ShowLocal(view, folder);

    {
        guitest::TraceCapture trace;
        EXPECT_EQ(view.GetSelectedItem(), nullptr);
        EXPECT_TRUE(trace.Has("CFileView.GetSelectedItem: No Item selected!"));
    }
    FileListItem copy;
    EXPECT_FALSE(view.GetSelectedItem2(copy));
    EXPECT_EQ(view.GetSelectedFileName(), "");
    EXPECT_FALSE(view.IsSelectedAFolder());
    EXPECT_FALSE(view.IsSelectedFtpItem());

    ASSERT_TRUE(view.SelectItem("local.txt"));
    EXPECT_EQ(view.GetSelectedFileName(), (folder / "local.txt").string());
    EXPECT_TRUE(view.GetSelectedItem2(copy));
    EXPECT_EQ(copy.m_strName, "local.txt");
    EXPECT_FALSE(view.IsSelectedAFolder());
    EXPECT_FALSE(view.IsSelectedFtpItem());
    EXPECT_FALSE(view.IsSelectedFtpTextFile());
    ASSERT_TRUE(view.SelectItem("local-dir"));
    EXPECT_TRUE(view.IsSelectedAFolder());

    CSession* session = guitest::LoginSession(doc, server);
    ASSERT_NE(session, nullptr);
    view.ShowFtpFolder(session->m_strName, session->GetFtpHandle(), "/");
    ASSERT_TRUE(view.SelectItem("remote.txt"));
    EXPECT_EQ(view.GetSelectedFileName(), "/remote.txt");
    EXPECT_TRUE(view.IsSelectedFtpItem());
    EXPECT_TRUE(view.IsSelectedFtpTextFile());
    EXPECT_FALSE(view.IsSelectedAFolder());
    ASSERT_TRUE(view.SelectItem("remote-dir"));
    EXPECT_TRUE(view.IsSelectedFtpItem());
    EXPECT_FALSE(view.IsSelectedFtpTextFile());
    EXPECT_TRUE(view.IsSelectedAFolder());
    EXPECT_FALSE(view.SelectItem("not-there"));

    // Several rows: the first in display order counts.
    view.GetListCtrl()->selectAll();
    EXPECT_EQ(view.GetSelectedItems().size(), 2u);
    EXPECT_EQ(view.GetSelectedItem()->m_strName, view.GetItem(0)->m_strName);
}
