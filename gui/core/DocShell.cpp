// The document's pieces of the desktop shell: the Send To submenu, the
// verbs of a file's type, icon indexes and special folders.

#include "TavoDoc.h"

#include "IconList.h"
#include "ShellGio.h"
#include "SpecialFolders.h"
#include "TraceLog.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace {

QByteArray Utf8(const QString& text)
{
    return text.toUtf8();
}

QAction* InsertAtTop(QMenu* menu, const QString& text, int id)
{
    auto* action = new QAction(text, menu);
    action->setData(id);
    const QList<QAction*> actions = menu->actions();
    menu->insertAction(actions.isEmpty() ? nullptr : actions.first(), action);
    return action;
}

}  // namespace

QString CTavoDoc::GetSpecialFolderLocation(int csidl) const
{
    const QString path = SpecialFolderPath(csidl);
    if (!path.isEmpty())
        g_TraceLog.Trace("CTavoDoc::GetSpecialFolderLocation: Special folder for %d = %s", csidl,
                         Utf8(path).constData());
    return path;
}

CMenuEntry& CTavoDoc::NewEntry(const QString& verb, const QString& text, const QString& name, const QString& command)
{
    CMenuEntry entry;
    entry.m_strVerb = verb;
    entry.m_strText = text;
    entry.m_strName = name;
    entry.m_strCommand = command;
    entry.m_nFlags &= ~1;
    entry.m_nID = ++m_nCommandID;
    m_aMenuEntries.push_back(entry);
    return m_aMenuEntries.back();
}

void CTavoDoc::BuildSendToList(QMenu* menu)
{
    const QString folder = GetSpecialFolderLocation(kCsidlSendTo);
    if (folder.isEmpty() || !menu)
        return;
    m_aMenuEntries.clear();
    g_TraceLog.Trace("CTavoDoc::BuildSendToList: Creating SendTo menu items");

    // Sorted by name, so that the menu keeps its order from run to run.
    const QFileInfoList files =
        QDir(folder).entryInfoList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& file : files) {
        if (file.isDir())
            continue;  // a link to a folder is still a folder
        const QString path = file.absoluteFilePath();
        QString displayName = file.fileName();
        QString typeName;
        QString iconName;
        if (file.isSymLink()) {
            typeName = QStringLiteral("Shortcut");
        } else if (file.suffix() == QLatin1String("desktop")) {
            const ShellLauncher launcher = ShellReadLauncher(path);
            if (launcher.valid) {
                typeName = QStringLiteral("Application");
                displayName = launcher.displayName;
                iconName = launcher.iconName;
            }
        }
        if (typeName.isEmpty())
            CIconList::Instance().IndexForFileName(file.fileName(), &typeName);
        g_TraceLog.Trace("CTavoDoc::BuildSendToList: displayname = %s, typename = %s", Utf8(displayName).constData(),
                         Utf8(typeName).constData());

        const bool runnable = typeName.compare(QLatin1String("Application"), Qt::CaseInsensitive) == 0
                              || typeName.compare(QLatin1String("Shortcut"), Qt::CaseInsensitive) == 0;
        if (!runnable) {
            ++m_nCommandID;  // every file examined uses up an id
            continue;
        }
        const CMenuEntry& entry = NewEntry(QStringLiteral("open"), displayName, displayName, path);
        auto* action = new QAction(entry.m_strText, menu);
        action->setData(entry.m_nID);
        int icon = iconName.isEmpty() ? CIconList::kApplication : CIconList::Instance().IndexForIconName(iconName);
        if (file.isSymLink())
            icon = CIconList::Instance().IndexForFileName(file.symLinkTarget(), nullptr);
        action->setIcon(CIconList::Instance().Icon(icon));
        menu->addAction(action);
    }
}

void CTavoDoc::BuildContextMenu(QMenu* menu, const QString& path, bool isFolder)
{
    if (!menu)
        return;
    if (isFolder) {
        InsertAtTop(menu, QStringLiteral("&Open"), ID_FILE_OPEN_ITEM);
        return;
    }
    const QString name = GetFileTitle(path);
    const int dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return;
    const QString extension = name.mid(dot);
    const QString fileType = ShellContentTypeForName(name);
    g_TraceLog.Trace("CTavoDoc::BuildContextMenu: %s filetype is %s", Utf8(extension).constData(),
                     Utf8(fileType).constData());
    if (fileType.isEmpty())
        return;

    // The default application is the "open" verb; every other application
    // registered for the type is a verb of its own, named by its id.
    const std::vector<ShellApplication> apps = ShellApplicationsForType(fileType);
    int index = 0;
    for (const ShellApplication& app : apps) {
        const QString verb = app.isDefault ? QStringLiteral("open") : app.id;
        g_TraceLog.Trace("CTavoDoc::BuildContextMenu: %d) %s", index++, Utf8(verb).constData());
        QString text = app.isDefault ? QString() : app.name;
        g_TraceLog.Trace("CTavoDoc::BuildContextMenu: default =  %s", Utf8(text).constData());
        if (verb.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0 && text.isEmpty())
            text = QStringLiteral("&Open");
        if (text.isEmpty())
            continue;
        const CMenuEntry& entry = NewEntry(verb, text, verb, QString());
        QAction* action = InsertAtTop(menu, entry.m_strText, entry.m_nID);
        if (!app.iconName.isEmpty())
            action->setIcon(CIconList::Instance().Icon(CIconList::Instance().IndexForIconName(app.iconName)));
    }
}

const CMenuEntry* CTavoDoc::FindEntry(int id) const
{
    if (id < kFirstDynamicCommand || id > m_nCommandID)
        return nullptr;
    for (const CMenuEntry& entry : m_aMenuEntries) {
        if (entry.m_nID == id)
            return &entry;
    }
    return nullptr;
}

int CTavoDoc::RunEntry(const CMenuEntry& entry, const QString& itemPath) const
{
    if (!entry.m_strCommand.isEmpty())
        return ShellExecute(entry.m_strVerb, entry.m_strCommand, itemPath);
    return ShellExecute(entry.m_strVerb, itemPath, QString());
}

int CTavoDoc::GetIconIndex(const QString& path, bool isFolder, QString* typeName) const
{
    CIconList& icons = CIconList::Instance();
    const int index = isFolder ? icons.IndexForFolder(path, typeName) : icons.IndexForFileName(GetFileTitle(path), typeName);
    if (index == CIconList::kUnknownFile)
        g_TraceLog.Trace("CTavoDoc::GetIconIndex: Icon index for %s is not found. return 0", Utf8(path).constData());
    else if (isFolder)
        g_TraceLog.Trace("CTavoDoc::GetIconIndex: Icon index for %s directory is %d", Utf8(path).constData(), index);
    else
        g_TraceLog.Trace("CTavoDoc::GetIconIndex: Icon index for %s is %d", Utf8(path).constData(), index);
    return index;
}

QString CTavoDoc::GetFileTitle(const QString& path)
{
    const int slash = path.lastIndexOf(u'/');
    return slash > 0 ? path.mid(slash + 1) : path;
}
