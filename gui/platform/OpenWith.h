// "Open With": a chooser over the applications that the desktop registers
// for a local file's content type, and the launch of the chosen one on the
// file. GIO stays inside OpenWith.cpp.
#pragma once

#include <QDialog>
#include <QString>

#include <vector>

class QListWidget;

struct OpenWithApplication {
    QString id;        // desktop file id, e.g. "org.gnome.TextEditor.desktop"
    QString name;      // display name
    QString iconName;  // theme icon name or file path; may be empty
};

// The content type of a local file, judged by its name and its first bytes;
// "application/octet-stream" when neither tells.
QString OpenWithContentType(const QString& path);
// The applications registered for the content type, the default one first.
std::vector<OpenWithApplication> OpenWithApplications(const QString& contentType);
// Starts the application with the file. True on success; otherwise false
// and the reason in `error`.
bool OpenWithLaunch(const QString& applicationId, const QString& path, QString* error);

class COpenWithDlg : public QDialog {
    Q_OBJECT

public:
    // Lists the applications for the file at `path` (a full local path).
    explicit COpenWithDlg(const QString& path, QWidget* parent = nullptr);

    const QString& GetPath() const { return m_strPath; }
    const QString& GetContentType() const { return m_strType; }
    const std::vector<OpenWithApplication>& GetApplications() const { return m_aApps; }
    // Row of the chosen application, or -1.
    int GetChoice() const;
    void SetChoice(int row);
    // Starts the chosen application on the file. Failures and the lack of
    // a choice are told in the message pane; true when it started.
    bool Launch() const;

private:
    QString m_strPath;
    QString m_strType;
    std::vector<OpenWithApplication> m_aApps;
    QListWidget* m_pList = nullptr;
};

// Shows the chooser for the file and launches the chosen application. A
// file whose type no application is registered for gets a message instead.
void OpenWithChooser(QWidget* parent, const QString& path);
