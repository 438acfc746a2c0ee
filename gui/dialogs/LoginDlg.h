// CLoginDlg: "FTP Login Information", the modal dialog of a new login. It
// offers the stored servers, fills its fields from the profile of the one
// chosen, and on "&Login" stores what it holds as that server's profile.
// "&Properties" edits the rest of the profile in the "Server Properties"
// sheet. "&Delete" and "Re&name..." beside the server box remove or rename
// the stored server named there.
#pragma once

#include "ServerProfile.h"

#include <QDialog>

#include <string>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class CLogin;

class CLoginDlg : public QDialog {
    Q_OBJECT

public:
    explicit CLoginDlg(QWidget* parent = nullptr);
    ~CLoginDlg() override;

    // Fills the server box from the server list and selects "LastAccess".
    void LoadProfile();
    // The values of the dialog, as "&Login" stored them.
    const CServerProfile& Profile() const { return m_profile; }

    // The controls, for the folder tree's tests and for accessibility tools.
    QComboBox* ServerBox() const { return m_pServer; }
    QLineEdit* UserEdit() const { return m_pUser; }
    QLineEdit* PasswordEdit() const { return m_pPassword; }
    QLineEdit* GateServerEdit() const { return m_pGateServer; }
    QLineEdit* GateUserEdit() const { return m_pGateUser; }
    QLineEdit* GatePasswordEdit() const { return m_pGatePassword; }
    QLineEdit* InitialDirEdit() const { return m_pInitialDir; }
    QComboBox* EncryptionBox() const { return m_pEncryption; }
    QCheckBox* ShowPasswordBox() const { return m_pShowPassword; }
    QPushButton* LoginButton() const { return m_pLogin; }
    QPushButton* PropertiesButton() const { return m_pProperties; }
    QPushButton* DeleteButton() const { return m_pDelete; }
    QPushButton* RenameButton() const { return m_pRename; }
    // The radio button of an OS type (0 to 4).
    QAbstractButton* OsTypeButton(int osType) const;
    int OsType() const { return m_iOStype; }

    // Run by "&Properties": the sheet comes up modally on the profile.
    void OnProperties();
    // The sheet "&Properties" runs; a test can reach its pages through it.
    CLogin* PropertiesSheet() const { return m_pSheet; }

    // "&Delete": asks, then removes the stored server named in the box.
    void OnDeleteServer();
    // "Re&name...": asks for a new name and moves the stored profile there.
    void OnRenameServer();

public slots:
    void accept() override;

private:
    void OnSelchange(int index);
    void OnKillfocusFTPServer();
    void OnEditServer(const QString& text);
    void OnShowPassword(bool show);
    void ReadServerProfile(const std::string& server);
    void StoreValues();
    void UpdateButtons();
    // The stored server the box names, or empty when it names none.
    std::string StoredServerInBox() const;
    void ClearFields();
    bool eventFilter(QObject* watched, QEvent* event) override;

    CServerProfile m_profile;
    CLogin* m_pSheet = nullptr;
    std::string m_strServer;
    std::string m_strUser;
    std::string m_strPass;
    std::string m_strGateServer;
    std::string m_strGateUser;
    std::string m_strGatePass;
    std::string m_strNewDir;
    int m_iOStype = 1;
    int m_bAutoAscii = 1;
    int m_bPassive = 1;
    int m_bStatus = 1;
    int m_bShowPassword = 0;
    int m_bServerEdited = 0;

    QComboBox* m_pServer = nullptr;
    QLineEdit* m_pUser = nullptr;
    QLineEdit* m_pPassword = nullptr;
    QLineEdit* m_pGateServer = nullptr;
    QLineEdit* m_pGateUser = nullptr;
    QLineEdit* m_pGatePassword = nullptr;
    QLineEdit* m_pInitialDir = nullptr;
    QComboBox* m_pEncryption = nullptr;
    QButtonGroup* m_pOsGroup = nullptr;
    QCheckBox* m_pShowPassword = nullptr;
    QPushButton* m_pLogin = nullptr;
    QPushButton* m_pProperties = nullptr;
    QPushButton* m_pDelete = nullptr;
    QPushButton* m_pRename = nullptr;
};
