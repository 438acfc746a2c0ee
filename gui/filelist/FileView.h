// CFileView: the right-hand pane. It shows the folder selected in the folder
// tree, local or on an FTP server, as rows of FileListItem records held by
// one model, in one of four view modes (Details, Large Icons, Small Icons,
// List). The tree tells it what to show through OnUpdate with hint 90 or 91;
// the other panes and the transfer code reach it through g_pFileView.
#pragma once

#include "FileListItem.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <string>
#include <vector>

class CDriveView;
class CFileListModel;
class COleDS;
class QContextMenuEvent;
class QEvent;
class QMenu;
class QMimeData;
class CIconItemDelegate;
class CTavoDoc;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QStackedWidget;
class QTreeView;

// What the tree passes with an update hint. Hint 90 uses m_strPath only.
struct FileViewHint {
    int m_nFtpHandle = 0;      // hint 91: connection handle of the session
    std::string m_strSession;  // hint 91: name of the tree's server item
    std::string m_strPath;     // the folder to show
};

// Update hints from the tree.
inline constexpr int kHintLocalFolder = 90;  // 'Z': a local folder became current
inline constexpr int kHintFtpFolder = 91;    // '[': an FTP folder became current

// Sort codes: column (0 name, 1 size, 2 type, 3 last modified); +10 reverses.
inline constexpr int kSortName = 0;
inline constexpr int kSortSize = 1;
inline constexpr int kSortType = 2;
inline constexpr int kSortModified = 3;
inline constexpr int kSortReversed = 10;

// Command ids of the View menu's modes and Refresh.
inline constexpr int ID_VIEW_LARGEICON = 32771;
inline constexpr int ID_VIEW_SMALLICON = 32772;
inline constexpr int ID_VIEW_LIST = 32820;
inline constexpr int ID_VIEW_DETAILS = 32821;
inline constexpr int ID_VIEW_REFRESH = 32812;

class CFileView : public QWidget {
    Q_OBJECT

public:
    enum ViewStyle { LargeIcons = 0, SmallIcons = 1, List = 2, Details = 3 };

    explicit CFileView(CTavoDoc* doc, QWidget* parent = nullptr);
    ~CFileView() override;

    // First update: columns, icons, and the process's current folder.
    void OnInitialUpdate();
    // Hint 90: object->m_strPath is a local folder; hint 91: the FTP folder
    // (handle, session, path). Any other hint, or no object, repaints.
    void OnUpdate(int hint, const FileViewHint* object);

    // Both return the number of rows shown.
    int ShowLocalFolder(const std::string& path);
    int ShowFtpFolder(const std::string& server, int handle, const std::string& path);
    // Lists the shown folder again, then refreshes the tree's selection.
    void RefreshView();

    // --- Selection ------------------------------------------------------------
    // The record of the first selected row, or nullptr; valid until the next
    // listing.
    const FileListItem* GetSelectedItem() const;
    // A copy of it; false without a selection.
    bool GetSelectedItem2(FileListItem& item) const;
    // Shown folder, separator when needed, and the first selected row's
    // name; empty without a selection.
    std::string GetSelectedFileName() const;
    bool IsSelectedFtpItem() const;
    bool IsSelectedAFolder() const;
    bool IsSelectedFtpTextFile() const;
    // Records of all selected rows, in row order.
    std::vector<const FileListItem*> GetSelectedItems() const;
    // Selects the row of that name (exact match); false when there is none.
    bool SelectItem(const std::string& name);

    // Row under `point` (in this widget's coordinates), or -1.
    int HitTest(const QPoint& point) const;

