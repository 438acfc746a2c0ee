#ifndef TAVO_MARLO32
#include "SessionRegistry.h"

#include "TraceLog.h"

#include <algorithm>

namespace {

std::vector<std::unique_ptr<CSession>>& Sessions()
{
    static std::vector<std::unique_ptr<CSession>> sessions;
    return sessions;
}

}  // namespace

CSession* g_AddSession(std::unique_ptr<CSession> session)
{
    if (!session)
        return nullptr;
    Sessions().push_back(std::move(session));
    return Sessions().back().get();
}

bool g_RemoveSession(CSession* session)
{
    auto& sessions = Sessions();
    const auto found = std::find_if(sessions.begin(), sessions.end(),
                                    [&](const std::unique_ptr<CSession>& s) { return s.get() == session; });
    if (found == sessions.end())
        return false;
    // Out of the list before it is destroyed, so that nothing its
    // destruction does can find it.
    std::unique_ptr<CSession> doomed = std::move(*found);
    sessions.erase(found);
    return true;
}

void g_RemoveAllSessions()
{
    auto& sessions = Sessions();
    while (!sessions.empty()) {
        std::unique_ptr<CSession> doomed = std::move(sessions.front());
        sessions.erase(sessions.begin());
    }
}

const std::vector<std::unique_ptr<CSession>>& g_SessionList()
{
    return Sessions();
}

std::string g_GetSeparator(int handle)
{
    const CSession* session = handle > 0 ? g_GetSession(handle) : nullptr;
    return session ? session->GetSeparator() : std::string("/");
}

CSession* g_GetSession(int handle)
{
    g_TraceLog.Trace("g_GetSession: Get session %d.", handle);
    if (handle <= 0)
        return nullptr;
    for (const auto& session : Sessions()) {
        if (session->m_nFtpHandle == handle) {
            g_TraceLog.Trace("g_GetSession: Session %s found.", session->m_strName.c_str());
            return session.get();
        }
    }
    return nullptr;
}

CSession* g_GetSession(const std::string& name)
{
    g_TraceLog.Trace("g_GetSession: Find session %s.", name.c_str());
    for (const auto& session : Sessions()) {
        if (session->m_strName == name)
            return session.get();
    }
    return nullptr;
}

CSession* g_CheckTimerEvent(unsigned id)
{
    g_TraceLog.Trace("g_CheckTimerEvent: Get Event ID %u session.", id);
    if (id == 0)
        return nullptr;
    for (const auto& session : Sessions()) {
        if (session->m_nTimerID == id) {
            g_TraceLog.Trace("g_CheckTimerEvent: Session %s found.", session->m_strName.c_str());
            session->SendNOOP();
            return session.get();
        }
    }
    return nullptr;
}
#endif
