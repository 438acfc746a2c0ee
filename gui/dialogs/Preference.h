// CPreference: the "FTP Preferences" sheet of the FTP menu. Its pages edit the
// program-wide settings:
//   CPage1 "General"              five switches for transfers and new servers
//   CPage2 "Set Ascii File Type"  the file patterns that are sent as ASCII
// The main window builds the sheet once and runs DoModal on each use; every
// showing starts from what is stored. OK and Apply store both pages.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

// "EDIT FILE TYPE": asks for one file pattern ("*.txt" or a whole name).
class CEditFileType : public QDialog {
    Q_OBJECT

public:
    // An empty caption gives "Edit File Extension".
    explicit CEditFileType(const QString& caption = QString(), QWidget* parent = nullptr);

    // The text of the field, exactly as typed.
    QString FileType() const;
    void SetFileType(const QString& text);

    QLineEdit* FileTypeEdit() const { return m_pEdit; }
    QPushButton* SaveButton() const { return m_pSave; }
    QPushButton* CancelButton() const { return m_pCancel; }

private:
    QLineEdit* m_pEdit = nullptr;
    QPushButton* m_pSave = nullptr;
    QPushButton* m_pCancel = nullptr;
};

// "General": one int per check box, each a setting of g_Settings.
class CPage1 : public QWidget {
    Q_OBJECT

public:
    explicit CPage1(QWidget* parent = nullptr);

    // Takes the five values from g_Settings and shows them.
    void LoadFromSettings();
    // Stores the five values in g_Settings and in the profile.
    void Save();

    QCheckBox* ShowStatusBox() const { return m_pShowStatus; }
    QCheckBox* LocalPromptBox() const { return m_pLocalPrompt; }
    QCheckBox* LocalUniqueBox() const { return m_pLocalUnique; }
    QCheckBox* RemotePromptBox() const { return m_pRemotePrompt; }
    QCheckBox* RemoteUniqueBox() const { return m_pRemoteUnique; }

    int m_bShowStatus = 1;
    int m_bLocalPrompt = 0;
    int m_bLocalUnique = 1;
    int m_bRemotePrompt = 0;
    int m_bRemoteUnique = 0;

signals:
    void modified();

private:
    // Puts the ints into the boxes. A prompt box means nothing while its
    // unique-name mode is on (a unique name never replaces a file), so it
    // is greyed then.
    void ShowValues();
    QCheckBox* AddBox(const char* text, const char* name, int* value, QWidget* group);

    QCheckBox* m_pShowStatus = nullptr;
    QCheckBox* m_pLocalPrompt = nullptr;
    QCheckBox* m_pLocalUnique = nullptr;
    QCheckBox* m_pRemotePrompt = nullptr;
    QCheckBox* m_pRemoteUnique = nullptr;
};

// "Set Ascii File Type": the patterns live in the list only, in
// case-insensitive order, until the sheet is accepted.
class CPage2 : public QWidget {
    Q_OBJECT

public:
    explicit CPage2(QWidget* parent = nullptr);

    // Fills the list from the profile ("Count", "Ext%d").
    void LoadFromProfile();
    // Writes the list to the profile and reloads g_Settings' patterns, so
    // the next transfer already uses them.
    void SaveExt();

    // "&Add": asks for a pattern in CEditFileType and adds it.
    void OnAdd();
    // "Remove": drops the selected line; without one nothing happens.
    void OnRemove();
    // Adds text without its leading blanks, unless that is empty or the
    // list holds it already in any case. True when a line was added.
    bool AddPattern(const QString& text);
    // The lines, top to bottom.
    QStringList Patterns() const;

    QListWidget* List() const { return m_pList; }
    QPushButton* AddButton() const { return m_pAdd; }
    QPushButton* RemoveButton() const { return m_pRemove; }

signals:
    void modified();

private:
    void InsertSorted(const QString& text);

    QListWidget* m_pList = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pRemove = nullptr;
};

class CPreference : public QDialog {
    Q_OBJECT

public:
    explicit CPreference(QWidget* parent = nullptr);

    // Shows the sheet modally, both pages read afresh; QDialog::Accepted
    // after OK, QDialog::Rejected otherwise.
    int DoModal();
    // What DoModal does before it shows the sheet: both pages re-read,
    // the first page in front, Apply off.
    void LoadPages();

    QTabWidget* Tabs() const { return m_pTabs; }
    CPage1* GeneralPage() const { return m_pPage1; }
    CPage2* AsciiPage() const { return m_pPage2; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }
    QPushButton* ApplyButton() const { return m_pApply; }

public slots:
    void accept() override;
    void OnApply();

private:
    void Save();

    QTabWidget* m_pTabs = nullptr;
    CPage1* m_pPage1 = nullptr;
    CPage2* m_pPage2 = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    QPushButton* m_pApply = nullptr;
};
