// The desktop shell, as GIO provides it: file types guessed from names, the
// applications registered for a type, desktop launchers, and running a verb
// on a file. This header is free of GIO; only ShellGio.cpp includes it.
#pragma once

#include <QString>

#include <vector>

struct ShellApplication {
    QString id;        // desktop file id, e.g. "org.gnome.TextEditor.desktop"
    QString name;      // display name
    QString iconName;  // theme icon name or file path; may be empty
    bool isDefault = false;
};

struct ShellLauncher {
    bool valid = false;  // a launcher that can be run
    QString displayName;
    QString iconName;
};

// The content type of a file by its name alone (no disk access); empty when
// the name does not tell.
QString ShellContentTypeForName(const QString& fileName);
// The content type of a local file by its name and its first bytes;
// "application/octet-stream" when neither tells.
QString ShellContentTypeForFile(const QString& path);
// The applications registered for the content type, the default one first.
std::vector<ShellApplication> ShellApplicationsForType(const QString& contentType);
// A .desktop launcher file.
ShellLauncher ShellReadLauncher(const QString& path);

// Result numbers of running a verb, as the message table knows them.
inline constexpr int kShellOk = 42;             // anything above 32 is success
inline constexpr int kShellFileNotFound = 2;
inline constexpr int kShellNoAssociation = 31;

// Runs `verb` on `file`. With a parameter, `file` is the program (a
// launcher, a link to one, or an executable) and the parameter the file it
// gets. Without one, "open" opens the file with its default application and
// any other verb names the application (a desktop file id) to open it with.
int ShellExecute(const QString& verb, const QString& file, const QString& parameter);
