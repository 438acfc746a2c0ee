#include "DriveView.h"

#include "DriveViewText.h"

#include "FtpSession.h"
#include "IconList.h"
#include "Profile.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"
#include "DirFile.h"
#include "MenuEntry.h"
#include "LocalFileOp.h"
#include "OleDS.h"
#include "Prompt.h"
#include "SecurityEmblem.h"

#ifdef TAVO_HAVE_VIEWS
#include "FileView.h"
#include "WaitHook.h"
#endif

#include <netvo32.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>

#include <unistd.h>

CDriveView* g_pDriveView = nullptr;

using namespace drivetree;

namespace {

// Releases the keep-alive timers of any session still pointing at the view.
void DetachSessions(ITimerHost* host)
{
    for (const auto& session : g_SessionList()) {
        if (session->m_hTimerWnd == host) {
            session->StopTimer();
            session->m_hTimerWnd = nullptr;
        }
    }
}

constexpr const char* kSettingsSection = "Settings";

}  // namespace

// A tree item owns its TreeItemData, and tells the view when it goes, so
// that the view never keeps a pointer to a deleted item.
class CTreeItem : public QTreeWidgetItem {
public:
    CTreeItem(CDriveView* view, bool withData) : QTreeWidgetItem(UserType), m_pView(view)
    {
        if (withData)
            m_pData = std::make_unique<TreeItemData>();
    }
    ~CTreeItem() override
    {
        if (m_pData)
            g_TraceLog.Trace("CDriveView.OnDeleteitem: Delete tree \"%s\" item", m_pData->m_strName.c_str());
        else
            g_TraceLog.Trace("CDriveView.OnDeleteitem: Delete tree NULL item");
        if (m_pView)
            m_pView->ItemDeleted(this);
    }

    CDriveView* m_pView;
    std::unique_ptr<TreeItemData> m_pData;
    int m_nImage = 0;
    int m_nSelectedImage = 0;
    bool m_bPlaceholder = false;
};

// In-place label editing: the new text goes to OnEndlabeledit once the
// editor has closed, and the label only changes when the rename worked.
class CLabelEditDelegate : public QStyledItemDelegate {
public:
    explicit CLabelEditDelegate(CDriveView* view) : QStyledItemDelegate(view), m_pView(view) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        if (!edit)
            return;
        const QPersistentModelIndex target(index);
        const QString text = edit->text();
        CDriveView* view = m_pView;
        // Runs after the editor is gone: the rename blocks on the network and
        // may re-read the very branch the edited item lies in.
        QTimer::singleShot(0, view, [view, target, text] {
            if (!target.isValid())
                return;
            if (QTreeWidgetItem* item = view->ItemFromIndex(target))
                view->OnEndlabeledit(item, text);
        });
    }

private:
    CDriveView* m_pView;
};

CDriveView::CDriveView(CTavoDoc* doc, QWidget* parent) : QTreeWidget(parent), m_pDoc(doc)
{
    g_pDriveView = this;
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setItemDelegate(new CLabelEditDelegate(this));
    setFrameShape(QFrame::StyledPanel);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    // Drags start and drops land through the tree's own handlers (folder
    // items only, our own highlight and expand timer), not the item view's.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragEnabled(false);
    setDropIndicatorShown(false);

    m_nExpandDelay = GetProfileInt(kSettingsSection, "ExpandTimer", 2500);
    LoadImages();

    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!m_bFilling)
            OnItemExpanding(item, true);
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (!m_bFilling)
            OnItemExpanding(item, false);
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
        if (!m_bFilling && current)
            OnSelectionChanged(current);
    });
    // A cut item looks cut only while the clipboard still holds that cut.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        if (!m_pCutSource || COleDS::Own(QGuiApplication::clipboard()->mimeData()) != m_pCutSource)
            ClearCutMark();
    });
