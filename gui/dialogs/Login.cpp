#include "Login.h"

#include "ServerPages.h"
#include "ServerProfile.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CLogin::CLogin(CServerProfile* profile, QWidget* parent) : QDialog(parent), m_pProfile(profile)
{
    setWindowTitle(QStringLiteral("Server Properties"));
    m_pTabs = new QTabWidget(this);
    m_pPage1 = new CLoginP1(profile, 0, m_pTabs);
    m_pPage2 = new CLoginP2(profile, 0, m_pTabs);
    m_pTabs->addTab(m_pPage1, QStringLiteral("Data Transfer"));
    m_pTabs->addTab(m_pPage2, QStringLiteral("General"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLogin::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLogin::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, &CLogin::OnApply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(buttons);
}

void CLogin::LoadPages()
{
    m_pPage1->LoadFromProfile();
    m_pPage2->LoadFromProfile();
}

void CLogin::OnApply()
{
    m_pPage1->OnApply();
    m_pPage2->OnApply();
}

void CLogin::accept()
{
    OnApply();
    QDialog::accept();
}
