#include "WaitDlg.h"

#include <QLabel>
#include <QVBoxLayout>

CWaitDlg::CWaitDlg(const QString& text, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tavo"));
    setModal(false);
    m_pText = new QLabel(text, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pText);
}

QString CWaitDlg::Text() const
{
    return m_pText->text();
}
