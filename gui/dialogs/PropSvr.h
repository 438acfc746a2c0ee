// CPropSvr: the properties of a connected server, titled with the host and
// " - FTP Session Properties". Its pages show the live connection and apply
// their changes to the running session at once.
#pragma once

#include "ServerProfile.h"

#include <QDialog>

#include <string>

class CDetailPage;
class CLogin3;
class CLoginP0;
class CLoginP1;
class CLoginP2;
class QTabWidget;

class CPropSvr : public QDialog {
    Q_OBJECT

public:
    // serverName names the profile; handle is the live session's connection.
    CPropSvr(const std::string& serverName, int handle, QWidget* parent = nullptr);

    CServerProfile& Profile() { return m_profile; }
    QTabWidget* Tabs() const { return m_pTabs; }
    CLoginP0* ConnectionPage() const { return m_pPage0; }
    CDetailPage* DetailPage() const { return m_pDetail; }
    CLogin3* OsTypePage() const { return m_pOsType; }
    CLoginP1* DataTransferPage() const { return m_pPage1; }
    CLoginP2* GeneralPage() const { return m_pPage2; }

public slots:
    void accept() override;
    void OnApply();

private:
    CServerProfile m_profile;
    QTabWidget* m_pTabs = nullptr;
    CLoginP0* m_pPage0 = nullptr;
    CDetailPage* m_pDetail = nullptr;
    CLogin3* m_pOsType = nullptr;
    CLoginP1* m_pPage1 = nullptr;
    CLoginP2* m_pPage2 = nullptr;
};
