#include "TavoDoc.h"

#include "FtpSession.h"
#include "SessionRegistry.h"
#include "TraceLog.h"
#include "netvo32.h"

#include <memory>

int g_nTransferType = TransferAuto;
QString g_cfTavo;

CTavoDoc::CTavoDoc()
{
    g_cfTavo = QString::fromLatin1(kTavoClipboardMimeType);
}

CTavoDoc::~CTavoDoc()
{
    OnCloseDocument();
}

CSession* CTavoDoc::AddSession(std::string& name)
{
    g_TraceLog.Trace("AddSession: Add session %s.", name.c_str());
    const std::string requested = name;
    int counter = 0;
    const auto listed = [](const std::string& wanted) {
        for (const auto& session : g_SessionList()) {
            if (session->m_strName == wanted)
                return true;
        }
        return false;
    };
    while (listed(name)) {
        g_TraceLog.Trace("AddSession: %s session exist.", name.c_str());
        name = requested + "." + std::to_string(counter++);
    }
    auto session = std::make_unique<CSession>();
    session->m_strName = name;
    CSession* added = g_AddSession(std::move(session));
    g_TraceLog.Trace("AddSession: %s session is added.", name.c_str());
    return added;
}

CSession* CTavoDoc::GetSession(const std::string& name) const
{
    g_TraceLog.Trace("GetSession: Find session %s.", name.c_str());
    for (const auto& session : g_SessionList()) {
        if (session->m_strName == name) {
            g_TraceLog.Trace("GetSession: Session %s found.", name.c_str());
            return session.get();
        }
    }
    return nullptr;
}

void CTavoDoc::OnNewDocument()
{
    m_aMenuEntries.clear();
    m_bTrace = false;
}

void CTavoDoc::OnCloseDocument()
{
    g_TraceLog.SetTrace(0);
    g_RemoveAllSessions();
}

void CTavoDoc::OnViewTrace()
{
    m_bTrace = !m_bTrace;
    g_TraceLog.SetTrace(m_bTrace ? 1 : 0);
}

void CTavoDoc::OnAsciiOnAll()
{
    g_nTransferType = TransferAscii;
}

void CTavoDoc::OnBinaryOnAll()
{
    g_nTransferType = TransferBinary;
}

void CTavoDoc::OnDefaultMode()
{
    g_nTransferType = TransferAuto;
}

void CTavoDoc::SetCurrentPath(const std::string& path, const std::string& sessionName)
{
    m_strCurSession = sessionName;
    SetCurrentPath(path);
}

void CTavoDoc::SetCurrentPath(const std::string& path)
{
    m_strCurPath = path;
    m_strTitle = QStringLiteral("Directory - ") + QString::fromStdString(path);
    emit titleChanged(m_strTitle);
}

void CTavoDoc::ShowLastError()
{
    char text[512] = "";
    const int length = ftp_lasterror(text, sizeof text);
    if (length > 0) {
        text[sizeof text - 1] = '\0';
        g_TraceLog.Message("%s", text);
    }
}

bool CTavoDoc::IsLocalDirectory(const std::string& path) const
{
    return f_getfileattr(path.c_str()) == f_fileattr_subdir();
}
