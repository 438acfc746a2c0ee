// Send To, file-type verbs, command ids and icons, on the desktop folders of
// the test program (a temporary $XDG_DATA_HOME with two applications for
// plain text, the first being the default).
#include "TavoDoc.h"

#include "GuiTestSupport.h"
#include "IconList.h"
#include "ShellGio.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class SendToTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = guitest::DataHome() / "Tavo" / "SendTo";
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path m_folder;
};

QStringList Texts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts << action->text();
    return texts;
}

}  // namespace

TEST_F(SendToTest, LaunchersAndLinksBecomeEntriesDocumentsUseUpAnId)
{
    guitest::WriteFile(m_folder / "editor.desktop",
                       "[Desktop Entry]\nType=Application\nName=Text Editor\nExec=true %f\n");
    fs::create_symlink("/bin/true", m_folder / "mailer");
    guitest::WriteFile(m_folder / "notes.txt", "just a document");
    fs::create_directories(m_folder / "a folder");

    CTavoDoc doc;
    QMenu menu;
    guitest::TraceCapture capture;
    doc.BuildSendToList(&menu);

    // In name order: editor.desktop 8194, mailer 8195, notes.txt 8196.
    EXPECT_EQ(Texts(menu), (QStringList{"Text Editor", "mailer"}));
    EXPECT_EQ(doc.GetLastCommandId(), 8196);
    const CMenuEntry* editor = doc.FindEntry(8194);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->m_strVerb, QStringLiteral("open"));
    EXPECT_EQ(editor->m_strText, QStringLiteral("Text Editor"));
    EXPECT_EQ(editor->m_strName, QStringLiteral("Text Editor"));
    EXPECT_EQ(editor->m_strCommand, QString::fromStdString((m_folder / "editor.desktop").string()));
    EXPECT_EQ(menu.actions().at(0)->data().toInt(), 8194);
    const CMenuEntry* mailer = doc.FindEntry(8195);
    ASSERT_NE(mailer, nullptr);
    EXPECT_EQ(mailer->m_strCommand, QString::fromStdString((m_folder / "mailer").string()));

    // The document used up 8196 but has no entry; ids outside the range
    // find nothing.
    EXPECT_EQ(doc.FindEntry(8196), nullptr);
    EXPECT_EQ(doc.FindEntry(8197), nullptr);
    EXPECT_EQ(doc.FindEntry(8193), nullptr);
    EXPECT_EQ(doc.FindEntry(8192), nullptr);

    EXPECT_TRUE(capture.Has("CTavoDoc::BuildSendToList: Creating SendTo menu items"));
    EXPECT_TRUE(capture.Has("CTavoDoc::BuildSendToList: displayname = Text Editor, typename = Application"));
    EXPECT_TRUE(capture.Has("CTavoDoc::BuildSendToList: displayname = mailer, typename = Shortcut"));
    EXPECT_TRUE(capture.Has("CTavoDoc::BuildSendToList: displayname = notes.txt, typename = "));
    EXPECT_TRUE(capture.Has("CTavoDoc::GetSpecialFolderLocation: Special folder for 9 = "));

    // A second build starts a new array; ids go on from the counter.
    QMenu again;
    doc.BuildSendToList(&again);
    EXPECT_EQ(doc.FindEntry(8194), nullptr);
    ASSERT_NE(doc.FindEntry(8197), nullptr);
    EXPECT_EQ(doc.FindEntry(8197)->m_strText, QStringLiteral("Text Editor"));
    EXPECT_EQ(doc.GetLastCommandId(), 8199);
}

TEST_F(SendToTest, MissingFolderLeavesTheMenuAlone)
{
    fs::remove_all(m_folder);
    CTavoDoc doc;
    EXPECT_TRUE(doc.GetSpecialFolderLocation(9).isEmpty());
    QMenu menu;
    menu.addAction(QStringLiteral("Empty"));
    doc.BuildSendToList(&menu);
    EXPECT_EQ(Texts(menu), QStringList{"Empty"});
    EXPECT_EQ(doc.GetLastCommandId(), 8193);
}

TEST(ContextMenu, FolderGetsOpenOnTop)
{
    CTavoDoc doc;
    QMenu menu;
    menu.addAction(QStringLiteral("&Properties"));
    doc.BuildContextMenu(&menu, QStringLiteral("/home/someone/Documents"), true);
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_EQ(menu.actions().at(0)->text(), QStringLiteral("&Open"));
    EXPECT_EQ(menu.actions().at(0)->data().toInt(), 32804);
}

