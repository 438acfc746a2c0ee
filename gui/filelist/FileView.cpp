#include "FileView.h"

#include "FileListModel.h"
#include "FtpSession.h"
#include "IconList.h"
#include "MainFrame.h"
#include "OleDS.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"
#include "WaitHook.h"

#ifdef TAVO_HAVE_TREE
#include "DriveView.h"
#endif

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

#include <unistd.h>

CFileView* g_pFileView = nullptr;

// The icon modes' cells: one fixed size per mode, so that a large folder is
// laid out without measuring each name. Large Icons centres the icon over
// up to two lines of name; the other modes put the name beside the icon.
// A name too long for its cell is elided; its tool tip has it whole.
class CIconItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void SetCellSize(const QSize& size, bool centred)
    {
        m_size = size;
        m_bCentred = centred;
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return m_size.isValid() ? m_size : QStyledItemDelegate::sizeHint(option, index);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_bCentred)
            option->displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
    }

private:
    QSize m_size;
    bool m_bCentred = false;
};

namespace {

// Column widths of the Details mode.
constexpr int kColumnWidths[CFileListModel::ColCount] = {192, 96, 128, 128};

}  // namespace

CFileView::CFileView(CTavoDoc* doc, QWidget* parent) : QWidget(parent), m_pDoc(doc)
{
    g_pFileView = this;
    setObjectName(QStringLiteral("FileView"));
    m_pModel = new CFileListModel(this);
    m_pModel->SetIconResolver([this](const FileListItem& item) {
        if (!item.m_bIsDir || item.m_nSession > 0)
            return 0;
        return m_pDoc ? m_pDoc->GetIconIndex(QString::fromUtf8(item.m_strPath), true)
                      : CIconList::Instance().IndexForFolder(QString::fromUtf8(item.m_strPath), nullptr);
    });

    m_pDetails = new QTreeView(this);
    m_pDetails->setObjectName(QStringLiteral("FileViewDetails"));
    m_pDetails->setModel(m_pModel);
    m_pDetails->setRootIsDecorated(false);
    m_pDetails->setItemsExpandable(false);
    // Uniform rows let the view skip measuring each of a large folder's rows.
    m_pDetails->setUniformRowHeights(true);
    m_pDetails->setAllColumnsShowFocus(true);
    m_pDetails->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pDetails->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pDetails->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pDetails->setTextElideMode(Qt::ElideRight);
    QHeaderView* header = m_pDetails->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSectionsMovable(false);
    for (int column = 0; column < CFileListModel::ColCount; ++column)
        header->resizeSection(column, kColumnWidths[column]);
    connect(header, &QHeaderView::sectionClicked, this, &CFileView::OnColumnClick);

    m_pSelection = m_pDetails->selectionModel();

    m_pIcons = new QListView(this);
    m_pIcons->setObjectName(QStringLiteral("FileViewIcons"));
    m_pIcons->setModel(m_pModel);
    m_pIcons->setSelectionModel(m_pSelection);
    m_pIcons->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A click selects the whole record, as in Details: the commands read
    // the selection by rows.
    m_pIcons->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pIcons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pIcons->setModelColumn(CFileListModel::ColName);
    m_pIcons->setMovement(QListView::Static);
    m_pIcons->setResizeMode(QListView::Adjust);
    // All cells are one size, so a large folder is laid out without
    // measuring each name.
    m_pIcons->setUniformItemSizes(true);
    m_pIconDelegate = new CIconItemDelegate(m_pIcons);
    m_pIcons->setItemDelegate(m_pIconDelegate);
    // Large folders are laid out a batch at a time, between events.
    m_pIcons->setLayoutMode(QListView::Batched);
    m_pIcons->setBatchSize(2000);
    m_pIcons->setTextElideMode(Qt::ElideRight);

    m_pStack = new QStackedWidget(this);
    m_pStack->addWidget(m_pDetails);
    m_pStack->addWidget(m_pIcons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pStack);

    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_pDetails), static_cast<QAbstractItemView*>(m_pIcons)})
        connect(view, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
            if (!index.isValid())
                return;
            emit itemActivated(index.row());
            // A copy: opening a folder lists another one, freeing this row.
            if (const FileListItem* item = m_pModel->Item(index.row())) {
                const FileListItem opened = *item;
                OpenFileItem(opened);
            }
        });
    connect(m_pSelection, &QItemSelectionModel::selectionChanged, this, &CFileView::selectionChanged);
    // Names are edited in place only when the program starts the edit (F2,
    // Rename, a new folder); the end of an edit is a rename.
    m_pModel->SetRenameHandler(
        [this](int row, const QString& newName) { return OnEndlabeledit(row, newName.toStdString()); });
    m_pDetails->installEventFilter(this);
    m_pIcons->installEventFilter(this);
    // Rows are dragged out with our own data and dropped onto folder rows or
    // the shown folder. Drag enabled also keeps a press on a selected row
    // from narrowing the selection before a drag of several rows starts.
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_pDetails), static_cast<QAbstractItemView*>(m_pIcons)}) {
        view->setDragEnabled(true);
        view->setAcceptDrops(true);
        view->viewport()->setAcceptDrops(true);
        view->setDragDropMode(QAbstractItemView::DragDrop);
        view->setDropIndicatorShown(false);
    }
    InstallDragDrop();
    // Rows look cut only while the clipboard still holds their Cut.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        if (!m_pCutSource || COleDS::Own(QGuiApplication::clipboard()->mimeData()) != m_pCutSource) {
            m_pCutSource = nullptr;
            m_pModel->ClearCut();
        }
    });

    SetViewStyle(Details);
    UpdateSortIndicator();
}

