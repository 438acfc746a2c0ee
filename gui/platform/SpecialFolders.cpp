#include "SpecialFolders.h"

#include <QDir>
#include <QStandardPaths>

QString SpecialFolderPath(int csidl)
{
    QString path;
    switch (csidl) {
    case kCsidlDesktop:
    case kCsidlDesktopDirectory:
        path = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        break;
    case kCsidlPersonal:
        path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        break;
    case kCsidlSendTo:
        path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tavo/SendTo");
        break;
    case kCsidlAppData:
        path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        break;
    default:
        return {};
    }
    return QDir(path).exists() ? path : QString();
}
