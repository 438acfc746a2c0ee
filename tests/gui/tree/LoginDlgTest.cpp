// The login dialog and the server property sheets without a connection: what
// they load from stored profiles, when their buttons are enabled, and what
// they store.
#include "LoginDlg.h"

#include "GuiTestSupport.h"
#include "Login.h"
#include "Profile.h"
#include "PropSvr.h"
#include "ServerList.h"
#include "ServerPages.h"
#include "ScriptedPrompt.h"
#include "ServerProfile.h"
#include "TreeTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

class LoginDialog : public ::testing::Test {
protected:
    void SetUp() override { treetest::ClearProfile(); }

    static void Store(const std::string& server, const std::string& user, int osType, bool passive,
                      const std::string& dir)
    {
        CServerProfile profile;
        profile.m_strServer = server;
        profile.SetUser(user, user + "-pw");
        profile.m_iOStype = osType;
        profile.m_bPassive = passive ? 1 : 0;
        profile.m_strNewDir = dir;
        profile.SaveAll();
    }

    static void LeaveServerBox(CLoginDlg& dialog)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(dialog.ServerBox()->lineEdit(), &out);
    }
};

}  // namespace

TEST_F(LoginDialog, ButtonsNeedAServerName)
{
    CLoginDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("FTP Login Information"));
    EXPECT_TRUE(dialog.ServerBox()->currentText().isEmpty());
    EXPECT_FALSE(dialog.LoginButton()->isEnabled());
    EXPECT_FALSE(dialog.PropertiesButton()->isEnabled());
    // Defaults: Unix, masked passwords.
    EXPECT_TRUE(dialog.OsTypeButton(1)->isChecked());
    EXPECT_EQ(dialog.PasswordEdit()->echoMode(), QLineEdit::Password);

    dialog.ServerBox()->setEditText(QStringLiteral("ftp.example.org"));
    EXPECT_TRUE(dialog.LoginButton()->isEnabled());
    EXPECT_TRUE(dialog.PropertiesButton()->isEnabled());
    dialog.ServerBox()->setEditText(QStringLiteral("   "));
    EXPECT_FALSE(dialog.LoginButton()->isEnabled());

    dialog.ShowPasswordBox()->click();
    EXPECT_EQ(dialog.PasswordEdit()->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(dialog.GatePasswordEdit()->echoMode(), QLineEdit::Normal);
    dialog.ShowPasswordBox()->click();
    EXPECT_EQ(dialog.GatePasswordEdit()->echoMode(), QLineEdit::Password);
}

TEST_F(LoginDialog, StoredServersFillTheFields)
{
    Store("alpha.example", "ann", 2, true, "/pub");
    Store("beta.example", "bob", 3, false, "");
    // The last one saved comes up first.
    guitest::TraceCapture capture;
    CLoginDlg dialog;
    EXPECT_EQ(dialog.ServerBox()->count(), 2);
    EXPECT_EQ(dialog.ServerBox()->currentText(), QStringLiteral("beta.example"));
    EXPECT_EQ(dialog.UserEdit()->text(), QStringLiteral("bob"));
    EXPECT_EQ(dialog.PasswordEdit()->text(), QStringLiteral("bob-pw"));
    EXPECT_TRUE(dialog.OsTypeButton(3)->isChecked());
    EXPECT_TRUE(capture.Has("LoadProfile: 2 servers loaded"));

    // Choosing from the list.
    emit dialog.ServerBox()->activated(0);
    EXPECT_TRUE(capture.Has("OnSelchange: m_strServer = alpha.example"));
    EXPECT_EQ(dialog.UserEdit()->text(), QStringLiteral("ann"));
    EXPECT_EQ(dialog.InitialDirEdit()->text(), QStringLiteral("/pub"));
    EXPECT_TRUE(dialog.OsTypeButton(2)->isChecked());

    // Typing an unknown name keeps what is there; a stored one loads it.
    dialog.ServerBox()->setEditText(QStringLiteral("unknown.example"));
    LeaveServerBox(dialog);
    EXPECT_TRUE(capture.Has("OnKillfocusFTPServer: m_strServer = unknown.example"));
    EXPECT_EQ(dialog.UserEdit()->text(), QStringLiteral("ann"));
    dialog.ServerBox()->setEditText(QStringLiteral("beta.example"));
    LeaveServerBox(dialog);
    EXPECT_EQ(dialog.UserEdit()->text(), QStringLiteral("bob"));
    EXPECT_TRUE(dialog.OsTypeButton(3)->isChecked());
}

