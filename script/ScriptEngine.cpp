#include "ScriptEngine.h"

#include "TraceLog.h"

#include <cstdio>

namespace {

int DefaultClientEcho(std::intptr_t, const char* text)
{
    std::printf("C> %s\n", text);
    std::fflush(stdout);
    return 0;
}

int DefaultServerEcho(std::intptr_t, const char* text)
{
    std::printf("S> %s\n", text);
    std::fflush(stdout);
    return 0;
}

}  // namespace

CScriptEngine::CScriptEngine()
    : m_pfnClientEcho(DefaultClientEcho)
    , m_pfnServerEcho(DefaultServerEcho)
{
}

// Sessions live exactly as long as the run: each is destroyed in list order,
// and each one not named " " quits its connection then.
CScriptEngine::~CScriptEngine()
{
    CloseFile();
    m_pCurSession = nullptr;
    for (std::unique_ptr<CSession>& session : m_Sessions)
        session.reset();
    m_Sessions.clear();
}

void CScriptEngine::SetCallbacks(ScriptEchoCallback clientEcho, ScriptEchoCallback serverEcho)
{
    if (clientEcho != nullptr)
        m_pfnClientEcho = clientEcho;
    if (serverEcho != nullptr)
        m_pfnServerEcho = serverEcho;
}

void CScriptEngine::AttachHandle(int ftpHandle)
{
    SetCurrentSession(kCallerSessionName);
    m_pCurSession->m_nFtpHandle = ftpHandle;
}

int CScriptEngine::SetLine(const std::string& text)
{
    m_strCurLine = text;
    if (text.empty())
        return 0;
    m_Tokenizer.SetRestOfLine(text);
    return 1;
}

void CScriptEngine::SetCurrentSession(const std::string& name)
{
    g_TraceLog.Trace("SetCurrentSession: Setting current session to %s.", name.c_str());
    for (const std::unique_ptr<CSession>& session : m_Sessions) {
        if (session->m_strName == name) {
            m_pCurSession = session.get();
            g_TraceLog.Trace("SetCurrentSession: %s session found.", name.c_str());
            return;
        }
    }
    auto session = std::make_unique<CSession>();
    session->m_strName = name;
    m_pCurSession = session.get();
    m_Sessions.push_back(std::move(session));
    g_TraceLog.Trace("SetCurrentSession: %s is a new session.", name.c_str());
    // A session created after an "on failed" rule carries the same rule.
    m_pCurSession->SetOnFailed(m_nRetryMax, m_nRetrySleep);
}
