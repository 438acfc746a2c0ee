// The main window's construction: actions, menus, tool bars, status bar and
// the panes, and the wiring that keeps the commands' state current.
#include "MainFrame.h"

#include "CertificateDlg.h"

#include "FileView.h"
#include "FrameIcons.h"
#include "HttpGetDlg.h"
#include "MsgView.h"
#include "SecurityChoices.h"
#include "NetTools.h"
#include "SessionTypes.h"
#include "Settings.h"
#include "TavoDoc.h"
#include "TraceLog.h"
#include "WaitHook.h"

#ifdef TAVO_HAVE_TREE
#include "DriveView.h"
#endif

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QSessionManager>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QWhatsThis>

#include <netvo32.h>

std::string g_strProgramFolder;
CMainFrame* g_pMainFrame = nullptr;

namespace {

// The program's folder from its file name: everything up to and including
// the last "/" (a lone leading "/" is the root folder itself).
std::string ProgramFolder()
{
    std::string path = QCoreApplication::applicationFilePath().toStdString();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return path.substr(0, slash + 1);
}

}  // namespace

CMainFrame::CMainFrame(CTavoDoc* doc, QWidget* parent) : QMainWindow(parent), m_pDoc(doc)
{
    g_pMainFrame = this;
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(GetFrameIcon(FrameIcon::Application));
    setWindowTitle(QStringLiteral("Tavo"));
    g_strProgramFolder = ProgramFolder();

    CreatePanes();
    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    ConnectViews();

    g_Settings.Load();  // the ASCII file types included

    // The message pane shows everything the trace log passes on.
    g_TraceLog.SetOutput(reinterpret_cast<TraceOutputContext>(m_pMsgView), &CMsgView::TraceOutput);
    // Logins (scripts' included) ask the user about unknown certificates.
    InstallCertificateQuestion();

    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { OnSessionEnding(); });
    resize(760, 540);
    UpdateCommandStates();
}

CMainFrame::~CMainFrame()
{
    g_TraceLog.SetOutput(0, nullptr);
    if (g_pMainFrame == this)
        g_pMainFrame = nullptr;
}

void CMainFrame::OnInitialUpdate()
{
    m_pFileView->OnInitialUpdate();
#ifdef TAVO_HAVE_TREE
    if (m_pDriveView)
        m_pDriveView->OnInitialUpdate();
#endif
    UpdateCommandStates();
}

// --- Panes -------------------------------------------------------------------------

void CMainFrame::CreatePanes()
{
    // Row 0: tree and file list side by side; row 1: the message pane.
    m_pOuterSplitter = new QSplitter(Qt::Vertical, this);
    m_pOuterSplitter->setObjectName(QStringLiteral("OuterSplitter"));
    m_pInnerSplitter = new QSplitter(Qt::Horizontal, m_pOuterSplitter);
    m_pInnerSplitter->setObjectName(QStringLiteral("InnerSplitter"));
    m_pMsgView = new CMsgView(m_pOuterSplitter);

#ifdef TAVO_HAVE_TREE
    m_pDriveView = new CDriveView(m_pDoc, m_pInnerSplitter);
    m_pTreePane = m_pDriveView;
#else
    m_pTreePane = new QWidget(m_pInnerSplitter);
#endif
    m_pFileView = new CFileView(m_pDoc, m_pInnerSplitter);
    m_pFileView->SetDriveView(m_pDriveView);

    m_pOuterSplitter->addWidget(m_pInnerSplitter);
    m_pOuterSplitter->addWidget(m_pMsgView);
    m_pInnerSplitter->addWidget(m_pTreePane);
    m_pInnerSplitter->addWidget(m_pFileView);
    // When the window grows, the file list takes the room; the tree and the
    // message pane keep their sizes.
    m_pOuterSplitter->setStretchFactor(0, 1);
    m_pOuterSplitter->setStretchFactor(1, 0);
    m_pInnerSplitter->setStretchFactor(0, 0);
    m_pInnerSplitter->setStretchFactor(1, 1);
    for (QSplitter* splitter : {m_pOuterSplitter, m_pInnerSplitter}) {
        splitter->setChildrenCollapsible(false);
        splitter->setHandleWidth(5);
    }
    m_pOuterSplitter->setSizes(m_aRowSizes);
    m_pInnerSplitter->setSizes(m_aColumnSizes);
    for (QWidget* pane : {static_cast<QWidget*>(m_pInnerSplitter), static_cast<QWidget*>(m_pMsgView)})
        pane->setMinimumHeight(10);
    for (QWidget* pane : {m_pTreePane, static_cast<QWidget*>(m_pFileView)})
        pane->setMinimumWidth(10);
    setCentralWidget(m_pOuterSplitter);
}