TEST_F(LoginDialog, LoginHandsOnTheDialogsValuesWithoutStoringThem)
{
    CLoginDlg dialog;
    dialog.ServerBox()->setEditText(QStringLiteral("gamma.example"));
    dialog.UserEdit()->setText(QStringLiteral("gus"));
    dialog.PasswordEdit()->setText(QStringLiteral(" secret with blanks "));
    dialog.GateServerEdit()->setText(QStringLiteral("fw.example"));
    dialog.GateUserEdit()->setText(QStringLiteral("fwuser"));
    dialog.GatePasswordEdit()->setText(QStringLiteral("fwpass"));
    dialog.InitialDirEdit()->setText(QStringLiteral("/incoming"));
    dialog.OsTypeButton(0)->click();  // "Don't know"
    dialog.LoginButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    const CServerProfile& profile = dialog.Profile();
    EXPECT_EQ(profile.m_strServer, "gamma.example");
    EXPECT_EQ(profile.m_strUser, "gus");
    EXPECT_EQ(profile.m_strPass, " secret with blanks ");
    EXPECT_EQ(profile.m_strGateServer, "fw.example");
    EXPECT_EQ(profile.m_strGateUser, "fwuser");
    EXPECT_EQ(profile.m_strGatePass, "fwpass");
    EXPECT_EQ(profile.m_strNewDir, "/incoming");
    EXPECT_EQ(profile.m_iOStype, 0);
    // Stored only once a login with it has worked.
    EXPECT_FALSE(IsInServerList("gamma.example"));
}

TEST_F(LoginDialog, PropertiesEditTheProfileBeforeLogin)
{
    CLoginDlg dialog;
    dialog.ServerBox()->setEditText(QStringLiteral("delta.example"));
    auto answered = treetest::AnswerModal<CLogin>([](CLogin* sheet) {
        EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Server Properties"));
        ASSERT_EQ(sheet->Tabs()->count(), 2);
        EXPECT_EQ(sheet->Tabs()->tabText(0), QStringLiteral("Data Transfer"));
        EXPECT_EQ(sheet->Tabs()->tabText(1), QStringLiteral("General"));
        EXPECT_EQ(sheet->Page2()->PortBox()->value(), 21);  // no other port stored
        // A new server is passive.
        EXPECT_TRUE(sheet->Page1()->PassiveButton()->isChecked());
        EXPECT_FALSE(sheet->Page1()->DataPortEdit()->isEnabled());
        sheet->Page1()->ActiveButton()->click();
        EXPECT_TRUE(sheet->Page1()->DataPortEdit()->isEnabled());
        sheet->Page2()->OtherPortBox()->click();
        sheet->Page2()->PortBox()->setValue(2121);
        sheet->Page2()->AutoConnectBox()->click();
        sheet->accept();
    });
    dialog.PropertiesButton()->click();
    EXPECT_TRUE(*answered);
    EXPECT_EQ(GetProfileInt("delta.example", "OtherFtpPort", 0), 1);
    EXPECT_EQ(GetProfileInt("delta.example", "FtpPort", 0), 2121);
    EXPECT_EQ(GetProfileInt("delta.example", "AutoConnect", 0), 1);
    // The active choice comes back into the dialog and goes on with Login.
    dialog.LoginButton()->click();
    EXPECT_EQ(dialog.Profile().m_bPassive, 0);
    EXPECT_EQ(dialog.Profile().m_bOtherPort, 1);
    EXPECT_EQ(dialog.Profile().m_nFtpPort, 2121);
}