#ifdef TAVO_HAVE_VIEWS
    // Local copies show the same progress window as transfers, with Cancel.
    CLocalFileOp::SetProgress([](long long done, long long total) { return CWaitHook::Tick(done, total); });
#endif
}

CDriveView::~CDriveView()
{
    DetachSessions(this);
    m_bFilling = true;
    // Items tell the view when they go; they must not find it half gone.
    for (int i = 0; i < topLevelItemCount(); ++i)
        static_cast<CTreeItem*>(topLevelItem(i))->m_pView = nullptr;
    std::vector<QTreeWidgetItem*> stack;
    for (int i = 0; i < topLevelItemCount(); ++i)
        stack.push_back(topLevelItem(i));
    while (!stack.empty()) {
        QTreeWidgetItem* item = stack.back();
        stack.pop_back();
        static_cast<CTreeItem*>(item)->m_pView = nullptr;
        for (int i = 0; i < item->childCount(); ++i)
            stack.push_back(item->child(i));
    }
    qDeleteAll(m_timers);
    m_timers.clear();
#ifdef TAVO_HAVE_VIEWS
    CLocalFileOp::SetProgress({});
#endif
    if (g_pDriveView == this)
        g_pDriveView = nullptr;
}

void CDriveView::LoadImages()
{
    const auto theme = [](const char* name, const char* fallback, QStyle::StandardPixmap standard) {
        QIcon icon = QIcon::fromTheme(QLatin1String(name));
        if (icon.isNull())
            icon = QIcon::fromTheme(QLatin1String(fallback));
        if (icon.isNull())
            icon = QApplication::style()->standardIcon(standard);
        return icon;
    };
    m_images.clear();
    m_images.push_back(theme("drive-harddisk", "drive-harddisk", QStyle::SP_DriveHDIcon));
    m_images.push_back(theme("drive-removable-media", "media-removable", QStyle::SP_DriveFDIcon));
    m_images.push_back(theme("drive-optical", "media-optical", QStyle::SP_DriveCDIcon));
    m_images.push_back(theme("network-server", "folder-remote", QStyle::SP_DriveNetIcon));
    m_images.push_back(theme("folder", "folder", QStyle::SP_DirClosedIcon));
    m_images.push_back(theme("folder-open", "folder", QStyle::SP_DirOpenIcon));
    m_nRecycleImage = static_cast<int>(m_images.size());
    m_images.push_back(theme("user-trash", "user-trash-full", QStyle::SP_TrashIcon));
}

// --- Items ------------------------------------------------------------------

TreeItemData* CDriveView::GetItemData(QTreeWidgetItem* item)
{
    if (!item || item->type() != QTreeWidgetItem::UserType)
        return nullptr;
    return static_cast<CTreeItem*>(item)->m_pData.get();
}

int CDriveView::GetItemImage(QTreeWidgetItem* item)
{
    if (!item || item->type() != QTreeWidgetItem::UserType)
        return -1;
    return static_cast<CTreeItem*>(item)->m_nImage;
}

bool CDriveView::IsPlaceholder(QTreeWidgetItem* item)
{
    return item && item->type() == QTreeWidgetItem::UserType && static_cast<CTreeItem*>(item)->m_bPlaceholder;
}

QIcon CDriveView::ItemIcon(int image, int selectedImage) const
{
    QIcon icon;
    if (image >= 0 && image < static_cast<int>(m_images.size()))
        icon = m_images[image];
    if (selectedImage != image && selectedImage >= 0 && selectedImage < static_cast<int>(m_images.size())) {
        const QIcon selected = m_images[selectedImage];
        for (const QSize& size : selected.availableSizes())
            icon.addPixmap(selected.pixmap(size), QIcon::Selected);
    }
    return icon;
}

