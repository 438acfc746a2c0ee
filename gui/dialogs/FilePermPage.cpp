// CFileP3: the "Permissions" page of an item on a Unix server. The boxes
// start from the permission text of the item's listing line; any click
// marks the page modified, and applying it sends the whole mode the boxes
// make, special bits included, with SITE CHMOD.
#include "FileProp.h"

#include "SessionRegistry.h"
#include "TraceLog.h"
#include "UnixMode.h"
#include "WaitHook.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

struct BoxText {
    unsigned bit;
    const char* text;
};

struct GroupText {
    const char* title;
    BoxText boxes[3];
};

constexpr GroupText kGroups[] = {
    {"Owner", {{0400, "Read"}, {0200, "Write"}, {0100, "Execute"}}},
    {"Group", {{040, "Read"}, {020, "Write"}, {010, "Execute"}}},
    {"Others", {{04, "Read"}, {02, "Write"}, {01, "Execute"}}},
    {"Special", {{kModeSetUid, "Set UID"}, {kModeSetGid, "Set GID"}, {kModeSticky, "Sticky"}}},
};

}  // namespace

CFileP3::CFileP3(QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout;
    int column = 0;
    for (const GroupText& group : kGroups) {
        auto* frame = new QGroupBox(QString::fromLatin1(group.title), this);
        auto* boxes = new QVBoxLayout(frame);
        for (const BoxText& text : group.boxes) {
            auto* box = new QCheckBox(QString::fromLatin1(text.text), frame);
            boxes->addWidget(box);
            m_boxes.push_back({text.bit, box});
            connect(box, &QCheckBox::clicked, this, [this] {
                m_bModified = true;
                emit modified();
            });
        }
        grid->addWidget(frame, 0, column++);
    }
    m_pNote = new QLabel(QStringLiteral("The server's listing shows no Unix permissions for this item."), this);
    m_pNote->setWordWrap(true);
    m_pNote->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_pNote);
    layout->addStretch(1);
}

QCheckBox* CFileP3::Box(unsigned bit) const
{
    for (const ModeBox& entry : m_boxes) {
        if (entry.bit == bit)
            return entry.box;
    }
    return nullptr;
}

unsigned CFileP3::Mode() const
{
    unsigned mode = 0;
    for (const ModeBox& entry : m_boxes) {
        if (entry.box->isChecked())
            mode |= entry.bit;
    }
    return mode;
}

void CFileP3::Fill(const std::string& listing, int handle, const std::string& path)
{
    m_nHandle = handle;
    m_strPath = path;
    m_bModified = false;
    const std::optional<unsigned> mode = ParseUnixMode(listing);
    m_bReadable = mode.has_value();
    for (const ModeBox& entry : m_boxes) {
        entry.box->setChecked(mode && (*mode & entry.bit));
        entry.box->setEnabled(m_bReadable);
    }
    m_pNote->setVisible(!m_bReadable);
}

bool CFileP3::OnApply()
{
    if (!m_bModified || !m_bReadable)
        return true;
    CSession* session = g_GetSession(m_nHandle);
    if (!session) {
        g_TraceLog.Message("CHMOD %s not sent: the server's connection is closed", m_strPath.c_str());
        return false;
    }
    const unsigned mode = Mode();
    g_TraceLog.Message("CHMOD %o %s", mode, m_strPath.c_str());
    {
        CWaitCursor wait;
        const int rc = session->FtpChmod(m_strPath, mode);
        if (rc == 0)
            m_bModified = false;
        if (rc == kSessionNotTried)
            g_TraceLog.Message("CHMOD %s not sent: the connection to the server is lost", m_strPath.c_str());
        else if (session->GetReplyString().empty() && rc != 0)
            session->GetLastErrorString();
    }
    if (m_bModified)
        return false;
    // Read the entry again: the General page shows the new listing line,
    // and the boxes show what the server really set.
    if (m_pGeneral) {
        m_pGeneral->Refresh();
        if (m_pGeneral->m_bFound)
            Fill(m_pGeneral->m_strListing, m_nHandle, m_strPath);
    }
    return true;
}
