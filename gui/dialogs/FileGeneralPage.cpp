// CFileP1: the "General" page of a server item, read from the listing.
#include "FileProp.h"

#include "DirFile.h"
#include "WaitHook.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>


namespace {

// Reads on until the entry named exactly `name`; its line in `line`.
bool FindEntry(CDirFile& dir, const std::string& name, std::string& line)
{
    while (dir.GetNextDir(line)) {
        if (dir.GetFileName() == name)
            return true;
    }
    line.clear();
    return false;
}

}  // namespace

CFileP1::CFileP1(QWidget* parent) : QWidget(parent)
{
    QFormLayout* form = FileFactsForm(this, m_pName, m_pSize, m_pDate, m_pIsFolder, m_pFolder);
    auto* listingBox = new QGroupBox(QStringLiteral("Listing"), this);
    m_pListing = ReadOnlyField(listingBox);
    auto* listingLayout = new QVBoxLayout(listingBox);
    listingLayout->addWidget(m_pListing);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(listingBox);
    layout->addStretch(1);
}

void CFileP1::Fill(int handle, const std::string& folder, const std::string& name, bool isDir)
{
    m_nHandle = handle;
    m_strFolder = folder;
    m_strName = name;
    m_bIsDir = isDir;
    Refresh();
}

void CFileP1::Refresh()
{
    m_bFound = false;
    m_nSize = 0;
    m_strListing.clear();
    m_strDate.clear();
    m_strIsFolder.clear();
    {
        CWaitCursor wait;
        // A file is listed by itself first. Its entry is still picked by
        // name: a link to a folder lists that folder's content, and some
        // servers read wildcards in the name. A name with a blank is not
        // handed to the listing command (servers split it there), and a
        // folder is always read from its parent's listing.
        const std::string path = m_strFolder + m_strName;
        if (!m_bIsDir && path.find(' ') == std::string::npos)
            m_bFound = ReadEntry(path, false);
        if (!m_bFound)
            m_bFound = ReadEntry(m_strFolder, m_bIsDir);
    }
    Show();
}

bool CFileP1::ReadEntry(const std::string& listPath, bool isDir)
{
    CDirFile dir(m_nHandle);
    std::string line;
    if (!dir.CreateDir(listPath) || !FindEntry(dir, m_strName, line))
        return false;
    Take(dir, line, isDir);
    return true;
}

void CFileP1::Take(const CDirFile& dir, const std::string& line, bool isDir)
{
    m_strListing = line;
    m_nSize = dir.GetSize();
    m_strDate = PropertyDateText(dir.GetTime());
    m_strIsFolder = isDir || dir.IsDir() ? "Yes" : "No";
}

void CFileP1::Show()
{
    m_pSize->setText(m_bFound ? QString::number(m_nSize) : QString());
    m_pName->setText(QString::fromStdString(m_strName));
    m_pListing->setText(QString::fromStdString(m_strListing));
    m_pDate->setText(QString::fromStdString(m_strDate));
    m_pIsFolder->setText(QString::fromStdString(m_strIsFolder));
    m_pFolder->setText(QString::fromStdString(m_strFolder));
}