    // --- Row commands (open, rename, delete, new folder) ---------------------------
    // Opens a row (double click, Enter): a folder through the tree, which
    // selects it and so lists it here; a local file with its application; a
    // server file, after asking, through a temporary copy.
    void OpenFileItem(const FileListItem& item);
    // Starts the in-place edit of the first selected row's name.
    void OnFileRename();
    // The end of an in-place edit of `row`: true when the item was renamed
    // to `newName` (the row then shows it), false when the old name stays.
    bool OnEndlabeledit(int row, const std::string& newName);
    // Deletes the selected rows: local ones through the desktop's trash (or
    // for good), server ones one by one after asking.
    void OnEditDelete();
    void DeleteFileItem(bool permanent);
    void DeleteFtpFileItem();
    // 1 when the file at `path` (local, or on the shown server) was deleted.
    int FileDelete(const std::string& path, bool bNoPrompt);
    // Makes "NewFolder" (or NewFolder0, NewFolder1, ...) in the shown folder
    // and starts the edit of its name.
    void OnFileNewFolder();

    // --- Properties and transfers by name -----------------------------------------
    void OnFileProperties();
    void OnFtpUnixchmod();
    // The "FTP GET" and "FTP PUT/APPEND" dialogs and their transfers.
    void OnFtpGet();
    void OnFtpPut();

    // --- Scripts: run here, run by the console runner, schedule ------------------
    // A row is selected and it is a local file (not a folder, not a server's).
    bool CanRunScript() const;
    // Exactly one row is selected and it is a local file.
    bool CanSchedule() const;
    // Runs the selected script in this process with its dialogue in the
    // message pane, in the script's own folder; the program's working
    // folder is the same afterwards. The script library's result.
    int OnFtpRunscript();
    // Starts the console runner on the selected script and does not wait;
    // false when it could not be started (the message pane says why).
    bool OnFtpRunscriptbg();
    void OnFtpSchedule();
    // Makes or replaces the crontab task that runs the script with the
    // console runner, on the schedule the user sets.
    void ScheduleTask(const std::string& scriptPath);

    // --- Clipboard (copy, cut, paste, append) ------------------------------------
    // A data source for the selected rows ("." and ".." never among them);
    // nullptr without such rows. With `cut` the rows are drawn dimmed.
    COleDS* PackForClip(bool cut);
    // Sizes of the private block and of the path list for the selection.
    int ComputeSizeForClipB() const;
    int ComputeSizeForHdrop() const;
    bool CanEditCopy() const;
    void OnEditCopy();
    void OnEditCut();
    // Paste goes to the folder the tree has selected, which this list shows.
    bool CanEditPaste() const;
    bool OnEditPaste();
    // Appends the one local file on the clipboard to the selected FTP file.
    bool CanEditAppend() const;
    void OnEditAppend();
    // 1 when our clipboard data names exactly one file, else 0.
    static int IsATextFileOnClipB(const QMimeData* data);
    // The right-click menu of the selected rows.
    QMenu* BuildContextMenu();

    // --- Sorting ----------------------------------------------------------------
    // Sorts by a code (0-3, 10-13) and keeps it as the current one.
    void SortItems(int sortType);
    // A click on column 0-3: flips its direction flag; the first click sorts
    // descending, the next ascending.
    void OnColumnClick(int column);
    int GetSortType() const { return m_nSortType; }
    // Order of two records under a sort code: negative, 0 or positive.
    static int CompareItems(const FileListItem& a, const FileListItem& b, int sortType);

    // --- View mode ----------------------------------------------------------------
    void SetViewStyle(ViewStyle style);
    ViewStyle GetViewStyle() const { return m_nViewStyle; }

    // --- State ----------------------------------------------------------------------
    int GetFtpHandle() const { return m_nFtpHandle; }
    const std::string& GetServer() const { return m_strServer; }
    const std::string& GetCurrentPath() const { return m_strCurPath; }
    int GetItemCount() const;
    // The record of a row in display order, or nullptr.
    const FileListItem* GetItem(int row) const;
    // The widget that shows the rows in the current mode.
    QAbstractItemView* GetListCtrl() const;
    CFileListModel* GetModel() const { return m_pModel; }
    // The tree whose Refresh RefreshView calls; set by the main window.
    void SetDriveView(CDriveView* tree) { m_pDriveView = tree; }

