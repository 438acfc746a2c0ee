#include "TaskNameDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace {

CTaskNameDlg::Responder& ResponderSlot()
{
    static CTaskNameDlg::Responder responder;
    return responder;
}

}  // namespace

CTaskNameDlg::CTaskNameDlg(const QString& name, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TaskNameDlg"));
    setWindowTitle(QStringLiteral("Scheduler Task Name"));
    setModal(true);
    setMinimumWidth(400);  // the caption shows whole
    m_pName = new QLineEdit(name, this);
    m_pName->setReadOnly(true);
    auto* text = new QLabel(QStringLiteral("Task name exists. Do you want to replace or generate a new name?"), this);
    text->setWordWrap(true);
    m_pReplace = new QPushButton(QStringLiteral("Replace"), this);
    m_pReplace->setDefault(true);
    m_pReplace->setAutoDefault(true);
    m_pGenerate = new QPushButton(QStringLiteral("Generate New"), this);
    m_pGenerate->setAutoDefault(false);
    connect(m_pReplace, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pGenerate, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pReplace);
    buttons->addWidget(m_pGenerate);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pName);
    layout->addWidget(text);
    layout->addLayout(buttons);
}

bool CTaskNameDlg::AskReplace(const QString& name, QWidget* parent)
{
    CTaskNameDlg dialog(name, parent);
    if (const Responder& responder = ResponderSlot())
        return responder(dialog);
    return dialog.exec() == QDialog::Accepted;
}

CTaskNameDlg::Responder CTaskNameDlg::SetResponder(Responder responder)
{
    return std::exchange(ResponderSlot(), std::move(responder));
}
