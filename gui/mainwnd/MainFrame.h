// CMainFrame: the program's single top-level window. It holds the tool bar,
// the "Ftp Command" bar (a combo box for raw FTP commands and script lines),
// the status bar, and two splitters with the three panes: the folder tree
// and the file list side by side above, the message pane below. It sends
// the command bar's text to the server of the folder selected in the tree,
// remembers its placement and pane sizes between runs, and starts documents
// and programs through the desktop shell.
#pragma once

#include <QMainWindow>

#include <QList>

#include <string>

class CDriveView;
class CFileView;
class CPreference;
class CMsgView;
class CTavoDoc;
class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QSplitter;
class QToolBar;

// The program's own folder, ending in "/"; set when the frame is built.
extern std::string g_strProgramFolder;

// Profile section of the window state ("version 1.0", lower-case v; the
// preferences use "Version 1.0").
inline constexpr const char* kSectionWindowState = "version 1.0";

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // The frame's commands, in the order of the tool bar and menus.
    enum Command {
        CmdNewLogin,        // "&New Login" / "FTP &Server", tree's OnFileAddftpserver
        CmdCloseServer,     // "&Close FTP Server"
        CmdExit,
        CmdLargeIcons,
        CmdSmallIcons,
        CmdList,
        CmdDetails,
        CmdRefresh,
        CmdTrace,           // "T&race"
        CmdToolBar,
        CmdStatusBar,
        CmdCommandBar,
        CmdClearLog,        // "&Clear Log"
        CmdSaveLog,         // "S&ave Log"
        CmdSite,            // "&Site"
        CmdQuote,           // "&Quote"
        CmdExecuteLine,     // "&ExecuteLine"
        CmdChangeRoot,      // "&Change Root"
        CmdAsciiOnAll,      // "&Ascii On All"
        CmdBinaryOnAll,     // "&Binary On All"
        CmdDefaultMode,     // "&Default"
        CmdCut,             // Edit "Cu&t": the tree's or the list's, by focus
        CmdCopy,            // Edit "&Copy"
        CmdPaste,           // Edit "&Paste"
        CmdAppend,          // Edit "Appen&d"
        CmdDelete,          // Edit "&Delete"
        CmdPreference,      // FTP "&Preference..."
        CmdAbout,
        CmdWhatsThis,       // context help
        CmdOpen,            // "&Open": the selected row
        CmdRename,          // "Re&name": the list's row or the tree's folder
        CmdProperties,      // "Propert&ies": the list's row or the tree's item
        CmdNewFolder,       // File > New > "&Folder"
        CmdUnixChmod,       // "&Unix Chmod..."
        CmdFtpGet,          // "FTP &Get..."
        CmdFtpPut,          // "&FTP Put..."
        CmdRunScript,       // "&Run Script": the list's local script, in process
        CmdRunScriptBg,     // "Run Script &Background": by the console runner
        CmdSchedule,        // "Sc&hedule...": a crontab task for the script
        CmdCount
    };

    explicit CMainFrame(CTavoDoc* doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Runs the panes' first updates (the tree lists the drives and connects
    // the servers whose profiles ask for it). Called once the window shows.
    void OnInitialUpdate();

    CDriveView* GetDriveView() const { return m_pDriveView; }
    CFileView* GetFileView() const { return m_pFileView; }
    CMsgView* GetMsgView() const { return m_pMsgView; }
    CTavoDoc* GetDocument() const { return m_pDoc; }
    QAction* GetAction(Command command) const { return m_aActions[command]; }
    QComboBox* GetCommandBar() const { return m_pCommandBar; }
    QSplitter* GetOuterSplitter() const { return m_pOuterSplitter; }
    QSplitter* GetInnerSplitter() const { return m_pInnerSplitter; }

    // --- Window state ---------------------------------------------------------
    void SaveWindowState();
    // 1 when a stored placement was applied, else 0; pane sizes are always set.
    int RestoreWindowState();

    // --- Machine-wide settings and the shell --------------------------------
    // A value of the machine-wide product key; empty when missing.
    QString GetAppRegValue(const QString& name);
    // Runs a verb on a file through the desktop shell. The result is the
    // shell's result number (above 32 for success); failures are explained
    // in the message pane.
    int ExecuteShell(QWidget* window, const QString& verb, const QString& file, const QString& parameters,
                     const QString& ignored, int show);
    // The message-pane text for a shell result number; empty for success
    // and for numbers without a text.
    static QString ShellResultMessage(int result, const QString& file);

    // --- FTP command bar --------------------------------------------------------
    void OnFtpSite();
    void OnFtpQuote();
    void OnFtpExecuteline();
    void OnNewFtpCmdEnter();
    void OnFtpChangeroot();
    // The handle of the session whose folder is selected in the tree; 0
    // while a local folder is selected.
    int GetCurrentHandle() const;
    // Re-evaluates the enabled state of the commands that depend on the
    // command bar and the selection.
    void UpdateCommandStates();
    void ShowSecurityState(int handle);

    // --- Edit commands ------------------------------------------------------------
    // Cut, Copy, Paste and Delete act on the pane that last had the focus:
    // the folder tree or the file list.
    enum class Pane { Tree, List };
    Pane ActivePane() const { return m_nActivePane; }
    void SetActivePane(Pane pane);
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditAppend();
    void OnEditDelete();
    void OnPreference();
    CPreference* GetPreference() const { return m_pPreference; }

    // --- Row commands: open, rename, properties, new folder, FTP get/put ---------
    void OnFileOpen();
    void OnFileRename();
    void OnFileProperties();
    // Enables the row commands by the list's selection and the shown folder.
    void UpdateFileStates();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateStatusBar();
    void CreatePanes();
    void ConnectViews();
    QString CommandText() const;
    void RunCommandLine(const char* traceName);
    void SetViewStyle(int style);
    void OnAbout();
    void OnSessionEnding();
    void ConnectEditCommands();
    void ConnectFileCommands();
    // Runs the list's or the tree's command, by the pane the user was in.
    template <class ListCommand, class TreeCommand>
    void RunOnActivePane(ListCommand onList, TreeCommand onTree);
    void UpdateEditStates();
    // Sets the rows' and columns' sizes: the first pane of each gets its
    // size, the second the rest. Before the window shows, the sizes wait.
    void ApplyPaneSizes();

    CTavoDoc* m_pDoc = nullptr;
    QSplitter* m_pOuterSplitter = nullptr;
    QSplitter* m_pInnerSplitter = nullptr;
    CDriveView* m_pDriveView = nullptr;
    QWidget* m_pTreePane = nullptr;  // the tree, or a stand-in when it is not built
    CFileView* m_pFileView = nullptr;
    CMsgView* m_pMsgView = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QToolBar* m_pCommandToolBar = nullptr;
    QComboBox* m_pCommandBar = nullptr;
    QLabel* m_pStatusText = nullptr;
    QLabel* m_pSecurityText = nullptr;  // the selected server's encryption
    QActionGroup* m_pViewGroup = nullptr;
    QActionGroup* m_pModeGroup = nullptr;
    QAction* m_aActions[CmdCount] = {};
    int m_aMinSizes[4] = {10, 10, 10, 10};  // Prow0min, Prow1min, Pcol0min, Pcol1min
    QList<int> m_aRowSizes{250, 100};      // Prow0y, Prow1y
    QList<int> m_aColumnSizes{200, 200};   // Pcol0x, Pcol1x
    bool m_bSizesPending = true;
    Pane m_nActivePane = Pane::Tree;
    CPreference* m_pPreference = nullptr;
    bool m_bStateSaved = false;
};

// The one main window while it exists.
extern CMainFrame* g_pMainFrame;
