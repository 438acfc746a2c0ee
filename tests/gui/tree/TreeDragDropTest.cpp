// The tree as a drag source and a drop target, against two test-bed servers
// and a local folder: what lands where, byte for byte, copy or move by key
// and by place, refusals, and folders opening under a hovering drag.
#include "DriveView.h"

#include "GuiTestSupport.h"
#include "OleDS.h"
#include "ScriptedPrompt.h"
#include "Settings.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "TreeTestSupport.h"

#include <QDrag>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using guitest::ReadFile;
using guitest::WriteFile;

namespace {

const std::string kBig(150000, 'x');

class TreeDragDrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        treetest::ClearProfile();
        g_Settings.m_bLocalUnique = g_Settings.m_bLocalPrompt = 0;
        g_Settings.m_bRemoteUnique = g_Settings.m_bRemotePrompt = 0;
        m_local = guitest::NewScratchFolder("treedd");
        WriteFile(m_local / "alpha" / "a.bin", kBig + "a");
        WriteFile(m_local / "alpha" / "sub" / "s.txt", "s");
        fs::create_directories(m_local / "beta");
        WriteFile(m_one.Root() / "docs" / "inner" / "d.bin", kBig + "d");
        fs::create_directories(m_one.Root() / "pub");
        fs::create_directories(guitest::DataHome() / "Trash");
        m_tree.resize(400, 900);
        m_tree.show();
        ASSERT_TRUE(m_tree.AddDrive(m_local.string(), DriveKind::Fixed));
        ASSERT_TRUE(m_tree.AddDrive(guitest::DataHome().string(), DriveKind::Fixed));
        for (auto [server, name] : {std::pair{&m_one, "one"}, std::pair{&m_two, "two"}}) {
            ASSERT_NE(guitest::LoginSession(m_doc, *server, name), nullptr);
            ASSERT_TRUE(m_tree.AddFtpServerToTree(name, false));
        }
    }
    void TearDown() override { m_doc.OnCloseDocument(); }

    // A folder below a place ("local", "data", "one", "two"), opened as the user opens it.
    QTreeWidgetItem* Item(const std::string& place, const std::vector<std::string>& path = {})
    {
        const int top = place == "local" ? 0 : place == "data" ? 1 : place == "one" ? 2 : 3;
        QTreeWidgetItem* item = m_tree.topLevelItem(top);
        for (const std::string& name : path) {
            if (!item)
                return nullptr;
            if (!item->isExpanded())
                m_tree.expandItem(item);
            item = m_tree.FindItem(item, name);
        }
        return item;
    }
    QPoint At(QTreeWidgetItem* item)
    {
        m_tree.scrollToItem(item);
        return m_tree.visualItemRect(item).center();
    }
    // Drags `item`; `drop` runs where the drag loop would and gives its effect.
    Qt::DropAction Drag(QTreeWidgetItem* item, std::function<Qt::DropAction(const QMimeData*)> drop)
    {
        Qt::DropAction done = Qt::IgnoreAction;
        m_tree.SetDragLoop([&](QDrag& drag) { return done = drop(drag.mimeData()); });
        m_tree.OnBegindrag(item);
        return done;
    }

    CScriptedPrompt m_prompt;
    testbed::TestFtpServer m_one;
    testbed::TestFtpServer m_two;
    CTavoDoc m_doc;
    CDriveView m_tree{&m_doc, nullptr};
    fs::path m_local;
};

QMimeData* FileManagerData(const std::vector<fs::path>& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QByteArray gnome = "copy";
    for (const fs::path& path : paths) {
        urls << QUrl::fromLocalFile(QString::fromStdString(path.string()));
        gnome += "\n" + urls.back().toEncoded();
    }
    data->setUrls(urls);
    data->setData("x-special/gnome-copied-files", gnome);
    return data;
}

}  // namespace

