// dir and ls: a remote listing into a local file, or streamed to the server
// callback and the log.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <string>
#include <string_view>

namespace {

constexpr int kChunk = 512;

// A listing reaches the callback and the log as C strings, where a NUL byte
// (a broken server, a name it mangled) would end the text and hide the rest
// of the chunk. Each NUL shows as the replacement character instead.
constexpr std::string_view kNulShownAs = "\xEF\xBF\xBD";

std::string Printable(const char* data, int size)
{
    std::string text;
    text.reserve(static_cast<size_t>(size));
    for (int i = 0; i < size; ++i) {
        if (data[i] == '\0')
            text += kNulShownAs;
        else
            text += data[i];
    }
    return text;
}

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
    char chunk[kChunk];
    int read;
    while ((read = ftp_readdata(handle, chunk, kChunk)) > 0) {
        const std::string text = Printable(chunk, read);
        if (m_bEcho)
            m_pfnServerEcho(m_nUserData, text.c_str());
        g_TraceLog.LogAppend("%s", text.c_str());
    }
    const int closed = ftp_closeread(handle);
    return read < 0 ? read : closed;
}
