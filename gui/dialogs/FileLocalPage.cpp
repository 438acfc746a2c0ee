// CFileP2: the "General" page of a local item. Linux has no attribute bits;
// the page maps the ones it shows: Read-Only is the owner's missing write
// permission (the one box that can be changed), Hidden a leading ".",
// System and Archive do not exist and stay cleared.
#include "FileProp.h"

#include "TraceLog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

CFileP2::CFileP2(QWidget* parent) : QWidget(parent)
{
    QFormLayout* form = FileFactsForm(this, m_pName, m_pSize, m_pDate, m_pIsFolder, m_pFolder);

    auto* attributes = new QGroupBox(QStringLiteral("Attributes"), this);
    m_pReadOnly = new QCheckBox(QStringLiteral("Read-Only"), attributes);
    m_pHidden = new QCheckBox(QStringLiteral("Hidden"), attributes);
    m_pSystem = new QCheckBox(QStringLiteral("System"), attributes);
    m_pArchive = new QCheckBox(QStringLiteral("Archive"), attributes);
    m_pHidden->setEnabled(false);
    m_pSystem->setEnabled(false);
    m_pArchive->setEnabled(false);
    auto* boxes = new QVBoxLayout(attributes);
    for (QCheckBox* box : {m_pReadOnly, m_pHidden, m_pSystem, m_pArchive})
        boxes->addWidget(box);
    connect(m_pReadOnly, &QCheckBox::clicked, this, &CFileP2::OnReadOnlyClicked);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(attributes);
    layout->addStretch(1);
}

void CFileP2::Fill(const std::string& folder, const std::string& name)
{
    m_strFolder = folder;
    m_strName = name;
    m_bModified = false;
    struct stat info {};
    m_bFound = ::stat((folder + name).c_str(), &info) == 0;
    if (m_bFound) {
        m_nMode = info.st_mode;
        m_nSize = info.st_size;
        m_strDate = PropertyDateText(info.st_mtime);
        const bool isDir = S_ISDIR(info.st_mode);
        m_strIsFolder = isDir ? "Yes" : "No";
        m_nAttributes = (isDir ? kAttrDirectory : 0) | ((info.st_mode & S_IWUSR) ? 0 : kAttrReadOnly) |
                        (name.starts_with('.') ? kAttrHidden : 0);
    } else {
        m_nMode = 0;
        m_nSize = 0;
        m_nAttributes = 0;
        m_strDate.clear();
        m_strIsFolder.clear();
    }
    m_pSize->setText(m_bFound ? QString::number(m_nSize) : QString());
    m_pName->setText(QString::fromStdString(m_strName));
    m_pDate->setText(QString::fromStdString(m_strDate));
    m_pIsFolder->setText(QString::fromStdString(m_strIsFolder));
    m_pFolder->setText(QString::fromStdString(m_strFolder));
    m_pReadOnly->setChecked(m_nAttributes & kAttrReadOnly);
    m_pHidden->setChecked(m_nAttributes & kAttrHidden);
    m_pReadOnly->setEnabled(m_bFound);
}

void CFileP2::OnReadOnlyClicked()
{
    m_nAttributes ^= kAttrReadOnly;
    m_pReadOnly->setChecked(m_nAttributes & kAttrReadOnly);
    m_bModified = true;
    emit modified();
}

bool CFileP2::OnApply()
{
    if (!m_bModified || !m_bFound)
        return true;
    g_TraceLog.Trace("CFileP2::OnApply: New attribute = %d", static_cast<int>(m_nAttributes));
    const mode_t mode = (m_nAttributes & kAttrReadOnly) ? (m_nMode & ~S_IWUSR) : (m_nMode | S_IWUSR);
    const std::string path = m_strFolder + m_strName;
    if (::chmod(path.c_str(), mode & 07777) != 0) {
        g_TraceLog.Message("Cannot change the permissions of %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    m_nMode = mode;
    m_bModified = false;
    return true;
}

void CFileP2::OnOK()
{
    if (m_bModified)
        g_TraceLog.Trace("CFileP2::OnOK: New attribute = %d", static_cast<int>(m_nAttributes));
}
