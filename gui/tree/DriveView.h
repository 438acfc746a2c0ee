// CDriveView: the folder tree, the left pane of the main window. Local volumes
// and open FTP servers are its top items, folders lie below them and are read
// only when an item is expanded (a placeholder child gives the expand button
// until then). Selecting a folder makes it the program's current place and
// tells the file list to show it. The tree also opens, closes and re-roots
// server items, renames and deletes folders, offers Send To for local folders
// and hosts the keep-alive timers of the sessions.
#pragma once

#include "DriveVolumes.h"
#include "TimerHost.h"

#include <QHash>
#include <QIcon>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeWidget>
#include <QVariant>

#include <functional>
#include <string>
#include <vector>

class CDlgFileCopy;
class COleDS;
class CSession;
class CTavoDoc;
class QMimeData;
struct PrivateClip;
class CLoginDlg;
class CServerProfile;
class QDrag;
class QTimer;

// What a tree item stands for: the connection handle of its session (0 for
// every local item; above 0 marks an FTP item) and the folder's own name ("" for
// a placeholder; the root folder for a server item).
struct TreeItemData {
    int m_nFtpHandle = 0;
    std::string m_strName;
    // Server items only: the session's name. Host names may carry a port or
    // an IPv6 address, so the name cannot be cut back out of the label.
    std::string m_strSession;
};

class CDriveView : public QTreeWidget, public ITimerHost {
    Q_OBJECT

public:
    // Image indexes of the tree's image list, in their fixed order.
    enum : int {
        kImageFixed = 0,
        kImageRemovable = 1,
        kImageCdRom = 2,
        kImageNetwork = 3,  // also the FTP server items
        kImageFolder = 4,
        kImageOpenFolder = 5,
    };
    CDriveView(CTavoDoc* doc, QWidget* parent = nullptr);
    ~CDriveView() override;

    // Start-up: volumes, the servers whose profiles connect on start-up, then
    // the volume of the process's current folder is expanded, selected and
    // shown in the file list.
    void OnInitialUpdate();

    // --- Items and paths ----------------------------------------------------
    // The item's data; nullptr for an item without any (a placeholder under a
    // removable or optical volume).
    static TreeItemData* GetItemData(QTreeWidgetItem* item);
    // The item's image index (see the enum; the Trash has its own), and
    // whether it only stands in for children not read yet.
    static int GetItemImage(QTreeWidgetItem* item);
    static bool IsPlaceholder(QTreeWidgetItem* item);
    std::string GetPathFromItem(QTreeWidgetItem* item, bool addSeparator = false) const;
    CSession* GetSession(QTreeWidgetItem* item) const;
    std::string GetSessionName(QTreeWidgetItem* item) const;
    int GetFtpHandle(QTreeWidgetItem* item) const;
    static QTreeWidgetItem* GetTopParent(QTreeWidgetItem* item);
    // Only among the children already in the tree; labels compared exactly.
    QTreeWidgetItem* FindItem(QTreeWidgetItem* parent, const std::string& name) const;
    QTreeWidgetItem* FindPathItem(const std::string& path, int handle) const;
    // "/" locally, the session's separator on a server.
    static void AppendSeparator(std::string& path, int handle);
    static bool IsRecycleBin(const std::string& path);

    // --- Filling ------------------------------------------------------------
    // Each adds at most one placeholder and tells whether the folder has a
    // subfolder.
    bool HasSubFolders(QTreeWidgetItem* item, const std::string& path);
    bool HasFtpSubFolders(QTreeWidgetItem* item, const std::string& path);
    // The number of folders added under the item.
    int ExpandLocalFolder(QTreeWidgetItem* item, const std::string& path);
    int ExpandFtpFolder(QTreeWidgetItem* item, const std::string& path);
    // A volume as a top item; false when its kind is not shown.
    bool AddDrive(const std::string& rootPath);
    bool AddDrive(const std::string& rootPath, DriveKind kind);