// --- Actions -------------------------------------------------------------------------

void CMainFrame::CreateActions()
{
    struct ActionDef {
        Command command;
        const char* text;
        FrameIcon icon;
        bool hasIcon;
        QKeySequence shortcut;
        const char* tip;
    };
    const ActionDef defs[] = {
        {CmdNewLogin, "&New Login...", FrameIcon::NewLogin, true, QKeySequence::New,
         "Open a new FTP session"},
        {CmdCloseServer, "&Close FTP Server", FrameIcon::NewLogin, false, QKeySequence(),
         "Close the FTP server of the selected folder"},
        {CmdExit, "E&xit", FrameIcon::NewLogin, false, QKeySequence::Quit, "Quit the program"},
        {CmdLargeIcons, "Lar&ge Icons", FrameIcon::LargeIcons, true, QKeySequence(Qt::CTRL | Qt::Key_1),
         "Display items by using large icons"},
        {CmdSmallIcons, "S&mall Icons", FrameIcon::SmallIcons, true, QKeySequence(Qt::CTRL | Qt::Key_2),
         "Display items by using small icons"},
        {CmdList, "&List", FrameIcon::List, true, QKeySequence(Qt::CTRL | Qt::Key_3), "Display items in a list"},
        {CmdDetails, "&Details", FrameIcon::Details, true, QKeySequence(Qt::CTRL | Qt::Key_4),
         "Display information about each item in the window"},
        {CmdRefresh, "&Refresh", FrameIcon::Refresh, true, QKeySequence::Refresh, "List the shown folder again"},
        {CmdTrace, "T&race", FrameIcon::Details, false, QKeySequence(), "Show trace lines in the message pane"},
        {CmdToolBar, "&Toolbar", FrameIcon::Details, false, QKeySequence(), "Show or hide the toolbar"},
        {CmdStatusBar, "&Status Bar", FrameIcon::Details, false, QKeySequence(), "Show or hide the status bar"},
        {CmdCommandBar, "Ftp &Command Bar", FrameIcon::Details, false, QKeySequence(),
         "Show or hide the Ftp Command bar"},
        {CmdClearLog, "&Clear Log", FrameIcon::Delete, false, QKeySequence(), "Empty the message pane"},
        {CmdSaveLog, "S&ave Log", FrameIcon::Delete, false, QKeySequence::Save,
         "Save the message pane to a file"},
        {CmdSite, "&Site", FrameIcon::Details, false, QKeySequence(), "Send the command bar's text as SITE command"},
        {CmdQuote, "&Quote", FrameIcon::Details, false, QKeySequence(),
         "Send the command bar's text to the server as it is"},
        {CmdExecuteLine, "&ExecuteLine", FrameIcon::Details, false, QKeySequence(),
         "Run the command bar's text as a script line"},
        {CmdChangeRoot, "&Change Root", FrameIcon::Details, false, QKeySequence(),
         "Make the command bar's folder the server's root folder"},
        {CmdAsciiOnAll, "&Ascii On All", FrameIcon::Details, false, QKeySequence(), "Transfer every file as ASCII"},
        {CmdBinaryOnAll, "&Binary On All", FrameIcon::Details, false, QKeySequence(),
         "Transfer every file as binary"},
        {CmdDefaultMode, "&Default", FrameIcon::Details, false, QKeySequence(),
         "Choose ASCII or binary by the file type"},
        // Ctrl+X only: the desktop's other Cut key, Shift+Delete, deletes
        // for good in a file list, as in the desktop's file managers.
        {CmdCut, "Cu&t", FrameIcon::Cut, true, QKeySequence(Qt::CTRL | Qt::Key_X),
         "Cut the selection and put it on the Clipboard"},
        {CmdCopy, "&Copy", FrameIcon::Copy, true, QKeySequence::Copy,
         "Copy the selection and put it on the Clipboard"},
        {CmdPaste, "&Paste", FrameIcon::Paste, true, QKeySequence::Paste,
         "Paste the Clipboard into the folder selected in the tree"},
        {CmdAppend, "Appen&d", FrameIcon::Paste, false, QKeySequence(),
         "Append the local file on the Clipboard to the selected file on the server"},
        {CmdDelete, "&Delete", FrameIcon::Delete, true, QKeySequence::Delete, "Delete the selection"},
        {CmdPreference, "&Preference...", FrameIcon::Details, false, QKeySequence::Preferences,
         "Set the transfer options and the file types sent as ASCII"},
        {CmdAbout, "&About Tavo...", FrameIcon::About, true, QKeySequence(),
         "Display program information, version number and copyright"},
        {CmdWhatsThis, "What's &This?", FrameIcon::ContextHelp, true, QKeySequence::WhatsThis,
         "Display help for clicked on buttons, menus and windows"},
        {CmdOpen, "&Open", FrameIcon::Open, true, QKeySequence(Qt::CTRL | Qt::Key_O),
         "Open the selected folder, or the selected file with its application"},
        {CmdRename, "Re&name", FrameIcon::Details, false, QKeySequence(Qt::Key_F2), "Rename the selected item"},
        {CmdProperties, "Propert&ies", FrameIcon::Details, false, QKeySequence(Qt::ALT | Qt::Key_Return),
         "Show the properties of the selected item"},
        {CmdNewFolder, "&Folder", FrameIcon::Details, false, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
         "Make a new folder in the shown folder"},
        {CmdUnixChmod, "&Unix Chmod...", FrameIcon::Details, false, QKeySequence(),
         "Change the Unix permissions of the selected file on the server"},
        {CmdFtpGet, "FTP &Get...", FrameIcon::Details, false, QKeySequence(),
         "Download a file by name, with restart and transfer type"},
        {CmdFtpPut, "&FTP Put...", FrameIcon::Details, false, QKeySequence(),
         "Upload or append a file by name, with restart and transfer type"},
        {CmdRunScript, "&Run Script", FrameIcon::Details, false, QKeySequence(),
         "Run the selected script file here, with its dialogue in the message pane"},
        {CmdRunScriptBg, "Run Script &Background", FrameIcon::Details, false, QKeySequence(),
         "Run the selected script file by the console runner in the background"},
        {CmdSchedule, "Sc&hedule...", FrameIcon::Details, false, QKeySequence(),
         "Run the selected script file at set times"},
    };
    for (const ActionDef& def : defs) {
        auto* action = new QAction(QString::fromUtf8(def.text), this);
        if (def.hasIcon)
            action->setIcon(GetFrameIcon(def.icon));
        if (!def.shortcut.isEmpty())
            action->setShortcut(def.shortcut);
        action->setStatusTip(QString::fromUtf8(def.tip));
        action->setObjectName(QStringLiteral("action%1").arg(static_cast<int>(def.command)));
        m_aActions[def.command] = action;
    }
    // The tool bar button's own name.
    m_aActions[CmdNewLogin]->setIconText(QStringLiteral("New FTP Login"));
    m_aActions[CmdNewLogin]->setToolTip(QStringLiteral("New FTP Login"));

#ifdef TAVO_HAVE_TREE
    connect(m_aActions[CmdNewLogin], &QAction::triggered, this, [this] {
        if (m_pDriveView)
            m_pDriveView->OnFileAddftpserver();
    });
    connect(m_aActions[CmdCloseServer], &QAction::triggered, this, [this] {
        if (m_pDriveView && GetCurrentHandle() > 0)
            m_pDriveView->OnFileRemoveftpserver();
    });
#else
    m_aActions[CmdNewLogin]->setEnabled(false);
#endif
    connect(m_aActions[CmdExit], &QAction::triggered, this, &QWidget::close);

    m_pViewGroup = new QActionGroup(this);
    m_pViewGroup->setExclusive(true);
    const std::pair<Command, CFileView::ViewStyle> styles[] = {
        {CmdLargeIcons, CFileView::LargeIcons},
        {CmdSmallIcons, CFileView::SmallIcons},
        {CmdList, CFileView::List},
        {CmdDetails, CFileView::Details},
    };
    for (const auto& [command, style] : styles) {
        QAction* action = m_aActions[command];
        action->setCheckable(true);
        m_pViewGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, style = style] { SetViewStyle(style); });
    }
    connect(m_aActions[CmdRefresh], &QAction::triggered, m_pFileView, &CFileView::RefreshView);

    m_aActions[CmdTrace]->setCheckable(true);
    connect(m_aActions[CmdTrace], &QAction::triggered, this, [this] {
        if (m_pDoc)
            m_pDoc->OnViewTrace();
        m_aActions[CmdTrace]->setChecked(m_pDoc && m_pDoc->IsTraceOn());
    });

    connect(m_aActions[CmdClearLog], &QAction::triggered, m_pMsgView, &CMsgView::ClearLog);
    connect(m_aActions[CmdSaveLog], &QAction::triggered, m_pMsgView, &CMsgView::SaveLog);

    connect(m_aActions[CmdSite], &QAction::triggered, this, &CMainFrame::OnFtpSite);
    connect(m_aActions[CmdQuote], &QAction::triggered, this, &CMainFrame::OnFtpQuote);
    connect(m_aActions[CmdExecuteLine], &QAction::triggered, this, &CMainFrame::OnFtpExecuteline);
    connect(m_aActions[CmdChangeRoot], &QAction::triggered, this, &CMainFrame::OnFtpChangeroot);

    m_pModeGroup = new QActionGroup(this);
    m_pModeGroup->setExclusive(true);
    for (Command command : {CmdAsciiOnAll, CmdBinaryOnAll, CmdDefaultMode}) {
        m_aActions[command]->setCheckable(true);
        m_pModeGroup->addAction(m_aActions[command]);
    }
    connect(m_aActions[CmdAsciiOnAll], &QAction::triggered, this, [this] {
        if (m_pDoc)
            m_pDoc->OnAsciiOnAll();
        UpdateCommandStates();
    });
    connect(m_aActions[CmdBinaryOnAll], &QAction::triggered, this, [this] {
        if (m_pDoc)
            m_pDoc->OnBinaryOnAll();
        UpdateCommandStates();
    });
    connect(m_aActions[CmdDefaultMode], &QAction::triggered, this, [this] {
        if (m_pDoc)
            m_pDoc->OnDefaultMode();
        UpdateCommandStates();
    });

    connect(m_aActions[CmdAbout], &QAction::triggered, this, &CMainFrame::OnAbout);
    ConnectEditCommands();
    ConnectFileCommands();
    connect(m_aActions[CmdWhatsThis], &QAction::triggered, this, [] { QWhatsThis::enterWhatsThisMode(); });
}

