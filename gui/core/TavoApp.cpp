#include "TavoApp.h"

#include "Profile.h"
#include "TavoDoc.h"

#include <QCoreApplication>

CTavoApp::CTavoApp() = default;

CTavoApp::~CTavoApp() = default;

bool CTavoApp::InitInstance()
{
    // Every setting then lies in the profile of "Brenmar"/"Tavo".
    QCoreApplication::setOrganizationName(QString::fromLatin1(kProfileCompany));
    QCoreApplication::setApplicationName(QString::fromLatin1(kProfileApplication));
    // The document registers the private clipboard format when it is made.
    m_pDocument = std::make_unique<CTavoDoc>();
    m_pDocument->OnNewDocument();
    return true;
}
