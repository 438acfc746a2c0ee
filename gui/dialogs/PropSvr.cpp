#include "PropSvr.h"

#include "ServerPages.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CPropSvr::CPropSvr(const std::string& serverName, int handle, QWidget* parent)
    : QDialog(parent), m_profile(serverName)
{
    m_profile.m_strServer = serverName;
    setWindowTitle(QString::fromStdString(serverName) + QStringLiteral(" - FTP Session Properties"));
    m_pTabs = new QTabWidget(this);
    m_pPage0 = new CLoginP0(&m_profile, handle, m_pTabs);
    m_pDetail = new CDetailPage(&m_profile, handle, m_pTabs);
    m_pOsType = new CLogin3(&m_profile, handle, m_pTabs);
    m_pPage1 = new CLoginP1(&m_profile, handle, m_pTabs);
    m_pPage2 = new CLoginP2(&m_profile, handle, m_pTabs);
    m_pTabs->addTab(m_pPage0, QStringLiteral("Connection"));
    m_pTabs->addTab(m_pDetail, QStringLiteral("Details"));
    m_pTabs->addTab(m_pOsType, QStringLiteral("OS Type"));
    m_pTabs->addTab(m_pPage1, QStringLiteral("Data Transfer"));
    m_pTabs->addTab(m_pPage2, QStringLiteral("General"));
    for (int i = 0; i < m_pTabs->count(); ++i)
        static_cast<CServerPage*>(m_pTabs->widget(i))->LoadFromProfile();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPropSvr::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPropSvr::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, &CPropSvr::OnApply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(buttons);
}

void CPropSvr::OnApply()
{
    for (int i = 0; i < m_pTabs->count(); ++i)
        static_cast<CServerPage*>(m_pTabs->widget(i))->OnApply();
}

void CPropSvr::accept()
{
    OnApply();
    QDialog::accept();
}
