// CLogin: the "Server Properties" sheet of the login dialog, with the pages
// "Data Transfer" and "General". It edits the stored profile before any
// connection exists.
#pragma once

#include <QDialog>

class CServerProfile;
class CLoginP1;
class CLoginP2;
class QTabWidget;

class CLogin : public QDialog {
    Q_OBJECT

public:
    CLogin(CServerProfile* profile, QWidget* parent = nullptr);

    // Shows the profile's values on both pages.
    void LoadPages();
    CLoginP1* Page1() const { return m_pPage1; }
    CLoginP2* Page2() const { return m_pPage2; }
    QTabWidget* Tabs() const { return m_pTabs; }

public slots:
    void accept() override;
    void OnApply();

private:
    CServerProfile* m_pProfile;
    QTabWidget* m_pTabs = nullptr;
    CLoginP1* m_pPage1 = nullptr;
    CLoginP2* m_pPage2 = nullptr;
};
