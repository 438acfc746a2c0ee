#include "FileProp.h"

#include "SessionRegistry.h"
#include "TraceLog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

FilePropRunner& Runner()
{
    static FilePropRunner runner;
    return runner;
}

}  // namespace

std::string PropertyDateText(std::time_t time)
{
    struct tm local {};
    char text[64] = "";
    if (!localtime_r(&time, &local) || strftime(text, sizeof text, "%m/%d/%Y %H:%M:%S", &local) == 0)
        return std::string();
    return text;
}

FilePropRunner SetFilePropRunner(FilePropRunner runner)
{
    FilePropRunner previous = std::move(Runner());
    Runner() = std::move(runner);
    return previous;
}

CFileProp::CFileProp(const std::string& name, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromStdString(name) + QStringLiteral(" Properties"));
    m_pTabs = new QTabWidget(this);
    m_pPage1 = new CFileP1(this);
    m_pPage2 = new CFileP2(this);
    m_pPage3 = new CFileP3(this);
    for (QWidget* page : {static_cast<QWidget*>(m_pPage1), static_cast<QWidget*>(m_pPage2),
                          static_cast<QWidget*>(m_pPage3)})
        page->hide();
    connect(m_pPage2, &CFileP2::modified, this, &CFileProp::OnModified);
    connect(m_pPage3, &CFileP3::modified, this, &CFileProp::OnModified);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    m_pApply = buttons->button(QDialogButtonBox::Apply);
    m_pApply->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFileProp::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFileProp::reject);
    connect(m_pApply, &QPushButton::clicked, this, [this] { OnApply(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(buttons);
}

void CFileProp::AddPage(QWidget* page, const QString& title)
{
    m_pTabs->addTab(page, title);
}

void CFileProp::OnModified()
{
    m_pApply->setEnabled(true);
}

bool CFileProp::OnApply()
{
    bool applied = true;
    if (m_pTabs->indexOf(m_pPage2) >= 0)
        applied = m_pPage2->OnApply() && applied;
    if (m_pTabs->indexOf(m_pPage3) >= 0)
        applied = m_pPage3->OnApply() && applied;
    m_pApply->setEnabled(!applied);
    return applied;
}

void CFileProp::accept()
{
    if (m_pTabs->indexOf(m_pPage2) >= 0)
        m_pPage2->OnOK();
    // A change the server or the file system refused stays on the sheet:
    // the message pane tells why, and the user may try again or cancel.
    if (OnApply())
        QDialog::accept();
}

void FileProperties(QWidget* parent, int handle, const std::string& name, const std::string& folder, bool isDir,
                    bool chmod)
{
    CFileProp sheet(name, parent);
    if (handle > 0) {
        CFileP1* general = sheet.Page1();
        general->Fill(handle, folder, name, isDir);
        sheet.AddPage(general, QStringLiteral("General"));
        const CSession* session = g_GetSession(handle);
        if (session && session->m_nOSType == OsUnix) {
            CFileP3* permissions = sheet.Page3();
            sheet.AddPage(permissions, QStringLiteral("Permissions"));
            permissions->SetGeneralPage(general);
            permissions->Fill(general->m_strListing, handle, folder + name);
            if (chmod)
                sheet.Tabs()->setCurrentWidget(permissions);
        }
    } else {
        // The desktop has no "properties" verb to hand the item to, so the
        // program's own page shows it.
        g_TraceLog.Trace("CFileView.OnFileProperties: Path = %s, file = %s", folder.c_str(), name.c_str());
        sheet.Page2()->Fill(folder, name);
        sheet.AddPage(sheet.Page2(), QStringLiteral("General"));
    }
    if (Runner())
        Runner()(sheet);
    else
        sheet.exec();
}

QLineEdit* ReadOnlyField(QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    return field;
}

QFormLayout* FileFactsForm(QWidget* page, QLineEdit*& name, QLineEdit*& size, QLineEdit*& date,
                           QLineEdit*& isFolder, QLineEdit*& folder)
{
    name = ReadOnlyField(page);
    size = ReadOnlyField(page);
    date = ReadOnlyField(page);
    isFolder = ReadOnlyField(page);
    folder = ReadOnlyField(page);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Filename:"), name);
    form->addRow(QStringLiteral("File Size:"), size);
    form->addRow(QStringLiteral("FileDate:"), date);
    form->addRow(QStringLiteral("Is a Folder?"), isFolder);
    form->addRow(QStringLiteral("Location:"), folder);
    return form;
}
