// CTavoDoc: what all views share. It owns the registry of open FTP sessions
// (through the session list), the trace switch, the program-wide transfer
// type, the current place, the recursive deletes for local and remote
// folders, and the dynamic menu entries and icons of the desktop shell.
#pragma once

#include "CommandIds.h"
#include "MenuEntry.h"

#include <QObject>
#include <QString>

#include <string>
#include <vector>

class CSession;
class QMenu;

// Passed as the type of every transfer a view starts (TransferType).
extern int g_nTransferType;
// The private clipboard format: its MIME type, set when the document is made.
extern QString g_cfTavo;
inline constexpr const char* kTavoClipboardMimeType = "application/x-cf-bm-tavo";

class CTavoDoc : public QObject {
    Q_OBJECT

public:
    CTavoDoc();
    ~CTavoDoc() override;

    // --- Sessions -----------------------------------------------------------
    // A new session under a name no other session has: the name itself, or
    // name.0, name.1, ... The final name is left in `name`.
    CSession* AddSession(std::string& name);
    CSession* GetSession(const std::string& name) const;

    // --- Document -----------------------------------------------------------
    void OnNewDocument();
    // Switches tracing off and destroys every session, each disconnecting.
    void OnCloseDocument();
    void OnViewTrace();
    bool IsTraceOn() const { return m_bTrace; }
    // The Transfer Mode commands; the menu checks the one matching g_nTransferType.
    void OnAsciiOnAll();
    void OnBinaryOnAll();
    void OnDefaultMode();

    void SetCurrentPath(const std::string& path, const std::string& sessionName);
    void SetCurrentPath(const std::string& path);
    const std::string& GetCurrentPath() const { return m_strCurPath; }
    const std::string& GetCurrentSession() const { return m_strCurSession; }
    const QString& GetTitle() const { return m_strTitle; }
    // The folder of the last copy or cut, from the tree or the list.
    std::string m_strClipSource;
    // A drag started in this program is running (from the tree or the
    // list), and the path of the tree folder it carries.
    bool m_bDragging = false;
    std::string m_strDragSource;

    // The FTP library's last error text, as a message.
    static void ShowLastError();
    bool IsLocalDirectory(const std::string& path) const;

    // Recursive deletes. Both stop at the first failure and leave what was
    // deleted so far deleted.
    bool DeleteDirectory(const std::string& dir);
    bool DeleteFtpDirectory(const std::string& dir, int handle);

    // --- Shell helpers ------------------------------------------------------
    QString GetSpecialFolderLocation(int csidl) const;
    void BuildSendToList(QMenu* menu);
    void BuildContextMenu(QMenu* menu, const QString& path, bool isFolder);
    const CMenuEntry* FindEntry(int id) const;
    // Runs an entry on a selected item; the result is a shell result number
    // (above 32 for success).
    int RunEntry(const CMenuEntry& entry, const QString& itemPath) const;
    int GetIconIndex(const QString& path, bool isFolder, QString* typeName = nullptr) const;
    static QString GetFileTitle(const QString& path);
    int GetLastCommandId() const { return m_nCommandID; }

signals:
    void titleChanged(const QString& title);

private:
    CMenuEntry& NewEntry(const QString& verb, const QString& text, const QString& name, const QString& command);

    bool m_bTrace = false;
    std::string m_strCurPath;
    std::string m_strCurSession;
    QString m_strTitle;
    std::vector<CMenuEntry> m_aMenuEntries;
    int m_nCommandID = kFirstDynamicCommand;  // ids are never reused during a run
};