CFileView::~CFileView()
{
    // Our data names places of this run's sessions; it goes with the list.
    if (COleDS::Own(QGuiApplication::clipboard()->mimeData()))
        QGuiApplication::clipboard()->clear();
    if (g_pFileView == this)
        g_pFileView = nullptr;
}

void CFileView::OnInitialUpdate()
{
    if (m_bStarted)
        return;
    m_bStarted = true;
    // FTP folders all share the plain folder icon (3 when none is found).
    if (m_pDoc) {
        const int icon = m_pDoc->GetIconIndex(m_pDoc->GetSpecialFolderLocation(9), true);
        m_nFolderIcon = icon == 0 ? 3 : icon;
    }
    char current[4096] = "";
    if (getcwd(current, sizeof current))
        ShowLocalFolder(current);
}

void CFileView::OnUpdate(int hint, const FileViewHint* object)
{
    if (object && (hint == kHintLocalFolder || hint == kHintFtpFolder)) {
        std::fill(std::begin(m_aSortFlags), std::end(m_aSortFlags), 0);
        ClearRows();
        if (hint == kHintLocalFolder)
            ShowLocalFolder(object->m_strPath);
        else
            ShowFtpFolder(object->m_strSession, object->m_nFtpHandle, object->m_strPath);
        return;
    }
    GetListCtrl()->viewport()->update();
}

void CFileView::RefreshView()
{
    if (m_nFtpHandle > 0) {
        const std::string server = m_strServer;
        const std::string path = m_strCurPath;
        ShowFtpFolder(server, m_nFtpHandle, path);
    } else {
        const std::string path = m_strCurPath;
        ShowLocalFolder(path);
    }
#ifdef TAVO_HAVE_TREE
    if (m_pDriveView)
        m_pDriveView->Refresh();
#endif
}

void CFileView::ClearRows()
{
    m_pModel->Clear();
}

void CFileView::AfterListing()
{
    SortItems(m_nSortType);
    emit folderShown(m_pModel->Count());
}

void CFileView::SetFrameTitle(const QString& title)
{
    if (QWidget* frame = window(); frame && frame != this)
        frame->setWindowTitle(title);
}

// --- Selection -------------------------------------------------------------------

int CFileView::SelectedRow() const
{
    int first = -1;
    const QModelIndexList rows = m_pSelection->selectedRows(CFileListModel::ColName);
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first)
            first = index.row();
    }
    return first;
}

const FileListItem* CFileView::GetSelectedItem() const
{
    const FileListItem* item = m_pModel->Item(SelectedRow());
    if (!item)
        g_TraceLog.Trace("CFileView.GetSelectedItem: No Item selected!");
    return item;
}

bool CFileView::GetSelectedItem2(FileListItem& item) const
{
    const FileListItem* selected = GetSelectedItem();
    if (!selected)
        return false;
    item = *selected;
    return true;
}

std::string CFileView::GetSelectedFileName() const
{
    const FileListItem* item = m_pModel->Item(SelectedRow());
    if (!item)
        return std::string();
    return FolderWithSeparator() + item->m_strName;
}

bool CFileView::IsSelectedFtpItem() const
{
    const FileListItem* item = m_pModel->Item(SelectedRow());
    return item && item->m_nSession > 0;
}

bool CFileView::IsSelectedAFolder() const
{
    const FileListItem* item = m_pModel->Item(SelectedRow());
    return item && item->m_bIsDir;
}

bool CFileView::IsSelectedFtpTextFile() const
{
    const FileListItem* item = m_pModel->Item(SelectedRow());
    return item && item->m_nSession > 0 && !item->m_bIsDir;
}

std::vector<const FileListItem*> CFileView::GetSelectedItems() const
{
    QModelIndexList rows = m_pSelection->selectedRows(CFileListModel::ColName);
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<const FileListItem*> items;
    items.reserve(static_cast<size_t>(rows.size()));
    for (const QModelIndex& index : rows) {
        if (const FileListItem* item = m_pModel->Item(index.row()))
            items.push_back(item);
    }
    return items;
}

