// Property sheets of a single file or folder, local or on a server.
//
// CFileProp is the sheet, captioned with the item's name and " Properties".
// A server item gets the "General" page CFileP1, filled from the server's
// listing, and on a Unix server also the "Permissions" page CFileP3, which
// changes the mode with SITE CHMOD. A local item gets its own "General" page
// CFileP2 (the desktop offers no properties dialog to call).
#pragma once

#include <QDialog>
#include <QWidget>

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

class CDirFile;
class CFileP1;
class CFileProp;
class CFileP2;
class CFileP3;
class QCheckBox;
class QLabel;
class QFormLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;

// Shows the sheet of `name` in `folder` (which ends with its separator).
// handle > 0: an item on that session's server; 0: a local item. With
// `chmod` a sheet that has the Permissions page opens on it.
void FileProperties(QWidget* parent, int handle, const std::string& name, const std::string& folder, bool isDir,
                    bool chmod);

// A time as the pages show it, "%m/%d/%Y %H:%M:%S" in local time.
std::string PropertyDateText(std::time_t time);

// How FileProperties runs the sheet it built: modally, unless a runner is
// installed (tests fill, click and apply the sheet there and return).
// Returns the previous runner; an empty one restores exec().
using FilePropRunner = std::function<void(CFileProp&)>;
FilePropRunner SetFilePropRunner(FilePropRunner runner);

class CFileProp : public QDialog {
    Q_OBJECT

public:
    explicit CFileProp(const std::string& name, QWidget* parent = nullptr);

    // The three pages exist from the start; only added ones are shown.
    CFileP1* Page1() const { return m_pPage1; }
    CFileP2* Page2() const { return m_pPage2; }
    CFileP3* Page3() const { return m_pPage3; }
    void AddPage(QWidget* page, const QString& title);
    QTabWidget* Tabs() const { return m_pTabs; }
    QPushButton* ApplyButton() const { return m_pApply; }

    // Applies every added page; false when one of them failed and keeps
    // its change for another try.
    bool OnApply();

public slots:
    // OK closes the sheet only when its changes were applied.
    void accept() override;

private:
    void OnModified();

    QTabWidget* m_pTabs = nullptr;
    QPushButton* m_pApply = nullptr;
    CFileP1* m_pPage1 = nullptr;
    CFileP2* m_pPage2 = nullptr;
    CFileP3* m_pPage3 = nullptr;
};

// "General" page of a server item, read-only.
// Both General pages: a read-only field, and the five facts every item
// shows, added to a new form of `page` in the order the pages show them.
QLineEdit* ReadOnlyField(QWidget* parent);
QFormLayout* FileFactsForm(QWidget* page, QLineEdit*& name, QLineEdit*& size, QLineEdit*& date,
                           QLineEdit*& isFolder, QLineEdit*& folder);

class CFileP1 : public QWidget {
    Q_OBJECT

public:
    explicit CFileP1(QWidget* parent = nullptr);

    // Reads the item's entry from the server's listing. The arguments are
    // kept for Refresh. An entry that is not found leaves every field empty.
    void Fill(int handle, const std::string& folder, const std::string& name, bool isDir);
    void Refresh();

    int m_nHandle = 0;
    bool m_bIsDir = false;
    bool m_bFound = false;        // the listing showed the entry
    std::int64_t m_nSize = 0;     // "File Size:"
    std::string m_strName;        // "Filename:"
    std::string m_strListing;     // the "Listing" box: the entry's own line
    std::string m_strDate;        // "FileDate:"
    std::string m_strIsFolder;    // "Is a Folder?": "Yes" or "No"
    std::string m_strFolder;      // "Location:"

private:
    bool ReadEntry(const std::string& listPath, bool isDir);
    void Take(const CDirFile& dir, const std::string& line, bool isDir);
    void Show();

    QLineEdit* m_pSize = nullptr;
    QLineEdit* m_pName = nullptr;
    QLineEdit* m_pListing = nullptr;
    QLineEdit* m_pDate = nullptr;
    QLineEdit* m_pIsFolder = nullptr;
    QLineEdit* m_pFolder = nullptr;
};

// "General" page of a local item. The attribute bits keep their usual
// values; here Read-Only is the owner's missing write permission and
// Hidden a name that starts with ".".
inline constexpr unsigned kAttrReadOnly = 0x1;
inline constexpr unsigned kAttrHidden = 0x2;
inline constexpr unsigned kAttrSystem = 0x4;
inline constexpr unsigned kAttrDirectory = 0x10;
inline constexpr unsigned kAttrArchive = 0x20;

class CFileP2 : public QWidget {
    Q_OBJECT

public:
    explicit CFileP2(QWidget* parent = nullptr);

    // Looks the item up; a missing one leaves the page empty and disabled.
    void Fill(const std::string& folder, const std::string& name);
    // Sets the owner's write permission after a click on Read-Only; false
    // when that failed (a message says why).
    bool OnApply();
    void OnOK();
    QCheckBox* ReadOnlyBox() const { return m_pReadOnly; }

    unsigned m_nAttributes = 0;
    bool m_bFound = false;
    bool m_bModified = false;
    std::int64_t m_nSize = 0;
    std::string m_strDate;
    std::string m_strName;
    std::string m_strIsFolder;
    std::string m_strFolder;

signals:
    void modified();

private:
    void OnReadOnlyClicked();

    mode_t m_nMode = 0;
    QLineEdit* m_pSize = nullptr;
    QLineEdit* m_pName = nullptr;
    QLineEdit* m_pDate = nullptr;
    QLineEdit* m_pIsFolder = nullptr;
    QLineEdit* m_pFolder = nullptr;
    QCheckBox* m_pReadOnly = nullptr;
    QCheckBox* m_pHidden = nullptr;
    QCheckBox* m_pSystem = nullptr;
    QCheckBox* m_pArchive = nullptr;
};

// "Permissions" page of an item on a Unix server: read, write and execute
// for owner, group and others, and the set-uid, set-gid and sticky bits.
class CFileP3 : public QWidget {
    Q_OBJECT

public:
    explicit CFileP3(QWidget* parent = nullptr);

    // Sets the boxes from the listing line's permission text. A line
    // without one disables the page, so that no mode is ever guessed.
    void Fill(const std::string& listing, int handle, const std::string& path);
    void SetGeneralPage(CFileP1* page) { m_pGeneral = page; }
    // After a click: sends the boxes' mode with SITE CHMOD and reads the
    // entry again. False when the CHMOD failed; the change is kept.
    bool OnApply();

    // The box of one mode bit (0400 ... 01, 04000, 02000, 01000).
    QCheckBox* Box(unsigned bit) const;
    // The mode the checked boxes make.
    unsigned Mode() const;

    int m_nHandle = 0;
    std::string m_strPath;
    bool m_bModified = false;
    bool m_bReadable = false;  // the listing line had a permission text

signals:
    void modified();

private:
    struct ModeBox {
        unsigned bit;
        QCheckBox* box;
    };
    std::vector<ModeBox> m_boxes;
    QLabel* m_pNote = nullptr;
    CFileP1* m_pGeneral = nullptr;
};
