// The preferences sheet on a clean profile: the prompt boxes that follow the
// unique-name modes, what OK, Apply and Cancel store, and the ASCII pattern
// list as transfers see it afterwards.
#include "Preference.h"

#include "GuiTestSupport.h"
#include "Profile.h"
#include "Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Values = std::array<int, 5>;  // show status, local prompt, local unique, remote prompt, remote unique

class Preference : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings(QString::fromLatin1(kProfileCompany), QString::fromLatin1(kProfileApplication)).clear();
        g_Settings = CSettings();
    }

    static void StorePatterns(const std::vector<std::string>& patterns)
    {
        WriteProfileInt(kSectionAsciiExt, "Count", static_cast<int>(patterns.size()));
        for (size_t i = 0; i < patterns.size(); ++i)
            WriteProfileString(kSectionAsciiExt, "Ext" + std::to_string(i), patterns[i]);
    }
};

Values AsArray(const SettingsValues& v)
{
    return {v.showStatus, v.localPrompt, v.localUnique, v.remotePrompt, v.remoteUnique};
}

// Runs `answer` on the next modal dialog of type T once the code under test
// waits in it; polled for, never waited for by time.
template <typename T>
void AnswerModal(std::function<void(T*)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            answer(dialog);
        }
    });
    timer->start();
}

// "&Add", answered with `typed` and Save (or Cancel).
void Add(CPage2* page, const QString& typed, bool save = true)
{
    AnswerModal<CEditFileType>([typed, save](CEditFileType* dialog) {
        EXPECT_EQ(dialog->objectName(), QStringLiteral("EDIT FILE TYPE"));
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Add New File Extension"));
        dialog->FileTypeEdit()->setText(typed);
        (save ? dialog->SaveButton() : dialog->CancelButton())->click();
    });
    page->AddButton()->click();
}

}  // namespace

