#include "IconList.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeDatabase>

namespace {

QIcon ThemeIcon(const QString& name, const QString& fallback = QString())
{
    QIcon icon = QIcon::fromTheme(name);
    if (icon.isNull() && !fallback.isEmpty())
        icon = QIcon::fromTheme(fallback);
    return icon;
}

}  // namespace

CIconList& CIconList::Instance()
{
    static CIconList list;
    return list;
}

CIconList::CIconList()
{
    Add(QStringLiteral("fixed:unknown"), ThemeIcon(QStringLiteral("unknown"), QStringLiteral("text-x-generic")));
    Add(QStringLiteral("fixed:document"), ThemeIcon(QStringLiteral("text-x-generic")));
    Add(QStringLiteral("fixed:application"), ThemeIcon(QStringLiteral("application-x-executable")));
    Add(QStringLiteral("fixed:folder"), ThemeIcon(QStringLiteral("folder")));
    Add(QStringLiteral("fixed:folder-open"), ThemeIcon(QStringLiteral("folder-open"), QStringLiteral("folder")));
}

int CIconList::Add(const QString& key, const QIcon& icon)
{
    const auto found = m_index.constFind(key);
    if (found != m_index.constEnd())
        return found.value();
    m_icons.push_back(icon);
    const int index = static_cast<int>(m_icons.size()) - 1;
    m_index.insert(key, index);
    return index;
}

int CIconList::IndexForFolder(const QString& path, QString* typeName)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir())
        return kUnknownFile;
    if (typeName)
        *typeName = QString::fromLatin1(kFolderTypeName);
    // Special folders (home, desktop, ...) have icons of their own; all
    // others share the plain folder. Telling them apart needs the platform
    // theme, which only a GUI application has.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return kFolder;
    const QIcon icon = QFileIconProvider().icon(info);
    const QString name = icon.name();
    if (name.isEmpty() || name == QLatin1String("folder"))
        return kFolder;
    return Add(QStringLiteral("theme:") + name, icon);
}

int CIconList::IndexForFileName(const QString& name, QString* typeName)
{
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) {
        if (typeName) {
            // As the desktop names unknown types: by the extension.
            const QString suffix = QFileInfo(name).suffix().toUpper();
            *typeName = suffix.isEmpty() ? QStringLiteral("File") : suffix + QStringLiteral(" File");
        }
        return kUnknownFile;
    }
    if (typeName)
        *typeName = type.comment();
    return Add(QStringLiteral("mime:") + type.name(), ThemeIcon(type.iconName(), type.genericIconName()));
}

int CIconList::IndexForIconName(const QString& iconName)
{
    if (iconName.isEmpty())
        return kApplication;
    const QIcon icon = QFileInfo(iconName).isAbsolute() ? QIcon(iconName) : QIcon::fromTheme(iconName);
    return Add(QStringLiteral("theme:") + iconName, icon);
}

QIcon CIconList::Icon(int index) const
{
    return index >= 0 && index < Count() ? m_icons[static_cast<size_t>(index)] : QIcon();
}

QIcon DimmedIcon(const QIcon& icon)
{
    QIcon dimmed;
    for (const int size : {16, 22, 24, 32, 48})
        dimmed.addPixmap(icon.pixmap(size, QIcon::Disabled));
    return dimmed;
}