    // --- Drag and drop ------------------------------------------------------------
    // Drags the selected rows, `row` among them: our data source with copy
    // and move allowed. The list removes nothing itself; after a move the
    // receiver has moved the files and the folder is listed again.
    void OnBegindrag(int row);
    // Drop-target handlers; `point` is in this widget's coordinates. The
    // folder row under it is the target (drawn highlighted), else the shown
    // folder. Enter and over return the effect to show: IgnoreAction for
    // none, CopyAction, MoveAction.
    Qt::DropAction OnDragEnter(const QMimeData* data, Qt::KeyboardModifiers keys, const QPoint& point);
    Qt::DropAction OnDragOver(const QMimeData* data, Qt::KeyboardModifiers keys, const QPoint& point);
    void OnDragLeave();
    // Copies (or, with MoveAction, moves) what was dropped into the target
    // folder through the copy engine and lists the shown folder again. True
    // when every item arrived; a refused or failed drop is false.
    bool OnDrop(const QMimeData* data, Qt::DropAction effect, const QPoint& point);
    // The folder row drawn as the drop target, or -1.
    int GetDropIndex() const { return m_nDropIndex; }

private:
    // Puts the drag settings and the drag-event forwarding on both item views.
    void InstallDragDrop();
    // The folder row (not "." or "..") under `point`, or -1.
    int DropRow(const QPoint& point) const;
    // The shown folder, or the folder of `row`, with its separator.
    std::string DropTargetFolder(int row) const;
    Qt::DropAction DropEffect(const QMimeData* data, Qt::KeyboardModifiers keys, const std::string& target) const;
    // True (after the stop box) when a dropped folder would go into itself
    // or into one of its own subfolders.
    bool RefuseDropIntoItself(const QMimeData* data, const std::string& target, bool move) const;
    void SetDropIndex(int row);

signals:
    void viewStyleChanged(int style);
    // A listing finished (rows replaced or sorted).
    void folderShown(int rows);
    void selectionChanged();
    // Double-click or Enter on a row.
    void itemActivated(int row);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // F2 renames and Delete (Shift+Delete: for good) deletes in both list
    // controls.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ClearRows();
    void AfterListing();
    void SetFrameTitle(const QString& title);
    void UpdateSortIndicator();
    int SelectedRow() const;
    // The selected rows that can be copied, in row order, with their rows.
    std::vector<std::pair<int, const FileListItem*>> SelectedCopyableRows() const;
    std::string FolderWithSeparator() const;
    // Starts the in-place edit of a row's name.
    void EditRow(int row);
    // The checks of a new name against the rules and the shown folder's
    // rows (and, locally, its disk); a message tells why when it fails.
    bool AcceptNewName(int row, const FileListItem& item, const std::string& newName) const;
    // The renamed record's row shows its new name, type and icon.
    void ShowRenamedRow(int row, const FileListItem& old, const std::string& newName);

    CTavoDoc* m_pDoc = nullptr;
    CDriveView* m_pDriveView = nullptr;
    CFileListModel* m_pModel = nullptr;
    QItemSelectionModel* m_pSelection = nullptr;
    QStackedWidget* m_pStack = nullptr;
    QTreeView* m_pDetails = nullptr;
    QListView* m_pIcons = nullptr;
    CIconItemDelegate* m_pIconDelegate = nullptr;
    // The data source of the last Cut made here, while the clipboard has it.
    QPointer<COleDS> m_pCutSource;

    int m_nFtpHandle = 0;
    std::string m_strServer;
    std::string m_strCurPath;
    int m_nSortType = 0;
    int m_aSortFlags[4] = {0, 0, 0, 0};
    int m_nDropIndex = -1;
    int m_nDragCount = 0;
    int m_nFolderIcon = 3;
    ViewStyle m_nViewStyle = Details;
    bool m_bStarted = false;
};

extern CFileView* g_pFileView;
