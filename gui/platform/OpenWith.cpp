#include "OpenWith.h"

#include "IconList.h"
#include "TraceLog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

COpenWithDlg::COpenWithDlg(const QString& path, QWidget* parent)
    : QDialog(parent), m_strPath(path), m_strType(ShellContentTypeForFile(path)),
      m_aApps(ShellApplicationsForType(m_strType))
{
    setWindowTitle(QStringLiteral("Open With"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Choose the program to open \"%1\" with:").arg(path), this);
    label->setWordWrap(true);
    layout->addWidget(label);
    m_pList = new QListWidget(this);
    for (const ShellApplication& app : m_aApps) {
        auto* row = new QListWidgetItem(app.name, m_pList);
        if (!app.iconName.isEmpty())
            row->setIcon(CIconList::Instance().Icon(CIconList::Instance().IndexForIconName(app.iconName)));
        row->setToolTip(app.id);
    }
    layout->addWidget(m_pList);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(m_pList, &QListWidget::currentRowChanged, ok, [ok](int row) { ok->setEnabled(row >= 0); });
    connect(m_pList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (!m_aApps.empty())
        m_pList->setCurrentRow(0);
}

int COpenWithDlg::GetChoice() const
{
    return m_pList->currentRow();
}

void COpenWithDlg::SetChoice(int row)
{
    m_pList->setCurrentRow(row);
}

bool COpenWithDlg::Launch() const
{
    const int row = GetChoice();
    if (row < 0 || row >= static_cast<int>(m_aApps.size())) {
        g_TraceLog.Message("No program chosen, \"%s\" was not opened.", m_strPath.toUtf8().constData());
        return false;
    }
    const ShellApplication& app = m_aApps[static_cast<size_t>(row)];
    // A verb that names a desktop file id opens the file with that application.
    const bool ok = ShellExecute(app.id, m_strPath, QString()) > 32;
    g_TraceLog.Trace("COpenWithDlg.Launch: %s %s, ok = %d", app.id.toUtf8().constData(),
                     m_strPath.toUtf8().constData(), ok ? 1 : 0);
    if (!ok)
        g_TraceLog.Message("%s could not open \"%s\".", app.name.toUtf8().constData(),
                           m_strPath.toUtf8().constData());
    return ok;
}

void OpenWithChooser(QWidget* parent, const QString& path)
{
    COpenWithDlg dialog(path, parent);
    if (dialog.GetApplications().empty()) {
        g_TraceLog.Message("No program is registered for files of type %s, such as \"%s\".",
                           dialog.GetContentType().toUtf8().constData(), path.toUtf8().constData());
        return;
    }
    if (dialog.exec() == QDialog::Accepted)
        dialog.Launch();
}