TEST_F(Preference, PromptBoxesFollowUniqueModesAndOkApplyStoreAllFive)
{
    enum Close { Ok, Apply, Cancel };
    // Together the storing rows tell every box from every other, so no value
    // can land in another's place unseen.
    const struct {
        Close close;
        Values start, wanted;
    } cases[] = {
        {Ok, {1, 0, 0, 0, 0}, {0, 1, 1, 1, 1}},
        {Apply, {0, 1, 0, 1, 0}, {1, 0, 1, 0, 1}},
        {Ok, {0, 1, 1, 1, 0}, {1, 1, 0, 0, 1}},
        {Cancel, {0, 1, 1, 1, 1}, {1, 1, 0, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.close);
        g_Settings.SaveSettings(c.start[0], c.start[1], c.start[2], c.start[3], c.start[4]);
        CPreference sheet;
        sheet.LoadPages();
        CPage1* page = sheet.GeneralPage();
        const auto expectGreyed = [page](const Values& values) {
            EXPECT_EQ(page->LocalPromptBox()->isEnabled(), values[2] == 0);
            EXPECT_EQ(page->RemotePromptBox()->isEnabled(), values[4] == 0);
        };
        expectGreyed(c.start);
        EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
        // Each prompt before its unique mode, which greys it.
        const std::pair<int, QCheckBox*> boxes[] = {{0, page->ShowStatusBox()},   {1, page->LocalPromptBox()},
                                                    {3, page->RemotePromptBox()}, {2, page->LocalUniqueBox()},
                                                    {4, page->RemoteUniqueBox()}};
        for (const auto& [index, box] : boxes) {
            if (c.start[index] != c.wanted[index])
                box->click();
        }
        expectGreyed(c.wanted);
        EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
        (c.close == Ok ? sheet.OkButton() : c.close == Apply ? sheet.ApplyButton() : sheet.CancelButton())->click();

        const Values& expected = c.close == Cancel ? c.start : c.wanted;
        CSettings stored;
        stored.Load();
        EXPECT_EQ(AsArray(stored.GetSettings()), expected);
        EXPECT_EQ(AsArray(g_Settings.GetSettings()), expected);
        EXPECT_EQ(sheet.result(), c.close == Ok ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(sheet.ApplyButton()->isEnabled(), c.close != Apply);
    }
}

TEST_F(Preference, AddedPatternsAreStrippedUniqueSortedAndUsedAtOnce)
{
    StorePatterns({"Makefile", "*.txt"});
    g_Settings.Load();
    CPreference sheet;
    sheet.LoadPages();
    CPage2* page = sheet.AsciiPage();
    EXPECT_EQ(page->Patterns(), (QStringList{"*.txt", "Makefile"}));

    // One step after the other on the same list; Apply comes on with the
    // first real change.
    const struct {
        const char* typed;
        bool save;
        QStringList after;
    } steps[] = {
        {"*.TXT", true, {"*.txt", "Makefile"}},
        {"makefile", true, {"*.txt", "Makefile"}},
        {"   ", true, {"*.txt", "Makefile"}},
        {"*.log", false, {"*.txt", "Makefile"}},
        {"  *.c ", true, {"*.c ", "*.txt", "Makefile"}},
        {"b.log", true, {"*.c ", "*.txt", "b.log", "Makefile"}},
        {"*.log", true, {"*.c ", "*.log", "*.txt", "b.log", "Makefile"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.typed);
        Add(page, QString::fromUtf8(step.typed), step.save);
        EXPECT_EQ(page->Patterns(), step.after);
        EXPECT_EQ(sheet.ApplyButton()->isEnabled(), step.after.size() > 2);
    }
    EXPECT_FALSE(g_Settings.IsAsciiFileType("a.log"));
    sheet.OkButton()->click();
    EXPECT_EQ(GetProfileString(kSectionAsciiExt, "Ext0", ""), "*.c ");
    EXPECT_TRUE(g_Settings.IsAsciiFileType("a.log"));
    EXPECT_EQ(CEditFileType().windowTitle(), QStringLiteral("Edit File Extension"));
}

TEST_F(Preference, RemovingEveryPatternLeavesNoAsciiFile)
{
    StorePatterns({"*.txt", "*.htm"});
    g_Settings.Load();
    CPreference sheet;
    sheet.LoadPages();
    QListWidget* list = sheet.AsciiPage()->List();
    // A current line that is not selected stays.
    list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    sheet.AsciiPage()->RemoveButton()->click();
    EXPECT_EQ(list->count(), 2);
    while (list->count() > 0) {
        list->item(0)->setSelected(true);
        sheet.AsciiPage()->RemoveButton()->click();
        EXPECT_TRUE(list->selectedItems().isEmpty());
    }
    guitest::TraceCapture capture;
    sheet.OkButton()->click();
    EXPECT_EQ(GetProfileInt(kSectionAsciiExt, "Count", -1), 0);
    EXPECT_TRUE(capture.Has("CPage2::SaveExt: Count = 0"));
    EXPECT_FALSE(g_Settings.IsAsciiFileType("a.txt"));
}

TEST_F(Preference, EachShowingStartsFromWhatIsStored)
{
    StorePatterns({"*.txt"});
    g_Settings.Load();
    CPreference sheet;
    AnswerModal<CPreference>([](CPreference* shown) {
        EXPECT_EQ(shown->windowTitle(), QStringLiteral("FTP Preferences"));
        EXPECT_EQ(shown->Tabs()->tabText(1), QStringLiteral("Set Ascii File Type"));
        shown->GeneralPage()->ShowStatusBox()->click();
        Add(shown->AsciiPage(), QStringLiteral("*.ini"));
        shown->Tabs()->setCurrentIndex(1);
        shown->CancelButton()->click();
    });
    EXPECT_EQ(sheet.DoModal(), QDialog::Rejected);

    // Stored meanwhile; the second showing reads that, not what the first
    // one left in its boxes.
    StorePatterns({"*.txt", "*.h"});
    g_Settings.SaveSettings(1, 0, 1, 0, 1);
    guitest::TraceCapture capture;
    AnswerModal<CPreference>([](CPreference* shown) {
        EXPECT_EQ(shown->Tabs()->currentIndex(), 0);
        EXPECT_TRUE(shown->GeneralPage()->ShowStatusBox()->isChecked());
        EXPECT_FALSE(shown->GeneralPage()->RemotePromptBox()->isEnabled());
        EXPECT_EQ(shown->AsciiPage()->Patterns(), (QStringList{"*.h", "*.txt"}));
        EXPECT_FALSE(shown->ApplyButton()->isEnabled());
        shown->OkButton()->click();
    });
    EXPECT_EQ(sheet.DoModal(), QDialog::Accepted);
    EXPECT_TRUE(capture.Has("CPage2::OnInitDialog: Count = 2"));
    EXPECT_TRUE(capture.Has("CPage2::OnInitDialog: Ext1 = *.h"));
    EXPECT_TRUE(capture.Has("CPage2::SaveExt: Ext0 = *.h"));
}
