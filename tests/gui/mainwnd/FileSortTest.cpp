// The sort rule of the file list, record against record, and a folder of
// 100,000 rows listed and sorted through the model.
#include "FileListModel.h"
#include "FileView.h"
#include "GuiTestSupport.h"
#include "TavoDoc.h"
#include "ViewsTestSupport.h"

#include <QItemSelectionModel>
#include <QTreeView>

#include <gtest/gtest.h>

#include <random>

namespace {

FileListItem Item(const std::string& name, bool folder, std::int64_t size = 0, const char* type = "",
                  std::time_t modified = 0)
{
    FileListItem item;
    item.m_strName = name;
    item.m_bIsDir = folder ? 1 : 0;
    item.m_nSize = size;
    item.m_strType = QString::fromUtf8(type);
    item.m_tModified = modified;
    return item;
}

int Sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

}  // namespace

TEST(FileSort, CompareItemsByCode)
{
    const std::int64_t gib = 1024LL * 1024 * 1024;
    struct Case {
        FileListItem a;
        FileListItem b;
        int code;
        int expected;  // sign
    };
    const Case cases[] = {
        // Name, without regard to case; folders first.
        {Item("apple", false), Item("Banana", false), 0, -1},
        {Item("APPLE", false), Item("apple", false), 0, 0},
        {Item("zeta", true), Item("alpha", false), 0, -1},
        {Item("Été", false), Item("été", false), 0, 0},
        {Item("abc", false), Item("abcd", false), 0, -1},
        // Size: compared, so sizes far apart (beyond 2 GiB) keep their order.
        {Item("a", false, 5), Item("b", false, 7), 1, -1},
        {Item("a", false, 5 * gib), Item("b", false, 1), 1, 1},
        {Item("a", false, 3 * gib), Item("b", false, 0), 1, 1},
        {Item("dir", true, 0), Item("file", false, 0), 1, -1},
        // Type: folders last; equal texts fall back to the names; texts
        // that differ only in case are equal and the names do not count.
        {Item("a", false, 0, "Text"), Item("b", false, 0, "Image"), 2, 1},
        {Item("b", false, 0, "Text"), Item("a", false, 0, "Text"), 2, 1},
        {Item("b", false, 0, "TEXT file"), Item("a", false, 0, "text file"), 2, 0},
        {Item("dir", true, 0, "File Folder"), Item("a", false, 0, "Text"), 2, 1},
        // Last modified: older first; folders last.
        {Item("a", false, 0, "", 100), Item("b", false, 0, "", 200), 3, -1},
        {Item("dir", true, 0, "", 1), Item("a", false, 0, "", 200), 3, 1},
        // 10-13: the records swapped, folder placement included.
        {Item("apple", false), Item("Banana", false), 10, 1},
        {Item("zeta", true), Item("alpha", false), 10, 1},
        {Item("a", false, 5 * gib), Item("b", false, 1), 11, -1},
        {Item("dir", true, 0, "File Folder"), Item("a", false, 0, "Text"), 12, -1},
        {Item("b", false, 0, "TEXT file"), Item("a", false, 0, "text file"), 12, 0},
        {Item("a", false, 0, "", 100), Item("b", false, 0, "", 200), 13, 1},
        {Item("dir", true, 0, "", 1), Item("a", false, 0, "", 200), 13, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a.m_strName + " / " + c.b.m_strName + " code " + std::to_string(c.code));
        EXPECT_EQ(Sign(CFileView::CompareItems(c.a, c.b, c.code)), c.expected);
    }
}

TEST(FileSort, HundredThousandRowsListAndSortThroughTheModel)
{
    constexpr int kRows = 100000;
    std::vector<FileListItem> items;
    std::vector<int> icons;
    std::mt19937 random(8);
    for (int i = 0; i < kRows; ++i) {
        const bool folder = i % 50 == 0;
        items.push_back(Item("entry-" + std::to_string(random() % 1000000) + "-" + std::to_string(i), folder,
                             folder ? 0 : static_cast<std::int64_t>(random() % 100000), folder ? "File Folder" : "Text",
                             static_cast<std::time_t>(1600000000 + random() % 100000000)));
        icons.push_back(0);
    }
    CTavoDoc doc;
    CFileView view(&doc);
    view.resize(500, 400);
    view.show();
    view.GetModel()->SetItems(std::move(items), std::move(icons));
    ASSERT_EQ(view.GetItemCount(), kRows);

    // One row is selected and current; it stays so through every sort.
    const std::string chosen = view.GetItem(12345)->m_strName;
    ASSERT_TRUE(view.SelectItem(chosen));

    for (int code : {0, 10, 1, 11, 2, 12, 3, 13}) {
        SCOPED_TRACE(code);
        view.SortItems(code);
        bool ordered = true;
        for (int row = 1; row < kRows && ordered; ++row)
            ordered = CFileView::CompareItems(*view.GetItem(row - 1), *view.GetItem(row), code) <= 0;
        EXPECT_TRUE(ordered);
        ASSERT_NE(view.GetSelectedItem(), nullptr);
        EXPECT_EQ(view.GetSelectedItem()->m_strName, chosen);
        EXPECT_EQ(view.GetSelectedItems().size(), 1u);
    }
    // Each mode takes the whole list.
    for (auto style : {CFileView::LargeIcons, CFileView::SmallIcons, CFileView::List, CFileView::Details}) {
        view.SetViewStyle(style);
        EXPECT_EQ(view.GetListCtrl()->model()->rowCount(), kRows);
    }
}