void CMainFrame::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QMenu* newMenu = file->addMenu(QStringLiteral("&New"));
    QAction* newServer = newMenu->addAction(QStringLiteral("FTP &Server"));
    newServer->setStatusTip(m_aActions[CmdNewLogin]->statusTip());
    newServer->setEnabled(m_aActions[CmdNewLogin]->isEnabled());
    connect(newServer, &QAction::triggered, m_aActions[CmdNewLogin], &QAction::trigger);
    newMenu->addAction(m_aActions[CmdNewFolder]);
    file->addAction(m_aActions[CmdNewLogin]);
    file->addAction(m_aActions[CmdCloseServer]);
    file->addAction(QStringLiteral("&Get Http File"), this, [this] { ShowHttpGetDialog(this); });
    file->addSeparator();
    file->addAction(m_aActions[CmdOpen]);
    file->addAction(m_aActions[CmdRename]);
    file->addAction(m_aActions[CmdDelete]);
    file->addAction(m_aActions[CmdProperties]);
    file->addSeparator();
    file->addAction(m_aActions[CmdExit]);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    for (Command command : {CmdCut, CmdCopy, CmdPaste, CmdAppend})
        edit->addAction(m_aActions[command]);
    edit->addSeparator();
    edit->addAction(m_aActions[CmdDelete]);
    edit->addSeparator();
    edit->addAction(m_aActions[CmdClearLog]);
    edit->addAction(m_aActions[CmdSaveLog]);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(m_aActions[CmdToolBar]);
    view->addAction(m_aActions[CmdCommandBar]);
    view->addAction(m_aActions[CmdStatusBar]);
    view->addSeparator();
    for (Command command : {CmdLargeIcons, CmdSmallIcons, CmdList, CmdDetails})
        view->addAction(m_aActions[command]);
    view->addSeparator();
    view->addAction(m_aActions[CmdRefresh]);
    view->addSeparator();
    view->addAction(m_aActions[CmdTrace]);

    QMenu* ftp = menuBar()->addMenu(QStringLiteral("F&TP"));
    ftp->addAction(m_aActions[CmdSite]);
    ftp->addAction(m_aActions[CmdQuote]);
    ftp->addAction(m_aActions[CmdExecuteLine]);
    ftp->addSeparator();
    ftp->addAction(m_aActions[CmdFtpGet]);
    ftp->addAction(m_aActions[CmdFtpPut]);
    ftp->addAction(m_aActions[CmdUnixChmod]);
    ftp->addSeparator();
    ftp->addAction(m_aActions[CmdRunScript]);
    ftp->addAction(m_aActions[CmdRunScriptBg]);
    ftp->addAction(m_aActions[CmdSchedule]);
    ftp->addSeparator();
    ftp->addAction(m_aActions[CmdChangeRoot]);
    ftp->addSeparator();
    QMenu* mode = ftp->addMenu(QStringLiteral("Transfer &Mode"));
    mode->addAction(m_aActions[CmdAsciiOnAll]);
    mode->addAction(m_aActions[CmdBinaryOnAll]);
    mode->addAction(m_aActions[CmdDefaultMode]);
    ftp->addSeparator();
    ftp->addAction(m_aActions[CmdPreference]);
    // The trace switch and the transfer type belong to the document; show
    // their state each time the menus open.
    connect(ftp, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    connect(view, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    connect(edit, &QMenu::aboutToShow, this, &CMainFrame::UpdateEditStates);
    connect(file, &QMenu::aboutToShow, this, &CMainFrame::UpdateEditStates);
    connect(file, &QMenu::aboutToShow, this, &CMainFrame::UpdateFileStates);
    connect(ftp, &QMenu::aboutToShow, this, &CMainFrame::UpdateFileStates);

    // Network tests that stand apart from the FTP sessions.
    QMenu* tools = menuBar()->addMenu(QStringLiteral("T&ools"));
    tools->addAction(QStringLiteral("&Ping"), this, [this] { ShowQuickPing(this); });
    tools->addAction(QStringLiteral("IP &Resolve"), this, [this] { ShowResolveIp(this); });
    tools->addAction(QStringLiteral("&My IP"), this, [this] { ShowMyIp(this); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(m_aActions[CmdAbout]);
    help->addAction(m_aActions[CmdWhatsThis]);
}

void CMainFrame::CreateToolBars()
{
    m_pToolBar = addToolBar(QStringLiteral("Standard"));
    m_pToolBar->setObjectName(QStringLiteral("ToolBar"));
    m_pToolBar->setIconSize(QSize(22, 22));
    m_pToolBar->setToolButtonStyle(Qt::ToolButtonFollowStyle);
    m_pToolBar->addAction(m_aActions[CmdNewLogin]);
    m_pToolBar->addAction(m_aActions[CmdOpen]);
    m_pToolBar->addSeparator();
    for (Command command : {CmdCut, CmdCopy, CmdPaste, CmdDelete})
        m_pToolBar->addAction(m_aActions[command]);
    m_pToolBar->addSeparator();
    for (Command command : {CmdLargeIcons, CmdSmallIcons, CmdList, CmdDetails})
        m_pToolBar->addAction(m_aActions[command]);
    m_pToolBar->addSeparator();
    m_pToolBar->addAction(m_aActions[CmdAbout]);
    m_pToolBar->addAction(m_aActions[CmdWhatsThis]);

    // The command bar goes on a row of its own below the tool bar.
    addToolBarBreak();
    m_pCommandToolBar = addToolBar(QStringLiteral("Ftp Command"));
    m_pCommandToolBar->setObjectName(QStringLiteral("CommandBar"));
    auto* label = new QLabel(QStringLiteral("Ftp Command"), m_pCommandToolBar);
    label->setContentsMargins(4, 0, 6, 0);
    m_pCommandToolBar->addWidget(label);
    m_pCommandBar = new QComboBox(m_pCommandToolBar);
    m_pCommandBar->setObjectName(QStringLiteral("FtpCommand"));
    m_pCommandBar->setEditable(true);
    // The frame adds each line itself, duplicates included.
    m_pCommandBar->setInsertPolicy(QComboBox::NoInsert);
    m_pCommandBar->setDuplicatesEnabled(true);
    m_pCommandBar->setMaxVisibleItems(8);
    m_pCommandBar->setMinimumWidth(200);
    m_pCommandBar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_pCommandBar->lineEdit()->setPlaceholderText(QStringLiteral("FTP command or script line, Enter runs it"));
    m_pCommandBar->setWhatsThis(
        QStringLiteral("Type a script line and press Enter to run it on the server of the folder selected in "
                       "the tree. The FTP menu sends the text as SITE or QUOTE command."));
    label->setBuddy(m_pCommandBar);
    m_pCommandToolBar->addWidget(m_pCommandBar);
    connect(m_pCommandBar->lineEdit(), &QLineEdit::returnPressed, this, &CMainFrame::OnNewFtpCmdEnter);
    connect(m_pCommandBar, &QComboBox::editTextChanged, this, &CMainFrame::UpdateCommandStates);

    for (auto [command, bar] : {std::pair{CmdToolBar, m_pToolBar}, std::pair{CmdCommandBar, m_pCommandToolBar}}) {
        QAction* toggle = bar->toggleViewAction();
        QAction* action = m_aActions[command];
        action->setCheckable(true);
        action->setChecked(true);
        connect(action, &QAction::toggled, bar, &QWidget::setVisible);
        connect(toggle, &QAction::toggled, action, &QAction::setChecked);
    }
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    m_pStatusText = new QLabel(bar);
    m_pStatusText->setObjectName(QStringLiteral("StatusObjects"));
    bar->addPermanentWidget(m_pStatusText);
    m_pSecurityText = new QLabel(bar);
    m_pSecurityText->setObjectName(QStringLiteral("StatusSecurity"));
    bar->addPermanentWidget(m_pSecurityText);
    bar->showMessage(QStringLiteral("Ready"));
    QAction* action = m_aActions[CmdStatusBar];
    action->setCheckable(true);
    action->setChecked(true);
    connect(action, &QAction::toggled, bar, &QWidget::setVisible);
}

void CMainFrame::ConnectViews()
{
    if (m_pDoc)
        connect(m_pDoc, &CTavoDoc::titleChanged, this, &QWidget::setWindowTitle);
    connect(m_pMsgView, &CMsgView::modifiedChanged, this, &CMainFrame::UpdateCommandStates);
    connect(m_pFileView, &CFileView::viewStyleChanged, this, &CMainFrame::UpdateCommandStates);
    connect(m_pFileView, &CFileView::folderShown, this, [this](int rows) {
        m_pStatusText->setText(rows == 1 ? QStringLiteral("1 object") : QStringLiteral("%1 objects").arg(rows));
    });
#ifdef TAVO_HAVE_TREE
    if (m_pDriveView)
        connect(m_pDriveView, &CDriveView::currentPlaceChanged, this, &CMainFrame::UpdateCommandStates);
#endif
}

void CMainFrame::SetViewStyle(int style)
{
    m_pFileView->SetViewStyle(static_cast<CFileView::ViewStyle>(style));
}

// The selected server's encryption, in the status bar, in words: a lock
// glyph needs a font that many desktops lack.
void CMainFrame::ShowSecurityState(int handle)
{
    if (!m_pSecurityText)
        return;
    const int state = handle > 0 ? ftp_getsecurity(handle) : -1;
    if (state < 0) {
        m_pSecurityText->clear();
        m_pSecurityText->setToolTip(QString());
        return;
    }
    m_pSecurityText->setText(SecurityStateText(state));
    if (state == 2)
        m_pSecurityText->setToolTip(QStringLiteral("The connection is encrypted, file transfers included."));
    else if (state == 1)
        m_pSecurityText->setToolTip(QStringLiteral("Commands are encrypted; the server sends files unencrypted."));
    else
        m_pSecurityText->setToolTip(QStringLiteral("Passwords and files cross the network in clear text."));
}

void CMainFrame::UpdateCommandStates()
{
    const bool server = GetCurrentHandle() > 0;
    const bool text = m_pCommandBar && !m_pCommandBar->currentText().isEmpty();
    m_aActions[CmdSite]->setEnabled(text && server);
    m_aActions[CmdQuote]->setEnabled(text && server);
    m_aActions[CmdExecuteLine]->setEnabled(text && server);
    m_aActions[CmdChangeRoot]->setEnabled(m_pDriveView != nullptr && server);
    m_aActions[CmdCloseServer]->setEnabled(m_pDriveView != nullptr && server);
    ShowSecurityState(GetCurrentHandle());

    const bool modified = m_pMsgView && m_pMsgView->IsModified();
    m_aActions[CmdClearLog]->setEnabled(modified);
    m_aActions[CmdSaveLog]->setEnabled(modified);

    for (Command command : {CmdLargeIcons, CmdSmallIcons, CmdList, CmdDetails})
        m_aActions[command]->setEnabled(m_pFileView != nullptr);
    if (m_pFileView) {
        switch (m_pFileView->GetViewStyle()) {
        case CFileView::LargeIcons:
            m_aActions[CmdLargeIcons]->setChecked(true);
            break;
        case CFileView::SmallIcons:
            m_aActions[CmdSmallIcons]->setChecked(true);
            break;
        case CFileView::List:
            m_aActions[CmdList]->setChecked(true);
            break;
        case CFileView::Details:
            m_aActions[CmdDetails]->setChecked(true);
            break;
        }
    }
    m_aActions[CmdTrace]->setChecked(m_pDoc && m_pDoc->IsTraceOn());
    m_aActions[CmdAsciiOnAll]->setChecked(g_nTransferType == TransferAscii);
    m_aActions[CmdBinaryOnAll]->setChecked(g_nTransferType == TransferBinary);
    m_aActions[CmdDefaultMode]->setChecked(g_nTransferType == TransferAuto);
    UpdateEditStates();
}

int CMainFrame::GetCurrentHandle() const
{
#ifdef TAVO_HAVE_TREE
    if (m_pDriveView)
        return m_pDriveView->GetCurrentHandle();
#endif
    return 0;
}

void CMainFrame::OnAbout()
{
    QMessageBox::about(this, QStringLiteral("About Tavo"),
                       QStringLiteral("<b>Tavo</b> %1<br>FTP client with the Marlo script engine.")
                           .arg(QCoreApplication::applicationVersion()));
}

void CMainFrame::OnSessionEnding()
{
    SaveWindowState();
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_bSizesPending)
        ApplyPaneSizes();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A network call is on the stack below the event being handled: the
    // window cannot go away under it. Cancel the call instead; the user can
    // close again once it has returned.
    if (CWaitHook::IsBusy()) {
        CWaitHook::Cancel();
        event->ignore();
        return;
    }
    SaveWindowState();
    QMainWindow::closeEvent(event);
}
