#include "FileListModel.h"

#include "IconList.h"
#include "ListingRules.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

#include <algorithm>
#include <numeric>

CFileListModel::CFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

CFileListModel::~CFileListModel() = default;

int CFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

int CFileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColCount;
}

QString CFileListModel::SizeText(const FileListItem& item)
{
    return item.m_bIsDir ? QString() : QString::number(item.m_nSize);
}

QString CFileListModel::TimeText(std::time_t time)
{
    struct tm local {};
    if (!localtime_r(&time, &local))
        return QString();
    char text[64] = "";
    if (strftime(text, sizeof text, "%m/%d/%Y %H:%M", &local) == 0)
        return QString();
    return QString::fromLatin1(text);
}

QVariant CFileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= Count())
        return {};
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    const FileListItem& item = row.item;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case ColName:
            return QString::fromUtf8(item.m_strName);
        case ColSize:
            return SizeText(item);
        case ColType:
            return item.m_strType;
        case ColModified:
            return TimeText(item.m_tModified);
        default:
            return {};
        }
    case Qt::DecorationRole:
        if (index.column() == ColName) {
            QIcon icon = CIconList::Instance().Icon(IconOf(row));
            if (icon.isNull()) {
                // Without an icon theme, the toolkit's own file and folder icons.
                static const QIcon folder = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
                static const QIcon file = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
                icon = item.m_bIsDir ? folder : file;
            }
            return row.cut ? DimmedIcon(icon) : icon;
        }
        return {};
    case Qt::BackgroundRole:
        if (index.row() == m_nDropRow)
            return QApplication::palette().brush(QPalette::Active, QPalette::Highlight);
        return {};
    case Qt::ForegroundRole:
        if (index.row() == m_nDropRow)
            return QApplication::palette().brush(QPalette::Active, QPalette::HighlightedText);
        if (row.cut)
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == ColSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (index.column() == ColModified)
            return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        if (index.column() == ColName && item.m_bIsDir)
            return QString::fromUtf8(item.m_strName);
        if (index.column() == ColName)
            return QStringLiteral("%1\n%2, %3 bytes").arg(QString::fromUtf8(item.m_strName), item.m_strType,
                                                          SizeText(item));
        return {};
    case IconIndexRole:
        return IconOf(row);
    case IsFolderRole:
        return item.m_bIsDir != 0;
    case DropHighlightRole:
        return index.row() == m_nDropRow;
    default:
        return {};
    }
}

void CFileListModel::SetCut(const std::vector<int>& rows)
{
    ClearCut();
    for (const int row : rows) {
        if (row < 0 || row >= Count())
            continue;
        m_rows[static_cast<size_t>(row)].cut = true;
        emit dataChanged(index(row, 0), index(row, ColCount - 1));
    }
}

void CFileListModel::ClearCut()
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (!m_rows[i].cut)
            continue;
        m_rows[i].cut = false;
        const int row = static_cast<int>(i);
        emit dataChanged(index(row, 0), index(row, ColCount - 1));
    }
}

bool CFileListModel::IsCut(int row) const
{
    return row >= 0 && row < Count() && m_rows[static_cast<size_t>(row)].cut;
}

void CFileListModel::SetDropHighlight(int row)
{
    if (row < 0 || row >= Count())
        row = -1;
    if (row == m_nDropRow)
        return;
    const int old = m_nDropRow;
    m_nDropRow = row;
    if (old >= 0)
        emit dataChanged(index(old, 0), index(old, ColCount - 1));
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, ColCount - 1));
}

int CFileListModel::IconOf(const Row& row) const
{
    if (row.icon < 0) {
        const int icon = m_resolver ? m_resolver(row.item) : 0;
        row.icon = icon > 0 ? icon : (row.item.m_bIsDir ? CIconList::kFolder : CIconList::kUnknownFile);
    }
    return row.icon;
}

QVariant CFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole) {
        switch (section) {
        case ColName:
            return QStringLiteral("File Name");
        case ColSize:
            return QStringLiteral("Size");
        case ColType:
            return QStringLiteral("Type");
        case ColModified:
            return QStringLiteral("Last Modified");
        default:
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole) {
        if (section == ColSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (section == ColModified)
            return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags CFileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    // Editable for an edit the program starts; the views start none on
    // clicks or keys of their own.
    if (index.column() == ColName && m_renameHandler)
        flags |= Qt::ItemIsEditable;
    if (const FileListItem* item = Item(index.row()); item && !IsDotName(item->m_strName)) {
        // "." and ".." are never dragged, and a drop on them would name a
        // folder by a path that is not its own.
        flags |= Qt::ItemIsDragEnabled;
        if (item->m_bIsDir)
            flags |= Qt::ItemIsDropEnabled;
    }
    return flags;
}

QStringList CFileListModel::mimeTypes() const
{
    return {};
}

Qt::DropActions CFileListModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions CFileListModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

bool CFileListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != ColName || index.row() >= Count()
        || !m_renameHandler)
        return false;
    return m_renameHandler(index.row(), value.toString());
}

void CFileListModel::RenameRow(int row, const std::string& name, const std::string& path, const QString& type,
                               int icon)
{
    if (row < 0 || row >= Count())
        return;
    Row& entry = m_rows[static_cast<size_t>(row)];
    entry.item.m_strName = name;
    entry.item.m_strPath = path;
    entry.item.m_strType = type;
    entry.icon = icon;
    emit dataChanged(index(row, 0), index(row, ColCount - 1));
}

void CFileListModel::SetItems(std::vector<FileListItem> items, std::vector<int> icons)
{
    beginResetModel();
    m_nDropRow = -1;
    m_rows.clear();
    m_rows.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        m_rows.push_back(Row{std::move(items[i]), i < icons.size() ? icons[i] : 0, false});
    endResetModel();
}

void CFileListModel::Clear()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_nDropRow = -1;
    m_rows.clear();
    m_rows.shrink_to_fit();
    endResetModel();
}

void CFileListModel::Sort(int sortType)
{
    if (m_rows.size() < 2)
        return;
    SetDropHighlight(-1);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Sort a permutation, then move each record once.
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return CompareFileListItems(m_rows[static_cast<size_t>(a)].item, m_rows[static_cast<size_t>(b)].item,
                                    sortType) < 0;
    });
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRowOf(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newRowOf[static_cast<size_t>(order[i])] = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[static_cast<size_t>(order[i])]));
    }
    m_rows = std::move(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(index.isValid() ? createIndex(newRowOf[static_cast<size_t>(index.row())], index.column())
                                     : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const FileListItem* CFileListModel::Item(int row) const
{
    if (row < 0 || row >= Count())
        return nullptr;
    return &m_rows[static_cast<size_t>(row)].item;
}

int CFileListModel::FindName(const std::string& name) const
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].item.m_strName == name)
            return static_cast<int>(i);
    }
    return -1;
}