    // --- Operations other panes call ----------------------------------------
    // The file list opened a folder: expand the selection and select its child.
    void ChangeSelectedDirectory(const std::string& name);
    // The file list renamed a folder: relabel the child, re-select the parent.
    void ChangeSelectedDirectory(const std::string& oldName, const std::string& newName);
    void AddFolderItem(const std::string& parentPath, const std::string& name);
    // Re-reads the selected item's children (or restores its placeholder when
    // it is collapsed).
    void Refresh();
    // Handle of the session whose folder is selected; 0 for a local folder.
    int GetCurrentHandle() const { return m_nCurrentHandle; }
    QTreeWidgetItem* GetCurrentItem() const { return m_hCurrentItem; }

    // --- Commands -----------------------------------------------------------
    void OnEditDelete();
    bool CanEditDelete() const;  // the selected item has a parent
    void OnFileProperties();
    // Renames the item's folder to `newText`; the label changes only when the
    // rename succeeded. True when it was accepted.
    bool OnEndlabeledit(QTreeWidgetItem* item, const QString& newText);
    // Shell menu entries (Send To): with `execute` false only the enable
    // state is asked. False when the id is not one of the document's entries.
    bool OnCmdMsg(int id, bool execute, bool* enabled = nullptr);
    // The context menu of an item, as it is shown at a right click.
    QMenu* BuildContextMenu(QTreeWidgetItem* item);

    // --- Copy, move and paste -------------------------------------------------
    // Copies (or moves) one file or folder tree from a place to a place; a
    // handle of 0 or less is the local disk. The target path names the copy
    // itself (target folder + name). False for a failure, a refusal or the
    // user's Cancel; a move deletes the source only after a complete copy.
    bool DoPaste(const std::string& source, const std::string& target, int sourceHandle, int targetHandle,
                 bool isFolder, bool move);
    // The name to copy to, after the unique and prompt settings of the
    // target's side: the path itself, a "Copy Of" name, or the user's
    // choice; empty to skip.
    std::string CheckFileName(const std::string& path, int handle);
    bool CopyLocalFolderContents(const std::string& sourceFolder, const std::string& targetFolder, int sourceHandle,
                                 int targetHandle);
    bool CopyFtpFolderContents(const std::string& sourceFolder, const std::string& targetFolder, int sourceHandle,
                               int targetHandle);
    // True when the local folder is there (made now if it was missing; only
    // its last level).
    bool CopyDirectories(const std::string& path);
    // The stop box for a paste into its own folder or subfolder; always 0.
    int ShowMoveRefusal(const std::string& name, bool move, bool subfolder);
    // Local to local through the file operation layer: the clipboard form
    // takes our private block, the file-list form the paths another program
    // offered (onto the Trash it deletes them).
    bool ProcessLocalCopy(const PrivateClip& clip, const std::string& targetFolder, QTreeWidgetItem* targetItem,
                          bool move);
    bool ProcessLocalCopy(const std::vector<std::string>& paths, const std::string& targetFolder, bool move);
    // The tree after a successful paste: new folders under the target, cut
    // ones gone from under the source.
    void RefreshPasteItems(const PrivateClip& clip, QTreeWidgetItem* targetItem, const std::string& sourceFolder,
                           const std::string& targetFolder, bool cut, int sourceHandle);
    void CopyItem(QTreeWidgetItem* dragged, QTreeWidgetItem* target);
    void CopyItem(const std::string& folderName, QTreeWidgetItem* target);
    // The progress window of a paste that the tree drives, else nullptr.
    CDlgFileCopy* m_pCopyDialog = nullptr;

    // --- Clipboard ------------------------------------------------------------
    // A data source for one folder item; nullptr for volumes and servers.
    COleDS* CreateOleDS(QTreeWidgetItem* item, bool cut);
    // A folder below a volume or server: what Copy and Cut can take.
    static bool CanCopyItem(QTreeWidgetItem* item);
    bool CanEditCopy() const;
    void OnEditCopy();
    void OnEditCut();
    bool CanEditPaste() const;
    // Pastes the clipboard into the selected folder; true when it all worked.
    bool OnEditPaste();
    // Pastes into `target`: our own private block, or a list of local files.
    bool PasteData(const QMimeData* data, QTreeWidgetItem* target);
    bool ProcessOleObject(const QMimeData* data, QTreeWidgetItem* target, bool move);
    bool ProcessHDROP(const QMimeData* data, QTreeWidgetItem* target, bool move);
    // Files described by another program (or our own FTP rows) as file
    // descriptors with contents, written into `target`'s folder.
    bool ProcessOleFG(const QMimeData* data, QTreeWidgetItem* target);
    // The same into a folder path (with its separator) on a server
    // (`targetHandle` > 0) or the local disk (0); the file list uses it.
    bool ProcessDropFileContents(const QMimeData* data, const std::string& targetFolder, int targetHandle);
    // Takes the dimmed look off the item marked by the last Cut.
    void ClearCutMark();

