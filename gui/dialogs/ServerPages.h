// The pages of the server sheets. Each works on a server profile; the pages
// of a connected server also know its connection handle (0 when there is no
// live session) and apply their changes to that session at once.
//   CLoginP0    "Connection"     read-only facts of the live session
//   CDetailPage "Details"        current folders and transfer mode
//   CLogin3     "OS Type"
//   CLoginP1    "Data Transfer"  active/passive, status window, data port
//   CLoginP2    "General"        auto-ASCII, start-up, keep-alive, server port
#pragma once

#include <QWidget>

class CServerProfile;
class CSession;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

class CServerPage : public QWidget {
    Q_OBJECT

public:
    CServerPage(CServerProfile* profile, int handle, QWidget* parent);

    // Shows the profile's values; the page is unmodified afterwards.
    virtual void LoadFromProfile() {}
    // Stores (and applies to the live session) what differs from the profile.
    virtual void OnApply() {}
    bool IsModified() const { return m_bModified; }

signals:
    void modified();

protected:
    void SetModified();
    // The live session, or nullptr when there is none.
    CSession* LiveSession() const;

    CServerProfile* m_pProfile;
    int m_nFtpHandle;
    bool m_bModified = false;
};

class CLoginP0 : public CServerPage {
    Q_OBJECT

public:
    CLoginP0(CServerProfile* profile, int handle, QWidget* parent = nullptr);
    void LoadFromProfile() override;
    QString Value(int row) const;  // rows: server, user, gateway, gateway user, connected, created, status

private:
    QLabel* m_aValues[7] = {};
};

class CDetailPage : public CServerPage {
    Q_OBJECT

public:
    CDetailPage(CServerProfile* profile, int handle, QWidget* parent = nullptr);
    void LoadFromProfile() override;
    QString Value(int row) const;  // rows: server path, local path, transfer mode

private:
    QLabel* m_aValues[3] = {};
};

class CLogin3 : public CServerPage {
    Q_OBJECT

public:
    CLogin3(CServerProfile* profile, int handle, QWidget* parent = nullptr);
    void LoadFromProfile() override;
    void OnApply() override;
    QAbstractButton* OsTypeButton(int osType) const;
    int m_iOStype = 1;

private:
    QButtonGroup* m_pGroup = nullptr;
};

class CLoginP1 : public CServerPage {
    Q_OBJECT

public:
    CLoginP1(CServerProfile* profile, int handle, QWidget* parent = nullptr);
    void LoadFromProfile() override;
    void OnApply() override;

    QRadioButton* ActiveButton() const { return m_pActive; }
    QRadioButton* PassiveButton() const { return m_pPassive; }
    QCheckBox* StatusBox() const { return m_pStatus; }
    QLineEdit* DataPortEdit() const { return m_pDataPort; }
    QComboBox* EncryptionBox() const { return m_pEncryption; }

private:
    // The mode the page came up with: the live session's, or the profile's.
    bool ShownPassive() const;

    QRadioButton* m_pActive = nullptr;
    QRadioButton* m_pPassive = nullptr;
    QCheckBox* m_pStatus = nullptr;
    QLineEdit* m_pDataPort = nullptr;
    QComboBox* m_pEncryption = nullptr;
    QLabel* m_pEncryptionState = nullptr;  // what the live connection has
};

class CLoginP2 : public CServerPage {
    Q_OBJECT

public:
    CLoginP2(CServerProfile* profile, int handle, QWidget* parent = nullptr);
    void LoadFromProfile() override;
    void OnApply() override;

    QCheckBox* AutoAsciiBox() const { return m_pAutoAscii; }
    QCheckBox* AutoConnectBox() const { return m_pAutoConnect; }
    QCheckBox* KeepAliveBox() const { return m_pKeepAlive; }
    QSpinBox* IntervalBox() const { return m_pInterval; }
    QCheckBox* OtherPortBox() const { return m_pOtherPort; }
    QSpinBox* PortBox() const { return m_pPort; }

private:
    QCheckBox* m_pAutoAscii = nullptr;
    QCheckBox* m_pAutoConnect = nullptr;
    QCheckBox* m_pKeepAlive = nullptr;
    QSpinBox* m_pInterval = nullptr;
    QCheckBox* m_pOtherPort = nullptr;
    QSpinBox* m_pPort = nullptr;
};
