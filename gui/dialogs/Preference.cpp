#include "Preference.h"

#include "Profile.h"
#include "Settings.h"
#include "TraceLog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <string>

// --- CEditFileType "EDIT FILE TYPE" -------------------------------------------

CEditFileType::CEditFileType(const QString& caption, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EDIT FILE TYPE"));
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Edit File Extension") : caption);
    m_pEdit = new QLineEdit(this);
    m_pEdit->setObjectName(QStringLiteral("FileExtension"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("File Extension:"), m_pEdit);

    auto* buttons = new QDialogButtonBox(this);
    m_pSave = buttons->addButton(QStringLiteral("&Save"), QDialogButtonBox::AcceptRole);
    m_pSave->setObjectName(QStringLiteral("SaveFileExtension"));
    m_pSave->setDefault(true);
    m_pCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_pCancel->setObjectName(QStringLiteral("CancelFileExtension"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CEditFileType::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CEditFileType::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

QString CEditFileType::FileType() const
{
    return m_pEdit->text();
}

void CEditFileType::SetFileType(const QString& text)
{
    m_pEdit->setText(text);
}

// --- CPage1 "General" ---------------------------------------------------------

CPage1::CPage1(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PreferenceGeneral"));
    auto* server = new QGroupBox(QStringLiteral("New FTP Server Default"), this);
    auto* serverLayout = new QVBoxLayout(server);
    m_pShowStatus = AddBox("&FTP Transfer Progress Status", "ShowStatus", &m_bShowStatus, server);
    serverLayout->addWidget(m_pShowStatus);

    auto* transfer = new QGroupBox(QStringLiteral("Transfer File Options"), this);
    auto* transferLayout = new QVBoxLayout(transfer);
    m_pLocalPrompt = AddBox("&Prompt Before Replacing Local Files", "LocalPrompt", &m_bLocalPrompt, transfer);
    m_pLocalUnique = AddBox("&Local Unique Files", "LocalUnique", &m_bLocalUnique, transfer);
    m_pRemotePrompt = AddBox("Prompt Before Replacing &Remote Files", "RemotePrompt", &m_bRemotePrompt, transfer);
    m_pRemoteUnique = AddBox("Remote &Unique Files", "RemoteUnique", &m_bRemoteUnique, transfer);
    for (QCheckBox* box : {m_pLocalPrompt, m_pLocalUnique, m_pRemotePrompt, m_pRemoteUnique})
        transferLayout->addWidget(box);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(server);
    layout->addWidget(transfer);
    layout->addStretch();
    ShowValues();
}

QCheckBox* CPage1::AddBox(const char* text, const char* name, int* value, QWidget* group)
{
    auto* box = new QCheckBox(QString::fromUtf8(text), group);
    box->setObjectName(QString::fromUtf8(name));
    // `clicked` comes from the user only (mouse, space, mnemonic), never from
    // ShowValues, so loading the page does not count as a change.
    connect(box, &QCheckBox::clicked, this, [this, value](bool checked) {
        *value = checked ? 1 : 0;
        ShowValues();
        emit modified();
    });
    return box;
}

void CPage1::ShowValues()
{
    m_pShowStatus->setChecked(m_bShowStatus != 0);
    m_pLocalPrompt->setChecked(m_bLocalPrompt != 0);
    m_pLocalUnique->setChecked(m_bLocalUnique != 0);
    m_pRemotePrompt->setChecked(m_bRemotePrompt != 0);
    m_pRemoteUnique->setChecked(m_bRemoteUnique != 0);
    m_pLocalPrompt->setEnabled(!m_bLocalUnique);
    m_pRemotePrompt->setEnabled(!m_bRemoteUnique);
}

void CPage1::LoadFromSettings()
{
    const SettingsValues values = g_Settings.GetSettings();
    m_bShowStatus = values.showStatus;
    m_bLocalPrompt = values.localPrompt;
    m_bLocalUnique = values.localUnique;
    m_bRemotePrompt = values.remotePrompt;
    m_bRemoteUnique = values.remoteUnique;
    ShowValues();
}

void CPage1::Save()
{
    g_Settings.SaveSettings(m_bShowStatus, m_bLocalPrompt, m_bLocalUnique, m_bRemotePrompt, m_bRemoteUnique);
}

// --- CPage2 "Set Ascii File Type" ---------------------------------------------

CPage2::CPage2(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PreferenceAsciiFileType"));
    auto* text = new QLabel(QStringLiteral("Please specify the default File Extension(s) for Ascii File Transfer. "
                                           "Example: \"*.txt\" for all files of type \"txt\"."),
                            this);
    text->setWordWrap(true);
    m_pList = new QListWidget(this);
    m_pList->setObjectName(QStringLiteral("AsciiFileTypes"));
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pAdd = new QPushButton(QStringLiteral("&Add"), this);
    m_pAdd->setObjectName(QStringLiteral("AddFileType"));
    m_pRemove = new QPushButton(QStringLiteral("Remove"), this);
    m_pRemove->setObjectName(QStringLiteral("RemoveFileType"));
    connect(m_pAdd, &QPushButton::clicked, this, &CPage2::OnAdd);
    connect(m_pRemove, &QPushButton::clicked, this, &CPage2::OnRemove);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pAdd);
    buttons->addWidget(m_pRemove);
    buttons->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(m_pList);
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(row);
}

void CPage2::InsertSorted(const QString& text)
{
    // After any line that sorts the same, so equal lines keep their order.
    int row = 0;
    while (row < m_pList->count() && QString::compare(m_pList->item(row)->text(), text, Qt::CaseInsensitive) <= 0)
        ++row;
    m_pList->insertItem(row, text);
}

void CPage2::LoadFromProfile()
{
    m_pList->clear();
    const int count = GetProfileInt(kSectionAsciiExt, "Count", 0);
    g_TraceLog.Trace("CPage2::OnInitDialog: Count = %d", count);
    for (int i = 0; i < count; ++i) {
        const std::string entry = "Ext" + std::to_string(i);
        const std::string pattern = GetProfileString(kSectionAsciiExt, entry, "");
        // Stored lists come from this page and are in order already; a list
        // edited by hand is shown sorted all the same.
        InsertSorted(QString::fromStdString(pattern));
        g_TraceLog.Trace("CPage2::OnInitDialog: %s = %s", entry.c_str(), pattern.c_str());
    }
}

void CPage2::SaveExt()
{
    const int count = m_pList->count();
    WriteProfileInt(kSectionAsciiExt, "Count", count);
    g_TraceLog.Trace("CPage2::SaveExt: Count = %d", count);
    // Values at or above the new count may remain; nothing reads past Count.
    for (int i = 0; i < count; ++i) {
        const std::string entry = "Ext" + std::to_string(i);
        const std::string pattern = m_pList->item(i)->text().toStdString();
        WriteProfileString(kSectionAsciiExt, entry, pattern);
        g_TraceLog.Trace("CPage2::SaveExt: %s = %s", entry.c_str(), pattern.c_str());
    }
    g_Settings.LoadAsciiFileType();
}

bool CPage2::AddPattern(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    // Trailing blanks stay: a file name may end in one.
    const QString pattern = text.mid(start);
    if (pattern.isEmpty())
        return false;
    for (int row = 0; row < m_pList->count(); ++row) {
        if (QString::compare(m_pList->item(row)->text(), pattern, Qt::CaseInsensitive) == 0)
            return false;
    }
    InsertSorted(pattern);
    emit modified();
    return true;
}

void CPage2::OnAdd()
{
    CEditFileType dialog(QStringLiteral("Add New File Extension"), this);
    if (dialog.exec() == QDialog::Accepted)
        AddPattern(dialog.FileType());
}

void CPage2::OnRemove()
{
    const QList<QListWidgetItem*> selected = m_pList->selectedItems();
    if (selected.isEmpty())
        return;
    delete selected.front();
    // Nothing stays selected, so a second click removes nothing by surprise.
    m_pList->clearSelection();
    emit modified();
}

QStringList CPage2::Patterns() const
{
    QStringList patterns;
    for (int row = 0; row < m_pList->count(); ++row)
        patterns << m_pList->item(row)->text();
    return patterns;
}

// --- CPreference "FTP Preferences" --------------------------------------------

CPreference::CPreference(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FtpPreferences"));
    setWindowTitle(QStringLiteral("FTP Preferences"));
    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName(QStringLiteral("PreferenceTabs"));
    m_pPage1 = new CPage1(m_pTabs);
    m_pPage2 = new CPage2(m_pTabs);
    m_pTabs->addTab(m_pPage1, QStringLiteral("General"));
    m_pTabs->addTab(m_pPage2, QStringLiteral("Set Ascii File Type"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    m_pCancel = buttons->button(QDialogButtonBox::Cancel);
    m_pApply = buttons->button(QDialogButtonBox::Apply);
    m_pOk->setObjectName(QStringLiteral("PreferenceOk"));
    m_pCancel->setObjectName(QStringLiteral("PreferenceCancel"));
    m_pApply->setObjectName(QStringLiteral("PreferenceApply"));
    m_pApply->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPreference::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPreference::reject);
    connect(m_pApply, &QPushButton::clicked, this, &CPreference::OnApply);
    connect(m_pPage1, &CPage1::modified, this, [this] { m_pApply->setEnabled(true); });
    connect(m_pPage2, &CPage2::modified, this, [this] { m_pApply->setEnabled(true); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(buttons);
}

void CPreference::LoadPages()
{
    m_pPage1->LoadFromSettings();
    m_pPage2->LoadFromProfile();
    m_pTabs->setCurrentIndex(0);
    m_pApply->setEnabled(false);
}

int CPreference::DoModal()
{
    LoadPages();
    return exec() == QDialog::Accepted ? QDialog::Accepted : QDialog::Rejected;
}

void CPreference::Save()
{
    m_pPage1->Save();
    m_pPage2->SaveExt();
}

void CPreference::OnApply()
{
    Save();
    m_pApply->setEnabled(false);
}

void CPreference::accept()
{
    Save();
    QDialog::accept();
}
