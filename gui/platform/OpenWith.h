// "Open With": a chooser over the applications that the desktop registers
// for a local file's content type, and the launch of the chosen one on the
// file.
#pragma once

#include "ShellGio.h"

#include <QDialog>
#include <QString>

#include <vector>

class QListWidget;

class COpenWithDlg : public QDialog {
    Q_OBJECT

public:
    // Lists the applications for the file at `path` (a full local path).
    explicit COpenWithDlg(const QString& path, QWidget* parent = nullptr);

    const QString& GetPath() const { return m_strPath; }
    const QString& GetContentType() const { return m_strType; }
    const std::vector<ShellApplication>& GetApplications() const { return m_aApps; }
    // Row of the chosen application, or -1.
    int GetChoice() const;
    void SetChoice(int row);
    // Starts the chosen application on the file. Failures and the lack of
    // a choice are told in the message pane; true when it started.
    bool Launch() const;

private:
    QString m_strPath;
    QString m_strType;
    std::vector<ShellApplication> m_aApps;
    QListWidget* m_pList = nullptr;
};

// Shows the chooser for the file and launches the chosen application. A
// file whose type no application is registered for gets a message instead.
void OpenWithChooser(QWidget* parent, const QString& path);
