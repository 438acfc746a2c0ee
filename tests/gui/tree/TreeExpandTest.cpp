// Opening server folders in the tree: one listing per opening, whatever the
// folder holds, and the expand button kept or dropped by what it showed.
#include "DriveView.h"

#include "FtpSession.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "TreeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

long CountSince(const std::vector<std::string>& commands, size_t from, const std::string& verb)
{
    return std::count_if(commands.begin() + static_cast<long>(std::min(from, commands.size())), commands.end(),
                         [&verb](const std::string& c) { return c.rfind(verb, 0) == 0; });
}

}  // namespace

TEST(TreeExpand, OneListingPerOpeningAndEmptyFoldersLoseTheirButton)
{
    treetest::ClearProfile();
    testbed::TestFtpServer server;
    char name[16];
    for (int i = 0; i < 300; ++i) {
        std::snprintf(name, sizeof name, "sub%03d", i);
        fs::create_directories(server.Root() / "many" / name);
    }
    fs::create_directories(server.Root() / "many" / "sub000" / "inner");

    CTavoDoc doc;
    {
        CDriveView tree(&doc, nullptr);
        std::string session = "expand";
        ASSERT_TRUE(doc.AddSession(session));
        ASSERT_EQ(g_GetSession(session)->Login(server.HostPort(), server.User(), server.Password(), "", false, true), 0);
        g_GetSession(session)->SetPwd();
        size_t mark = server.Commands().size();
        ASSERT_TRUE(tree.AddFtpServerToTree(session, false));
        QTreeWidgetItem* top = tree.topLevelItem(tree.topLevelItemCount() - 1);
        // The server item gets its button without a listing.
        EXPECT_EQ(CountSince(server.Commands(), mark, "MLSD"), 0);
        ASSERT_EQ(top->childCount(), 1);

        tree.expandItem(top);
        QTreeWidgetItem* many = tree.FindItem(top, "many");
        ASSERT_NE(many, nullptr);
        mark = server.Commands().size();
        tree.expandItem(many);
        EXPECT_EQ(CountSince(server.Commands(), mark, "MLSD"), 1);
        ASSERT_EQ(many->childCount(), 300);
        for (int i = 0; i < many->childCount(); ++i) {
            ASSERT_EQ(many->child(i)->childCount(), 1) << i;
            EXPECT_TRUE(CDriveView::IsPlaceholder(many->child(i)->child(0)));
        }

        // Read and found empty: no button any more. With subfolders: filled.
        QTreeWidgetItem* empty = tree.FindItem(many, "sub001");
        tree.expandItem(empty);
        EXPECT_EQ(empty->childCount(), 0);
        EXPECT_EQ(empty->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
        QTreeWidgetItem* full = tree.FindItem(many, "sub000");
        tree.expandItem(full);
        EXPECT_EQ(treetest::ChildLabels(full), (QStringList{"inner"}));

        // A listing that fails keeps the button, to try again.
        QTreeWidgetItem* refused = tree.FindItem(many, "sub002");
        server.FailCommand("MLSD", 1, 550);
        tree.expandItem(refused);
        ASSERT_EQ(refused->childCount(), 1);
        EXPECT_TRUE(CDriveView::IsPlaceholder(refused->child(0)));
        EXPECT_NE(refused->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);

        // Closing and opening again reads the folder once more, once.
        tree.collapseItem(many);
        ASSERT_EQ(many->childCount(), 1);
        mark = server.Commands().size();
        tree.expandItem(many);
        EXPECT_EQ(CountSince(server.Commands(), mark, "MLSD"), 1);
        EXPECT_EQ(many->childCount(), 300);
    }
    doc.OnCloseDocument();
}