QTreeWidgetItem* CDriveView::NewItem(QTreeWidgetItem* parent, const QString& label, int image, int selectedImage,
                                     bool withData, int handle, const std::string& name, bool sorted)
{
    auto* item = new CTreeItem(this, withData);
    item->setText(0, label);
    item->m_nImage = image;
    item->m_nSelectedImage = selectedImage;
    item->setIcon(0, ItemIcon(image, selectedImage));
    if (withData) {
        item->m_pData->m_nFtpHandle = handle;
        item->m_pData->m_strName = name;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Folders can be renamed in place; volumes, servers and the Trash cannot.
    if (parent && withData && !name.empty() && image != m_nRecycleImage)
        flags |= Qt::ItemIsEditable;
    item->setFlags(flags);

    if (!parent) {
        addTopLevelItem(item);
    } else if (!sorted) {
        parent->addChild(item);
    } else {
        int at = parent->childCount();
        for (int i = 0; i < parent->childCount(); ++i) {
            const QString other = parent->child(i)->text(0);
            int order = other.compare(label, Qt::CaseInsensitive);
            if (order == 0)
                order = other.compare(label, Qt::CaseSensitive);
            if (order > 0 && !IsPlaceholder(parent->child(i))) {
                at = i;
                break;
            }
        }
        parent->insertChild(at, item);
    }
    return item;
}

QTreeWidgetItem* CDriveView::NewFolderItem(QTreeWidgetItem* parent, const std::string& name, int handle, bool sorted)
{
    return NewItem(parent, Q(name), kImageFolder, kImageOpenFolder, true, handle, name, sorted);
}

void CDriveView::AddPlaceholder(QTreeWidgetItem* item, bool withData, const QString& label)
{
    const bool wasFilling = m_bFilling;
    m_bFilling = true;
    auto* placeholder =
        static_cast<CTreeItem*>(NewItem(item, label, kImageFolder, kImageFolder, withData, 0, std::string(), false));
    placeholder->m_bPlaceholder = true;
    placeholder->setFlags(Qt::ItemIsEnabled);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    m_bFilling = wasFilling;
}

void CDriveView::DeleteChildren(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const bool wasFilling = m_bFilling;
    m_bFilling = true;
    // The selection must not be left inside a branch that goes away.
    for (QTreeWidgetItem* walk = currentItem(); walk; walk = walk->parent()) {
        if (walk->parent() == item) {
            setCurrentItem(item);
            break;
        }
    }
    const QList<QTreeWidgetItem*> children = item->takeChildren();
    qDeleteAll(children);
    m_bFilling = wasFilling;
}

void CDriveView::RemoveFolderItem(QTreeWidgetItem* item)
{
    QTreeWidgetItem* parent = item ? item->parent() : nullptr;
    if (!parent)
        return;
    const bool wasFilling = m_bFilling;
    m_bFilling = true;
    if (currentItem() == item || m_hCurrentItem == item)
        setCurrentItem(parent);
    DeleteChildren(item);
    delete item;
    if (parent->childCount() == 0)
        parent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
    m_bFilling = wasFilling;
    // The selection moved to the parent: the program and the list follow.
    SyncSelection();
}

void CDriveView::ItemDeleted(QTreeWidgetItem* item)
{
    if (m_hCurrentItem == item)
        m_hCurrentItem = nullptr;
    if (m_hContextItem == item)
        m_hContextItem = nullptr;
    if (m_hDragItem == item)
        m_hDragItem = nullptr;
    if (m_hDropItem == item)
        m_hDropItem = nullptr;
    if (m_hCutItem == item)
        m_hCutItem = nullptr;
}

QTreeWidgetItem* CDriveView::GetTopParent(QTreeWidgetItem* item)
{
    while (item && item->parent())
        item = item->parent();
    return item;
}

// --- Start-up and drives ----------------------------------------------------

bool CDriveView::AddDrive(const std::string& rootPath)
{
    return AddDrive(rootPath, GetDriveKind(rootPath));
}

bool CDriveView::AddDrive(const std::string& rootPath, DriveKind kind)
{
    int image = kImageFixed;
    switch (kind) {
    case DriveKind::Fixed: image = kImageFixed; break;
    case DriveKind::Removable: image = kImageRemovable; break;
    case DriveKind::CdRom: image = kImageCdRom; break;
    case DriveKind::Network: image = kImageNetwork; break;
    case DriveKind::Hidden: return false;
    }
    std::string label = rootPath;
    if (label.empty() || label.back() != '/')
        label += '/';
    QTreeWidgetItem* item = NewItem(nullptr, Q(label), image, image, true, 0, std::string(), false);
    // Removable media are not touched until the user opens them.
    if (kind == DriveKind::Removable || kind == DriveKind::CdRom)
        AddPlaceholder(item, false);
    else
        HasSubFolders(item, label);
    return true;
}

void CDriveView::OnInitialUpdate()
{
#ifdef TAVO_HAVE_VIEWS
    // Commands of the file list log in again too when a connection dropped;
    // they end by showing the folder.
    if (g_pFileView)
        connect(g_pFileView, &CFileView::folderShown, this, &CDriveView::UpdateSecurityEmblems, Qt::UniqueConnection);
#endif
    for (const DriveInfo& drive : ListDrives())
        AddDrive(drive.m_strRoot, drive.m_nKind);

    AddAutoFtpServer();

    // The volume of the current folder opens first.
    std::vector<std::string> labels;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (GetItemData(topLevelItem(i)) && GetItemData(topLevelItem(i))->m_nFtpHandle == 0)
            labels.push_back(S(topLevelItem(i)->text(0)));
    }
    char cwd[4096] = {};
    f_getcwd(cwd, sizeof cwd);
    const std::string root = DriveOfPath(cwd, labels);
    if (root.empty())
        return;
    m_pDoc->SetCurrentPath(root, std::string());
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        if (S(item->text(0)) == root) {
            expandItem(item);
            setCurrentItem(item);
            break;
        }
    }
}

