// CFileListModel: the rows of the file list. It owns one FileListItem per
// row and answers the views from them on demand: four columns in Details,
// the name and icon in the icon and list modes. The rows are replaced as a
// whole by each listing and reordered in place by a sort.
#pragma once

#include "FileListItem.h"

#include <QAbstractTableModel>

#include <functional>
#include <vector>

class CFileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ColName = 0, ColSize = 1, ColType = 2, ColModified = 3, ColCount = 4 };
    // Item data roles beyond Qt's own.
    enum Role { IconIndexRole = Qt::UserRole + 1, IsFolderRole, SortKeyRole, DropHighlightRole };

    explicit CFileListModel(QObject* parent = nullptr);
    ~CFileListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The end of an in-place edit of a name: the rename handler decides,
    // and the row changes only through RenameRow once it has succeeded.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // The list builds its drag data itself (our own data source, not the
    // toolkit's item list): no row is offered in a format of the model's.
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

    // Replaces every row; icon indexes go with the rows, one per item. An
    // index below 0 is looked up through the resolver the first time the
    // row is drawn (a folder's own icon needs a look at the disk).
    void SetItems(std::vector<FileListItem> items, std::vector<int> icons);
    void SetIconResolver(std::function<int(const FileListItem&)> resolver) { m_resolver = std::move(resolver); }
    // Called with the row and the edited text when an in-place edit of a
    // name ends; true when the item was renamed. Without one, names are
    // not editable.
    void SetRenameHandler(std::function<bool(int row, const QString& newName)> handler)
    {
        m_renameHandler = std::move(handler);
    }
    // A renamed item: its new name, path and type, and its icon (below 0:
    // looked up again when drawn).
    void RenameRow(int row, const std::string& name, const std::string& path, const QString& type, int icon);
    void Clear();
    // Reorders the rows under a sort code (see CFileView::CompareItems);
    // equal rows keep their order. Selections and the current row follow
    // their records.
    void Sort(int sortType);

    const FileListItem* Item(int row) const;
    int Count() const { return static_cast<int>(m_rows.size()); }
    // Row of the first record with exactly this name, or -1.
    int FindName(const std::string& name) const;
    // Rows that were cut are drawn dimmed until they are pasted, the
    // clipboard holds something else or the folder is listed again.
    void SetCut(const std::vector<int>& rows);
    void ClearCut();
    bool IsCut(int row) const;
    // The folder row a drag hovers over is drawn as the drop target; -1
    // draws none. Any change of the rows takes the mark away.
    void SetDropHighlight(int row);
    int DropHighlight() const { return m_nDropRow; }

    // Texts of the columns, as shown.
    static QString SizeText(const FileListItem& item);
    static QString TimeText(std::time_t time);

private:
    struct Row {
        FileListItem item;
        mutable int icon = 0;  // below 0: not looked up yet
        bool cut = false;
    };
    int IconOf(const Row& row) const;

    std::vector<Row> m_rows;
    std::function<int(const FileListItem&)> m_resolver;
    std::function<bool(int, const QString&)> m_renameHandler;
    int m_nDropRow = -1;
};

// Order of two records under a sort code (0-3, 10-13): negative when `a`
// comes first, 0 when they are equal, positive when `b` comes first.
int CompareFileListItems(const FileListItem& a, const FileListItem& b, int sortType);
