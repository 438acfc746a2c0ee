// CWaitDlg: the small modeless box shown while a server is being connected
// ("Wait Connecting to " and the server name).
#pragma once

#include <QDialog>

class QLabel;

class CWaitDlg : public QDialog {
    Q_OBJECT

public:
    explicit CWaitDlg(const QString& text, QWidget* parent = nullptr);
    QString Text() const;

private:
    QLabel* m_pText = nullptr;
};