// --- Paths and sessions -----------------------------------------------------

void CDriveView::AppendSeparator(std::string& path, int handle)
{
    if (!EndsWithSeparator(path))
        path += g_GetSeparator(handle);
}

std::string CDriveView::GetPathFromItem(QTreeWidgetItem* item, bool addSeparator) const
{
    g_TraceLog.Trace("CDriveView.GetPathFromItem: Begin");
    TreeItemData* data = GetItemData(item);
    if (!item)
        return std::string();
    if (data && data->m_nFtpHandle > 0) {
        g_TraceLog.Trace("CDriveView.GetPathFromItem: An FTP item");
        const CSession* session = g_GetSession(data->m_nFtpHandle);
        const std::string separator = session ? session->GetSeparator() : std::string("/");
        std::string path;
        if (item->parent()) {
            path = S(item->text(0));
            if (addSeparator)
                path += separator;
        }
        for (QTreeWidgetItem* up = item->parent(); up && up->parent(); up = up->parent()) {
            std::string label = S(up->text(0));
            if (label.empty() || label.compare(label.size() - separator.size(), separator.size(), separator) != 0)
                label += separator;
            path = label + path;
        }
        std::string root;
        if (session)
            root = session->m_strRoot;
        if (root.empty()) {
            if (TreeItemData* top = GetItemData(GetTopParent(item)))
                root = top->m_strName;
        }
        if (!EndsWithSeparator(root))
            root += separator;
        return root + path;
    }
    g_TraceLog.Trace("CDriveView.GetPathFromItem: Drive item");
    std::string path = S(item->text(0));
    if (addSeparator && !EndsWithSeparator(path))
        path += '/';
    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent()) {
        std::string label = S(up->text(0));
        if (!EndsWithSeparator(label))
            label += '/';
        path = label + path;
    }
    return path;
}