    // --- FTP server items -----------------------------------------------------
    // "New FTP Login": the login dialog, then the connection.
    void OnFileAddftpserver();
    // Connects with the values the dialog holds after it closed with OK; true
    // when the server item was added.
    bool ConnectFromDialog(CLoginDlg& dialog);
    void AddAutoFtpServer();
    bool AddFtpServerToTree(const std::string& name, bool select);
    // "Close FTP Server" on the selected item's session.
    void OnFileRemoveftpserver();
    void RemoveSession(const std::string& name);
    bool ChangeFtpRoot(const std::string& newRoot);
    // Shows each server item's encryption (a lock over its icon, the words
    // in its tooltip) as the library reports it now. Runs after whatever may
    // have logged in again: a login, a keep-alive tick, a folder read.
    void UpdateSecurityEmblems();

    // --- Timers ---------------------------------------------------------------
    void StartSessionTimer(unsigned id, int periodMs) override;
    void KillSessionTimer(unsigned id) override;
    bool HasSessionTimer(unsigned id) const { return m_timers.contains(id); }
    void OnTimer(unsigned id);

    // Settings value "ExpandTimer": hover time before a folder under a drag
    // opens; 0 switches that off.
    int m_nExpandDelay = 2500;

signals:
    // Sent with every change of the current place, after the file list was
    // told (hint 90: handle 0, empty session name).
    void currentPlaceChanged(int hint, int handle, const QString& sessionName, const QString& path);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // The handlers of the tree's own notifications; public so that the
    // frame's commands and the tests can run them as the control would.
    void OnItemExpanding(QTreeWidgetItem* item, bool expanding);
    void OnSelectionChanged(QTreeWidgetItem* item);

private:
    friend class CTreeItem;
    friend class CLabelEditDelegate;
    void ItemDeleted(QTreeWidgetItem* item);
    void SyncSelection();
    QTreeWidgetItem* ItemFromIndex(const QModelIndex& index) const { return itemFromIndex(index); }
    QTreeWidgetItem* NewFolderItem(QTreeWidgetItem* parent, const std::string& name, int handle, bool sorted);
    QTreeWidgetItem* NewItem(QTreeWidgetItem* parent, const QString& label, int image, int selectedImage,
                             bool withData, int handle, const std::string& name, bool sorted);
    void AddPlaceholder(QTreeWidgetItem* item, bool withData, const QString& label = QString());
    void LoadImages();
    // The icon of an item with these image indexes (the selected one used
    // for the selected look when it differs).
    QIcon ItemIcon(int image, int selectedImage) const;
    void DeleteChildren(QTreeWidgetItem* item);
    // Takes a folder's item out of the tree, the selection to its parent
    // when it was inside.
    void RemoveFolderItem(QTreeWidgetItem* item);
    void SendHint(int hint, int handle, const std::string& sessionName, const std::string& path);
    // A paste's shared state, from its first DoPaste to its end.
    struct PasteRun {
        int depth = 0;
        bool cancelled = false;  // the user pressed Cancel: stop, report failure
        int skipped = 0;         // entries left out (links to folders, devices)
        // Remote folders this paste made: nothing in them existed before.
        std::vector<std::pair<int, std::string>> freshFolders;
        // Whether the last name CheckFileName returned existed: -1 unknown.
        int targetExisted = -1;
    };
    friend class CPasteScope;
    bool IsFreshRemoteFolder(int handle, const std::string& folder) const;
    bool CopyByDirection(const std::string& source, const std::string& target, int sourceHandle, int targetHandle,
                         bool isFolder);
    bool DeletePasteSource(const std::string& source, int sourceHandle, bool isFolder);
    bool EnsureRemoteFolder(CSession& session, const std::string& path);
    void RefreshFileListAfterPaste(QTreeWidgetItem* target, const std::string& sourceFolder, int sourceHandle);
    // The tree after local folders were pasted into `target`.
    void RefreshDroppedItems(const std::vector<std::string>& folders, QTreeWidgetItem* target, bool move);
    // Steps 2 to 5 of a login, shared by the dialog and the start-up profiles.
    bool Connect(const CServerProfile& profile, bool applyPort, bool saveProfile, bool select, bool keepAlive);

