// dir and ls: a remote listing into a local file, or streamed to the server
// callback and the log.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

#include <netvo32.h>

namespace {

constexpr int kChunk = 512;

}  // namespace

// dir [<remote> [<local file>]], ls [<remote> [<local file>]]
int CScriptEngine::ExecDir(CScriptValue& value)
{
    g_TraceLog.Trace("ExecDir: Begin");
    const bool names = m_Tokenizer.GetToken() == tok::Ls;
    std::string remote;
    std::string local;
    if (ReadText(remote))
        ReadText(local);
    g_TraceLog.Trace("ExecDir: Remote = \"%s\", Local = \"%s\"", remote.c_str(), local.c_str());
    int code;
    if (!local.empty()) {
        code = LibraryCall([&](int handle) {
            return names ? ftp_ls(handle, remote.c_str(), local.c_str())
                         : ftp_dir(handle, remote.c_str(), local.c_str());
        });
    } else {
        code = LibraryCall([&](int handle) { return StreamListing(handle, names, remote); });
    }
    return EndStatement(value, "ExecDir", names ? "ls" : "dir", code);
}

// Chunks go to the callback as they come (echo on) and always to the log. A
// listing that breaks off, or that the server ends with a failure, fails the
// statement: the caller must not take half a listing for the whole folder.
int CScriptEngine::StreamListing(int handle, bool names, const std::string& remote)
{
    const int opened = names ? ftp_openreadforlist(handle, remote.c_str()) : ftp_openreadfordir(handle, remote.c_str());
    if (opened != 0)
        return opened;
    if (m_bEcho)
        m_pfnServerEcho(m_nUserData, "S>\r\n");
    char chunk[kChunk + 1];
    int read;
    while ((read = ftp_readdata(handle, chunk, kChunk)) > 0) {
        chunk[read] = '\0';
        if (m_bEcho)
            m_pfnServerEcho(m_nUserData, chunk);
        g_TraceLog.LogAppend("%s", chunk);
    }
    const int closed = ftp_closeread(handle);
    return read < 0 ? read : closed;
}