std::string CDriveView::GetSessionName(QTreeWidgetItem* item) const
{
    QTreeWidgetItem* top = GetTopParent(item);
    if (!top)
        return std::string();
    std::string name;
    TreeItemData* data = GetItemData(top);
    if (data && data->m_nFtpHandle > 0 && !data->m_strSession.empty()) {
        name = data->m_strSession;
    } else {
        name = S(top->text(0));
        const size_t colon = name.find(':');
        if (colon != std::string::npos && colon > 0)
            name.resize(colon);
    }
    g_TraceLog.Trace("GetSessionName: Session name = %s.", name.c_str());
    return name;
}

CSession* CDriveView::GetSession(QTreeWidgetItem* item) const
{
    QTreeWidgetItem* top = GetTopParent(item);
    TreeItemData* data = GetItemData(top);
    // Volumes are never sessions, whatever their label looks like.
    if (!top || !data || data->m_nFtpHandle <= 0)
        return nullptr;
    const std::string name = data->m_strSession.empty() ? GetSessionName(top) : data->m_strSession;
    g_TraceLog.Trace("CDriveView.GetSession: Name = %s", name.c_str());
    return g_GetSession(name);
}

int CDriveView::GetFtpHandle(QTreeWidgetItem* item) const
{
    TreeItemData* data = GetItemData(item);
    if (!data || data->m_nFtpHandle <= 0)
        return 0;
    CSession* session = GetSession(item);
    return session ? session->GetFtpHandle() : 0;
}

QTreeWidgetItem* CDriveView::FindItem(QTreeWidgetItem* parent, const std::string& name) const
{
    if (!parent)
        return nullptr;
    const QString wanted = Q(name);
    for (int i = 0; i < parent->childCount(); ++i) {
        QTreeWidgetItem* child = parent->child(i);
        if (IsPlaceholder(child))
            continue;
        if (child->text(0) == wanted) {
            g_TraceLog.Trace("CDriveView.FindItem: %s found", name.c_str());
            return child;
        }
        g_TraceLog.Trace("CDriveView.FindItem: Next Directory = %s", S(child->text(0)).c_str());
    }
    g_TraceLog.Trace("CDriveView.FindItem: %s not found", name.c_str());
    return nullptr;
}

QTreeWidgetItem* CDriveView::FindPathItem(const std::string& path, int handle) const
{
    g_TraceLog.Trace("CDriveView::FindPathItem: Looking for \"%s\" Tree handle. Ftphandle = %d", path.c_str(), handle);
    QTreeWidgetItem* current = nullptr;
    std::string rest;
    std::string separator = "/";
    if (handle != 0) {
        CSession* session = g_GetSession(handle);
        if (!session)
            return nullptr;
        separator = session->GetSeparator();
        for (int i = 0; i < topLevelItemCount() && !current; ++i) {
            QTreeWidgetItem* top = topLevelItem(i);
            g_TraceLog.Trace("CDriveView::FindPathItem: Is %s the root?", S(top->text(0)).c_str());
            TreeItemData* data = GetItemData(top);
            if (!data || data->m_nFtpHandle <= 0 || GetSessionName(top) != session->m_strName)
                continue;
            g_TraceLog.Trace("CDriveView::FindPathItem: Found root for %s", session->m_strName.c_str());
            g_TraceLog.Trace("CDriveView::FindPathItem: Item path = %s", path.c_str());
            const std::string& root = session->m_strRoot;
            // A path outside the root has no item under this server.
            if (path.compare(0, root.size(), root) != 0)
                return nullptr;
            size_t advance = root.size();
            if (root.empty() || root.compare(root.size() - separator.size(), separator.size(), separator) != 0)
                advance += 1;
            rest = path.size() > advance ? path.substr(advance) : std::string();
            if (path.size() > root.size() && path.size() >= advance
                && path.compare(root.size(), advance - root.size(), separator.substr(0, advance - root.size())) != 0)
                return nullptr;
            g_TraceLog.Trace("CDriveView::FindPathItem: Subtract root(%s). Advance len = %d, Path = %s", root.c_str(),
                             static_cast<int>(advance), rest.c_str());
            current = top;
        }
    } else {
        std::vector<std::string> labels;
        for (int i = 0; i < topLevelItemCount(); ++i) {
            TreeItemData* data = GetItemData(topLevelItem(i));
            if (data && data->m_nFtpHandle == 0)
                labels.push_back(S(topLevelItem(i)->text(0)));
        }
        const std::string drive = DriveOfPath(path, labels);
        if (drive.empty())
            return nullptr;
        for (int i = 0; i < topLevelItemCount(); ++i) {
            if (S(topLevelItem(i)->text(0)) == drive && GetItemData(topLevelItem(i))
                && GetItemData(topLevelItem(i))->m_nFtpHandle == 0) {
                current = topLevelItem(i);
                break;
            }
        }
        rest = path.size() > drive.size() ? path.substr(drive.size()) : std::string();
    }
    while (current && !rest.empty()) {
        const size_t cut = rest.find(separator);
        const std::string token = rest.substr(0, cut);
        rest = cut == std::string::npos ? std::string() : rest.substr(cut + separator.size());
        g_TraceLog.Trace("CDriveView::FindPathItem: Token = %s, Remaining = %s", token.c_str(), rest.c_str());
        if (token.empty())
            break;
        current = FindItem(current, token);
    }
    return current;
}

