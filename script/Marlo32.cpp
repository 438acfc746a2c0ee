// The library's four exports. Nothing may escape them but a completion code.
#include "Marlo32.h"

#include "FtpSession.h"
#include "ScriptCodes.h"
#include "ScriptEngine.h"

#include <netvo32.h>

#include <exception>

namespace {

bool IsEmpty(const char* text)
{
    return text == nullptr || *text == '\0';
}

}  // namespace

extern "C" {

MARLO_API int Marlo_Execute(const char* scriptPath)
{
    return Marlo_Execute2(scriptPath, 0, nullptr, nullptr);
}

MARLO_API int Marlo_Execute2(const char* scriptPath, std::intptr_t userData, ScriptEchoCallback clientEcho,
                             ScriptEchoCallback serverEcho)
{
    try {
        CScriptEngine engine;
        engine.SetUserData(userData);
        engine.SetCallbacks(clientEcho, serverEcho);
        return engine.Run(scriptPath != nullptr ? scriptPath : "");
    } catch (...) {
        return script_code::kFailed;
    }
}

MARLO_API int Marlo_ExecLine(int ftpHandle, const char* line, std::intptr_t userData, ScriptEchoCallback clientEcho,
                             ScriptEchoCallback serverEcho, int echo)
{
    try {
        CScriptEngine engine;
        engine.SetUserData(userData);
        engine.SetCallbacks(clientEcho, serverEcho);
        if (ftpHandle <= 0 || ftp_isconnected(ftpHandle) <= 0 || IsEmpty(line))
            return script_code::kFailed;
        engine.AttachHandle(ftpHandle);
        engine.SetLine(line);
        engine.SetEchoFlag(echo != 0);
        return engine.ExecuteLine();
    } catch (...) {
        return script_code::kFailed;
    }
}

MARLO_API int Marlo_ExecLine2(CSession* session, const char* line, std::intptr_t, ScriptEchoCallback clientEcho,
                              ScriptEchoCallback serverEcho, int echo)
{
    if (session == nullptr || IsEmpty(line))
        return script_code::kFailed;
    try {
        CScriptEngine engine;
        engine.SetUserData(session->GetFtpHandle());
        engine.SetCallbacks(clientEcho, serverEcho);
        engine.UseCallerSession(*session);
        engine.SetLine(line);
        engine.SetEchoFlag(echo != 0);
        return engine.ExecuteLine();
    } catch (...) {
        return script_code::kFailed;
    }
}

}
