// "Scheduler Task Name": asked when a scheduled task of the script's name
// exists already. Replace (the default) reuses that task; Generate New
// looks for a free name.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLineEdit;
class QPushButton;

class CTaskNameDlg : public QDialog {
    Q_OBJECT

public:
    explicit CTaskNameDlg(const QString& name, QWidget* parent = nullptr);

    QLineEdit* NameEdit() const { return m_pName; }
    QPushButton* ReplaceButton() const { return m_pReplace; }
    QPushButton* GenerateButton() const { return m_pGenerate; }

    // True for Replace, false for Generate New (closing the box counts as
    // Generate New, which changes no existing task). A test installs a
    // responder that answers instead of the user; nullptr goes back to the
    // dialog. Returns the previous one.
    static bool AskReplace(const QString& name, QWidget* parent);
    using Responder = std::function<bool(CTaskNameDlg&)>;
    static Responder SetResponder(Responder responder);

private:
    QLineEdit* m_pName = nullptr;
    QPushButton* m_pReplace = nullptr;
    QPushButton* m_pGenerate = nullptr;
};