bool CDriveView::IsRecycleBin(const std::string& path)
{
    const QFileInfo info(Q(path));
    if (!info.isDir())
        return false;
    const QString canonical = info.canonicalFilePath();
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    if (canonical == QFileInfo(dataHome + QStringLiteral("/Trash")).canonicalFilePath())
        return true;
    // A volume's own trash lies at its root.
    if (info.fileName() == QStringLiteral(".Trash-%1").arg(getuid())) {
        const QString parent = QFileInfo(canonical).path();
        return QStorageInfo(parent).rootPath() == parent;
    }
    return false;
}

// --- Selection --------------------------------------------------------------

void CDriveView::SendHint(int hint, int handle, const std::string& sessionName, const std::string& path)
{
#ifdef TAVO_HAVE_VIEWS
    if (g_pFileView) {
        FileViewHint object;
        object.m_nFtpHandle = handle;
        object.m_strSession = sessionName;
        object.m_strPath = path;
        g_pFileView->OnUpdate(hint, &object);
    }
#endif
    emit currentPlaceChanged(hint, handle, Q(sessionName), Q(path));
}

void CDriveView::OnSelectionChanged(QTreeWidgetItem* item)
{
    if (!item || IsPlaceholder(item))
        return;
    const std::string path = GetPathFromItem(item, false);
    m_hCurrentItem = item;
    g_TraceLog.Trace("CDriveView::OnSelectionChanged: New tree item(%d)", indexOfTopLevelItem(GetTopParent(item)));
    TreeItemData* data = GetItemData(item);
    if (data && data->m_nFtpHandle > 0) {
        CSession* session = GetSession(item);
        if (!session) {
            m_nCurrentHandle = 0;
            return;
        }
        const std::string name = session->m_strName;
        m_nCurrentHandle = session->GetFtpHandle();
        m_pDoc->SetCurrentPath(path, name);
        SendHint(90 + 1, m_nCurrentHandle, name, path);
        // The listing above may have waited on the network; the session may
        // have been closed meanwhile.
        if (CSession* still = g_GetSession(name))
            still->Cd(path, true);
        // Cd logs in again when the connection had dropped.
        UpdateSecurityEmblems();
    } else {
        m_nCurrentHandle = 0;
        m_pDoc->SetCurrentPath(path, std::string());
        SendHint(90, 0, std::string(), path);
        ftp_lcd(path.c_str());
    }
    g_TraceLog.Trace("CDriveView.OnSelectionChanged: Change directory to %s", path.c_str());
}