    CTavoDoc* m_pDoc = nullptr;
    int m_nRecycleImage = 6;
    QTreeWidgetItem* m_hCurrentItem = nullptr;
    QTreeWidgetItem* m_hContextItem = nullptr;
    QTreeWidgetItem* m_hDragItem = nullptr;
    QTreeWidgetItem* m_hDropItem = nullptr;
    QTreeWidgetItem* m_hCutItem = nullptr;  // dimmed by the last Cut
    QPointer<COleDS> m_pCutSource;          // and the data source of that Cut
    PasteRun m_paste;
    int m_nCurrentHandle = 0;
    bool m_bFilling = false;  // children are being changed by the view itself
    QHash<unsigned, QTimer*> m_timers;
    std::vector<QIcon> m_images;
    bool m_bSecurityRetry = false;  // a look at the encryption waits for the library

    // --- Drag and drop ----------------------------------------------------------
public:
    // Drags a folder item (volumes, servers and the Trash stay put) and
    // returns when the drag is over. Only a drop that reports a move takes
    // the item out of the tree; a refused or failed drop leaves it.
    void OnBegindrag(QTreeWidgetItem* item);
    // A folder item that can be dragged.
    bool CanDragItem(QTreeWidgetItem* item) const;
    // The drop target's steps, as Qt's drag events run them; points are in
    // the viewport's coordinates. Each gives the effect the cursor shows,
    // Qt::IgnoreAction for none.
    Qt::DropAction OnDragEnter(const QMimeData* data, Qt::KeyboardModifiers keys, const QPoint& point);
    Qt::DropAction OnDragOver(const QMimeData* data, Qt::KeyboardModifiers keys, const QPoint& point);
    void OnDragLeave();
    // Carries the drop out with the effect the same rules give (kept within
    // what the drag source allows): the effect done, or Qt::IgnoreAction
    // when the drop was refused or failed.
    Qt::DropAction OnDrop(const QMimeData* data, Qt::KeyboardModifiers keys, const QPoint& point,
                          Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction);
    // The item highlighted as the drop target, else nullptr.
    QTreeWidgetItem* GetDropItem() const { return m_hDropItem; }
    // What runs the drag that OnBegindrag starts and tells its effect:
    // QDrag::exec unless replaced (tests drop where they want).
    using DragLoop = std::function<Qt::DropAction(QDrag& drag)>;
    void SetDragLoop(DragLoop loop) { m_dragLoop = std::move(loop); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The data is in a form a drop can use.
    bool AcceptsDropFormat(const QMimeData* data) const;
    // The folder item under the point; nullptr over nothing or a placeholder.
    QTreeWidgetItem* DropTargetAt(const QPoint& point) const;
    Qt::DropAction DropEffect(const QMimeData* data, Qt::KeyboardModifiers keys, QTreeWidgetItem* over) const;
    // Moves the drop highlight (and m_hDropItem) to `item`; nullptr clears it.
    void SetDropItem(QTreeWidgetItem* item);
    void ScrollForDrop(QTreeWidgetItem* item);
    void RestartExpandTimer();
    void StopExpandTimer();
    void OnExpandTimer();
    QPixmap DragPixmap(QTreeWidgetItem* item) const;

    // Single-shot, apart from the sessions' keep-alive timers.
    QTimer* m_pExpandTimer = nullptr;
    DragLoop m_dragLoop;
    // Where the left button went down, and on which item.
    QPoint m_dragStartPos;
    QPersistentModelIndex m_dragStartIndex;
    // The drop item's own colours while it is highlighted.
    QVariant m_dropSavedBackground;
    QVariant m_dropSavedForeground;
};

// The one folder tree; set by its constructor, cleared by its destructor.
extern CDriveView* g_pDriveView;