TEST(ContextMenu, FileTypeVerbsAboveOpenAboveTheFixedItems)
{
    CTavoDoc doc;
    QMenu menu;
    menu.addAction(QStringLiteral("&Properties"));
    guitest::TraceCapture capture;
    doc.BuildContextMenu(&menu, QStringLiteral("/tmp/some folder/readme.txt"), false);

    const QStringList texts = Texts(menu);
    // The default application is "&Open"; the other registered ones are
    // inserted above it, and the fixed items stay below.
    const qsizetype open = texts.indexOf(QStringLiteral("&Open"));
    const qsizetype editor = texts.indexOf(QStringLiteral("Tavo Test Editor"));
    ASSERT_GE(open, 0) << texts.join(u'|').toStdString();
    ASSERT_GE(editor, 0) << texts.join(u'|').toStdString();
    EXPECT_LT(editor, open);
    EXPECT_EQ(texts.last(), QStringLiteral("&Properties"));
    EXPECT_EQ(texts.count(QStringLiteral("Tavo Test Viewer")), 0);

    const CMenuEntry* openEntry = doc.FindEntry(menu.actions().at(open)->data().toInt());
    ASSERT_NE(openEntry, nullptr);
    EXPECT_EQ(openEntry->m_strVerb, QStringLiteral("open"));
    EXPECT_TRUE(openEntry->m_strCommand.isEmpty());
    const CMenuEntry* editorEntry = doc.FindEntry(menu.actions().at(editor)->data().toInt());
    ASSERT_NE(editorEntry, nullptr);
    EXPECT_EQ(editorEntry->m_strVerb, QStringLiteral("tavo-test-editor.desktop"));
    EXPECT_EQ(editorEntry->m_strName, QStringLiteral("tavo-test-editor.desktop"));

    EXPECT_TRUE(capture.Has("CTavoDoc::BuildContextMenu: .txt filetype is text/plain"));
    EXPECT_TRUE(capture.Has("CTavoDoc::BuildContextMenu: 0) open"));
    EXPECT_TRUE(capture.Has("CTavoDoc::BuildContextMenu: default =  Tavo Test Editor"));
}

TEST(ContextMenu, NoExtensionOrUnknownTypeAddsNothing)
{
    CTavoDoc doc;
    for (const char* path : {"/tmp/Makefile", "/tmp/a.dir/README", "/tmp/data.zzqqx"}) {
        SCOPED_TRACE(path);
        QMenu menu;
        menu.addAction(QStringLiteral("&Properties"));
        doc.BuildContextMenu(&menu, QString::fromUtf8(path), false);
        EXPECT_EQ(Texts(menu), QStringList{"&Properties"});
    }
    EXPECT_EQ(doc.GetLastCommandId(), 8193);
}

TEST(ShellHelpers, IconIndexes)
{
    CTavoDoc doc;
    QString type;
    const auto folder = guitest::NewScratchFolder("icons");
    EXPECT_EQ(doc.GetIconIndex(QString::fromStdString(folder.string()), true, &type), CIconList::kFolder);
    EXPECT_EQ(type, QStringLiteral("File Folder"));

    // Files by their names alone: the file need not exist.
    const int text = doc.GetIconIndex(QStringLiteral("/nowhere/readme.txt"), false, &type);
    EXPECT_GT(text, 0);
    EXPECT_FALSE(type.isEmpty());
    EXPECT_EQ(doc.GetIconIndex(QStringLiteral("other.txt"), false), text);
    EXPECT_NE(doc.GetIconIndex(QStringLiteral("picture.png"), false), text);

    guitest::TraceCapture capture;
    EXPECT_EQ(doc.GetIconIndex(QStringLiteral("/no/such/folder"), true, &type), 0);
    EXPECT_EQ(doc.GetIconIndex(QStringLiteral("blob.zzqqx"), false, &type), 0);
    EXPECT_EQ(type, QStringLiteral("ZZQQX File"));
    EXPECT_TRUE(capture.Has("CTavoDoc::GetIconIndex: Icon index for /no/such/folder is not found. return 0"));
}

TEST(ShellHelpers, FileTitle)
{
    EXPECT_EQ(CTavoDoc::GetFileTitle(QStringLiteral("/home/user/notes.txt")), QStringLiteral("notes.txt"));
    EXPECT_EQ(CTavoDoc::GetFileTitle(QStringLiteral("notes.txt")), QStringLiteral("notes.txt"));
    EXPECT_EQ(CTavoDoc::GetFileTitle(QStringLiteral("/notes.txt")), QStringLiteral("/notes.txt"));
    EXPECT_EQ(CTavoDoc::GetFileTitle(QStringLiteral("/home/user/")), QString());
}

TEST(ShellHelpers, RunningOnAMissingFileFindsNothing)
{
    CTavoDoc doc;
    CMenuEntry open;
    open.m_strVerb = QStringLiteral("open");
    EXPECT_EQ(doc.RunEntry(open, QStringLiteral("/no/such/file.txt")), kShellFileNotFound);
    CMenuEntry sendTo;
    sendTo.m_strVerb = QStringLiteral("open");
    sendTo.m_strCommand = QStringLiteral("/no/such/launcher.desktop");
    EXPECT_EQ(doc.RunEntry(sendTo, QStringLiteral("/tmp/x")), kShellFileNotFound);
}