TEST_F(TreeDragDrop, FilesFromAFileManagerLandOnTheServerFolder)
{
    std::unique_ptr<QMimeData> data(FileManagerData({m_local / "alpha" / "a.bin", m_local / "alpha" / "sub"}));
    QTreeWidgetItem* pub = Item("one", {"pub"});
    EXPECT_EQ(m_tree.OnDragOver(data.get(), Qt::NoModifier, At(pub)), Qt::CopyAction);
    EXPECT_EQ(m_tree.GetDropItem(), pub);
    EXPECT_EQ(m_tree.OnDrop(data.get(), Qt::NoModifier, At(pub)), Qt::CopyAction);
    EXPECT_EQ(m_tree.GetDropItem(), nullptr);
    EXPECT_EQ(ReadFile(m_one.Root() / "pub" / "a.bin"), kBig + "a");
    EXPECT_EQ(ReadFile(m_one.Root() / "pub" / "sub" / "s.txt"), "s");
    EXPECT_TRUE(fs::exists(m_local / "alpha" / "a.bin"));
}

TEST_F(TreeDragDrop, ServerFolderDraggedToALocalFolderAndToTheOtherServer)
{
    QTreeWidgetItem* docs = Item("one", {"docs"});
    for (QTreeWidgetItem* target : {Item("local", {"beta"}), Item("two")}) {
        EXPECT_EQ(Drag(docs,
                       [&](const QMimeData* data) {
                           EXPECT_TRUE(m_doc.m_bDragging);
                           EXPECT_EQ(m_tree.OnDragEnter(data, Qt::NoModifier, At(target)), Qt::CopyAction);
                           return m_tree.OnDrop(data, Qt::NoModifier, At(target));
                       }),
                  Qt::CopyAction);
        EXPECT_FALSE(m_doc.m_bDragging);
    }
    EXPECT_EQ(ReadFile(m_local / "beta" / "docs" / "inner" / "d.bin"), kBig + "d");
    EXPECT_EQ(ReadFile(m_two.Root() / "docs" / "inner" / "d.bin"), kBig + "d");
    EXPECT_TRUE(fs::exists(m_one.Root() / "docs" / "inner" / "d.bin"));
    EXPECT_EQ(Item("one", {"docs"}), docs);  // a copy leaves the item
}

TEST_F(TreeDragDrop, CopyOrMoveByKeyAndPlace)
{
    struct Case {
        const char* dragged;  // "local" alpha, "one" docs, or "" for a file manager's list
        const char* place;
        std::vector<std::string> over;
        Qt::KeyboardModifiers keys;
        Qt::DropAction effect;
    };
    const std::vector<Case> cases = {
        {"local", "local", {"beta"}, Qt::NoModifier, Qt::MoveAction},
        {"local", "local", {"beta"}, Qt::ControlModifier, Qt::CopyAction},
        {"local", "one", {}, Qt::NoModifier, Qt::CopyAction},
        {"local", "local", {"alpha"}, Qt::NoModifier, Qt::IgnoreAction},
        {"local", "data", {"Trash"}, Qt::ControlModifier, Qt::MoveAction},
        {"one", "one", {"pub"}, Qt::NoModifier, Qt::MoveAction},
        {"one", "two", {}, Qt::NoModifier, Qt::CopyAction},
        {"one", "data", {"Trash"}, Qt::NoModifier, Qt::IgnoreAction},
        {"", "local", {"beta"}, Qt::NoModifier, Qt::MoveAction},
        {"", "local", {"beta"}, Qt::ControlModifier, Qt::CopyAction},
        {"", "two", {}, Qt::NoModifier, Qt::CopyAction},
    };
    m_tree.setCurrentItem(Item("local"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dragged) + " over " + c.place);
        QTreeWidgetItem* over = Item(c.place, c.over);
        ASSERT_NE(over, nullptr);
        if (*c.dragged) {
            QTreeWidgetItem* dragged = *c.dragged == 'l' ? Item("local", {"alpha"}) : Item("one", {"docs"});
            Drag(dragged, [&](const QMimeData* data) {
                EXPECT_EQ(m_tree.OnDragOver(data, c.keys, At(over)), c.effect);
                return Qt::IgnoreAction;
            });
        } else {
            std::unique_ptr<QMimeData> data(FileManagerData({m_local / "alpha" / "a.bin"}));
            EXPECT_EQ(m_tree.OnDragOver(data.get(), c.keys, At(over)), c.effect);
        }
    }
    QMimeData text;
    text.setText("not files");
    EXPECT_EQ(m_tree.OnDragOver(&text, Qt::NoModifier, At(Item("local", {"beta"}))), Qt::IgnoreAction);
    EXPECT_TRUE(m_prompt.Requests().empty());
}