void CDriveView::Refresh()
{
    g_TraceLog.Trace("CDriveView.Refresh: Begin");
    QTreeWidgetItem* item = currentItem();
    if (!item || IsPlaceholder(item))
        return;
    OnItemExpanding(item, item->isExpanded());
}

void CDriveView::ChangeSelectedDirectory(const std::string& name)
{
    g_TraceLog.Trace("CDriveView.ChangeSelectedDirectory: Begin");
    QTreeWidgetItem* selected = currentItem();
    if (!selected)
        return;
    if (!selected->isExpanded())
        expandItem(selected);
    scrollToItem(selected);
    QTreeWidgetItem* child = FindItem(selected, name);
    if (!child) {
        Refresh();
        child = FindItem(selected, name);
    }
    if (child)
        setCurrentItem(child);
}

void CDriveView::ChangeSelectedDirectory(const std::string& oldName, const std::string& newName)
{
    g_TraceLog.Trace("CDriveView.ChangeSelectedDirectory: Begin");
    QTreeWidgetItem* selected = currentItem();
    QTreeWidgetItem* child = FindItem(selected, oldName);
    if (!child)
        return;
    if (TreeItemData* data = GetItemData(child))
        data->m_strName = newName;
    child->setText(0, Q(newName));
    setCurrentItem(selected);
}

void CDriveView::AddFolderItem(const std::string& parentPath, const std::string& name)
{
    QTreeWidgetItem* selected = currentItem();
    if (!selected || name.empty())
        return;
    // A folder that is there already (the branch was read after it was made)
    // is not added twice.
    if (FindItem(selected, name))
        return;
    const bool wasFilling = m_bFilling;
    m_bFilling = true;
    QTreeWidgetItem* folder = NewFolderItem(selected, name, 0, true);
    HasSubFolders(folder, JoinLocal(parentPath, name));
    m_bFilling = wasFilling;
}

// --- Timers -----------------------------------------------------------------

void CDriveView::StartSessionTimer(unsigned id, int periodMs)
{
    QTimer*& timer = m_timers[id];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
    timer->start(periodMs);
}

void CDriveView::KillSessionTimer(unsigned id)
{
    if (QTimer* timer = m_timers.take(id))
        delete timer;
}

void CDriveView::OnTimer(unsigned id)
{
    // A tick that arrives while any session waits inside the library (the
    // wait hook keeps events flowing) is skipped: the library is not
    // re-entered from inside one of its own calls, and the next tick comes.
    for (const auto& session : g_SessionList()) {
        if (session->m_nBusy > 0) {
            g_TraceLog.Trace("CDriveView.OnTimer: %s is busy, tick %u skipped", session->m_strName.c_str(), id);
            return;
        }
    }
    g_CheckTimerEvent(id);
    // The NOOP may have found the connection gone and rebuilt it, or not.
    UpdateSecurityEmblems();
}

void CDriveView::UpdateSecurityEmblems()
{
    // The library is not asked from inside one of its own calls (the wait
    // hook keeps events flowing meanwhile); once it is free, look again.
    for (const auto& session : g_SessionList()) {
        if (session->m_nBusy > 0) {
            if (!m_bSecurityRetry) {
                m_bSecurityRetry = true;
                QTimer::singleShot(250, this, [this] {
                    m_bSecurityRetry = false;
                    UpdateSecurityEmblems();
                });
            }
            return;
        }
    }
    for (int i = 0; i < topLevelItemCount(); ++i) {
        auto* item = static_cast<CTreeItem*>(topLevelItem(i));
        const TreeItemData* data = GetItemData(item);
        if (!data || data->m_nFtpHandle <= 0)
            continue;
        // A session whose rebuild failed has no handle any more, and the
        // item's old one must not be asked: no lock, no words.
        const CSession* session = g_GetSession(data->m_nFtpHandle);
        const int state = session ? ftp_getsecurity(session->m_nFtpHandle) : -1;
        security_emblem::ApplyState(item, ItemIcon(item->m_nImage, item->m_nSelectedImage), state);
    }
}
