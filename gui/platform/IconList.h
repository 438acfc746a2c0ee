// The program's list of small icons, standing in for the system image list:
// views keep an index into it, and each distinct icon is added once. The
// first entries are fixed, so that fallbacks can name them.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

#include <vector>

class CIconList {
public:
    enum : int {
        kUnknownFile = 0,  // also the answer when nothing better is found
        kDocument = 1,
        kApplication = 2,
        kFolder = 3,
        kOpenFolder = 4,
    };

    static CIconList& Instance();

    // A folder by its real path; 0 when it is not a folder.
    int IndexForFolder(const QString& path, QString* typeName);
    // A file by its name alone, as an ordinary file; the disk is not
    // touched. 0 when the name tells no type.
    int IndexForFileName(const QString& name, QString* typeName);
    // An icon by theme name or file path (as GIO names icons).
    int IndexForIconName(const QString& iconName);

    QIcon Icon(int index) const;
    int Count() const { return static_cast<int>(m_icons.size()); }

private:
    CIconList();
    int Add(const QString& key, const QIcon& icon);

    std::vector<QIcon> m_icons;
    QHash<QString, int> m_index;
};

// The icon as drawn for an item that was cut and waits to be pasted.
QIcon DimmedIcon(const QIcon& icon);

// The type name shown for folders, local and remote alike.
inline constexpr const char* kFolderTypeName = "File Folder";