TEST_F(TreeDragDrop, MovedFolderLeavesTheTreeAndNothingGoesIntoItself)
{
    QTreeWidgetItem* alpha = Item("local", {"alpha"});
    QTreeWidgetItem* sub = Item("local", {"alpha", "sub"});
    EXPECT_EQ(Drag(alpha, [&](const QMimeData* data) { return m_tree.OnDrop(data, Qt::NoModifier, At(sub)); }),
              Qt::IgnoreAction);
    ASSERT_EQ(m_prompt.Requests().size(), 1u);
    EXPECT_EQ(m_prompt.Requests()[0].kind, PromptKind::Stop);
    EXPECT_TRUE(m_prompt.Requests()[0].text.contains("subfolder"));
    EXPECT_TRUE(fs::exists(m_local / "alpha" / "sub" / "s.txt"));

    QTreeWidgetItem* beta = Item("local", {"beta"});
    EXPECT_EQ(Drag(alpha, [&](const QMimeData* data) { return m_tree.OnDrop(data, Qt::NoModifier, At(beta)); }),
              Qt::MoveAction);
    EXPECT_EQ(ReadFile(m_local / "beta" / "alpha" / "a.bin"), kBig + "a");
    EXPECT_FALSE(fs::exists(m_local / "alpha"));
    EXPECT_EQ(treetest::ChildLabels(Item("local")), (QStringList{"beta"}));

    // Another program that took the folder reports a move: the item goes too.
    QTreeWidgetItem* moved = Item("local", {"beta", "alpha"});
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(Drag(moved, [](const QMimeData*) { return Qt::MoveAction; }), Qt::MoveAction);
    EXPECT_EQ(m_tree.FindItem(Item("local", {"beta"}), "alpha"), nullptr);
}

TEST_F(TreeDragDrop, LocalFilesGoToTheTrashAndFoldersOpenUnderAHoveringDrag)
{
    WriteFile(m_local / "dd-trashed.txt", "bye");
    std::unique_ptr<QMimeData> data(FileManagerData({m_local / "dd-trashed.txt"}));
    m_prompt.QueueYesNo(true);
    EXPECT_EQ(m_tree.OnDrop(data.get(), Qt::NoModifier, At(Item("data", {"Trash"}))), Qt::MoveAction);
    EXPECT_EQ(ReadFile(guitest::DataHome() / "Trash" / "files" / "dd-trashed.txt"), "bye");
    EXPECT_TRUE(fs::exists(guitest::DataHome() / "Trash" / "info" / "dd-trashed.txt.trashinfo"));

    QTreeWidgetItem* docs = Item("one", {"docs"});
    m_tree.collapseItem(docs);
    m_tree.m_nExpandDelay = 0;
    m_tree.OnDragOver(data.get(), Qt::NoModifier, At(docs));
    QTest::qWait(100);
    EXPECT_FALSE(docs->isExpanded());
    m_tree.OnDragLeave();
    m_tree.m_nExpandDelay = 30;
    m_tree.OnDragOver(data.get(), Qt::NoModifier, At(docs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return docs->isExpanded(); }, 5000));
    EXPECT_EQ(treetest::ChildLabels(docs), (QStringList{"inner"}));
}