TEST_F(LoginDialog, ServerSheetWithoutSessionStoresOnlyChanges)
{
    {
        CServerProfile profile;
        profile.m_strServer = "eps.example";
        profile.SetUser("eve", "pw");
        profile.SaveAll();
    }
    CPropSvr sheet("eps.example", 0, nullptr);
    ASSERT_EQ(sheet.Tabs()->count(), 5);
    const QStringList titles = {"Connection", "Details", "OS Type", "Data Transfer", "General"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(sheet.Tabs()->tabText(i), titles[i]);
    EXPECT_TRUE(sheet.OsTypePage()->OsTypeButton(1)->isChecked());
    EXPECT_FALSE(sheet.OsTypePage()->IsModified());
    // Clicking the type that is set already changes nothing.
    sheet.OsTypePage()->OsTypeButton(1)->click();
    EXPECT_FALSE(sheet.OsTypePage()->IsModified());
    sheet.OsTypePage()->OsTypeButton(4)->click();
    EXPECT_TRUE(sheet.OsTypePage()->OsTypeButton(4)->isChecked());
    EXPECT_TRUE(sheet.OsTypePage()->IsModified());
    EXPECT_EQ(sheet.Profile().m_bModified, 1);
    // The mode stays; a new data port alone is not stored.
    sheet.DataTransferPage()->DataPortEdit()->setText(QStringLiteral("5000"));
    sheet.GeneralPage()->IntervalBox()->setValue(9);  // keep-alive is off: not stored
    sheet.accept();
    EXPECT_EQ(GetProfileInt("eps.example", "OSType", -1), 4);
    EXPECT_EQ(GetProfileInt("eps.example", "DataPort", -1), 0);
    EXPECT_EQ(GetProfileInt("eps.example", "ALiveInterval", 4), 4);
}

TEST_F(LoginDialog, StoredServersAreDeletedAndRenamed)
{
    Store("alpha.example", "ann", 2, true, "/a");
    Store("beta.example", "bob", 3, false, "/b");
    Store("gamma.example", "gus", 4, false, "/g");
    CLoginDlg dialog;
    CScriptedPrompt prompt;
    dialog.ServerBox()->setEditText(QStringLiteral("new.example"));
    EXPECT_FALSE(dialog.DeleteButton()->isEnabled());

    // Delete asks; No keeps the server.
    dialog.ServerBox()->setCurrentIndex(1);
    emit dialog.ServerBox()->activated(1);
    dialog.DeleteButton()->click();
    ASSERT_EQ(prompt.Requests().size(), 1u);
    EXPECT_EQ(prompt.Requests()[0].text, QStringLiteral("Delete beta.example from the server list?"));
    EXPECT_TRUE(IsInServerList("beta.example"));
    // Yes removes it with its stored values; the list stays unbroken and
    // the next server comes up.
    prompt.QueueYesNo(true);
    dialog.DeleteButton()->click();
    EXPECT_EQ(GetServerList(), (std::vector<std::string>{"alpha.example", "gamma.example"}));
    EXPECT_EQ(GetProfileString("beta.example", "Passwd", "none"), "none");
    EXPECT_EQ(dialog.ServerBox()->count(), 2);
    EXPECT_EQ(dialog.ServerBox()->currentText(), QStringLiteral("gamma.example"));
    EXPECT_EQ(dialog.UserEdit()->text(), QStringLiteral("gus"));

    // Rename refuses an empty name and one that is taken, with a stop box.
    prompt.QueueText(QStringLiteral("  "));
    prompt.QueueText(QStringLiteral("alpha.example"));
    dialog.RenameButton()->click();
    dialog.RenameButton()->click();
    ASSERT_EQ(prompt.Requests().size(), 6u);
    EXPECT_EQ(prompt.Requests()[3].kind, PromptKind::Stop);
    EXPECT_EQ(prompt.Requests()[3].text, QStringLiteral("A server needs a name."));
    EXPECT_EQ(prompt.Requests()[5].text, QStringLiteral("alpha.example is in the server list already."));
    EXPECT_EQ(GetServerList(), (std::vector<std::string>{"alpha.example", "gamma.example"}));
    // A new name takes the slot and every value, the password included.
    prompt.QueueText(QStringLiteral("delta.example"));
    dialog.RenameButton()->click();
    EXPECT_EQ(GetServerList(), (std::vector<std::string>{"alpha.example", "delta.example"}));
    EXPECT_EQ(GetProfileString("ServerList", "LastAccess", ""), "delta.example");
    EXPECT_EQ(GetProfileString("gamma.example", "Userid", "none"), "none");
    const CServerProfile moved("delta.example");
    EXPECT_EQ(moved.m_strUser, "gus");
    EXPECT_EQ(moved.m_strPass, "gus-pw");
    EXPECT_EQ(moved.m_iOStype, 4);
    EXPECT_EQ(moved.m_bPassive, 0);
    EXPECT_EQ(moved.m_strNewDir, "/g");
    dialog.LoginButton()->click();
    EXPECT_EQ(dialog.Profile().m_strServer, "delta.example");
}