bool CFileView::SelectItem(const std::string& name)
{
    const int row = m_pModel->FindName(name);
    if (row < 0)
        return false;
    const QModelIndex index = m_pModel->index(row, CFileListModel::ColName);
    m_pSelection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    GetListCtrl()->scrollTo(index);
    return true;
}

int CFileView::HitTest(const QPoint& point) const
{
    QAbstractItemView* view = GetListCtrl();
    const QPoint inViewport = view->viewport()->mapFrom(this, point);
    if (!view->viewport()->rect().contains(inViewport))
        return -1;
    const QModelIndex index = view->indexAt(inViewport);
    return index.isValid() ? index.row() : -1;
}

// --- Sorting -------------------------------------------------------------------------

void CFileView::SortItems(int sortType)
{
    m_pModel->Sort(sortType);
    m_nSortType = sortType;
    UpdateSortIndicator();
}

void CFileView::OnColumnClick(int column)
{
    if (column < 0 || column >= CFileListModel::ColCount)
        return;
    const bool wasClear = m_aSortFlags[column] == 0;
    m_aSortFlags[column] = wasClear ? 1 : 0;
    CWaitCursor wait;
    SortItems(wasClear ? column + kSortReversed : column);
}

void CFileView::UpdateSortIndicator()
{
    const int column = m_nSortType >= kSortReversed ? m_nSortType - kSortReversed : m_nSortType;
    m_pDetails->header()->setSortIndicator(column, m_nSortType >= kSortReversed ? Qt::DescendingOrder
                                                                               : Qt::AscendingOrder);
}

// --- View mode ---------------------------------------------------------------------

void CFileView::SetViewStyle(ViewStyle style)
{
    const QFontMetrics metrics(font());
    switch (style) {
    case Details:
        m_pStack->setCurrentWidget(m_pDetails);
        break;
    case LargeIcons:
        m_pIcons->setViewMode(QListView::IconMode);
        m_pIcons->setFlow(QListView::LeftToRight);
        m_pIcons->setWrapping(true);
        m_pIcons->setIconSize(QSize(32, 32));
        m_pIcons->setWordWrap(true);
        m_pIcons->setGridSize(QSize(metrics.averageCharWidth() * 14, 32 + metrics.height() * 2 + 8));
        // Every cell has room for the icon and two lines of name.
        m_pIconDelegate->SetCellSize(m_pIcons->gridSize() - QSize(4, 2), true);
        m_pIcons->setSpacing(0);
        m_pStack->setCurrentWidget(m_pIcons);
        break;
    case SmallIcons:
        m_pIcons->setViewMode(QListView::ListMode);
        m_pIcons->setFlow(QListView::LeftToRight);
        m_pIcons->setWrapping(true);
        m_pIcons->setIconSize(QSize(16, 16));
        m_pIcons->setWordWrap(false);
        m_pIcons->setGridSize(QSize(metrics.averageCharWidth() * 32, std::max(metrics.height(), 16) + 6));
        // Uniform item sizes would otherwise take the first row's width
        // for every cell and cut longer names short.
        m_pIconDelegate->SetCellSize(m_pIcons->gridSize() - QSize(4, 2), false);
        m_pStack->setCurrentWidget(m_pIcons);
        break;
    case List:
        m_pIcons->setViewMode(QListView::ListMode);
        m_pIcons->setFlow(QListView::TopToBottom);
        m_pIcons->setWrapping(true);
        m_pIcons->setIconSize(QSize(16, 16));
        m_pIcons->setWordWrap(false);
        m_pIcons->setGridSize(QSize(metrics.averageCharWidth() * 32, std::max(metrics.height(), 16) + 6));
        m_pIconDelegate->SetCellSize(m_pIcons->gridSize() - QSize(4, 2), false);
        m_pStack->setCurrentWidget(m_pIcons);
        break;
    }
    const bool changed = m_nViewStyle != style;
    m_nViewStyle = style;
    // The current row stays in sight across the switch.
    const QModelIndex current = m_pSelection->currentIndex();
    if (current.isValid())
        GetListCtrl()->scrollTo(current);
    if (changed)
        emit viewStyleChanged(style);
}

// --- State -----------------------------------------------------------------------------

int CFileView::GetItemCount() const
{
    return m_pModel->Count();
}

const FileListItem* CFileView::GetItem(int row) const
{
    return m_pModel->Item(row);
}

QAbstractItemView* CFileView::GetListCtrl() const
{
    return m_nViewStyle == Details ? static_cast<QAbstractItemView*>(m_pDetails)
                                   : static_cast<QAbstractItemView*>(m_pIcons);
}
