#include "Result.h"

#include <cstdio>

namespace netvo {

namespace {
thread_local std::string t_lastError;
thread_local char t_codeText[48];
}  // namespace

const char* ResultText(int code)
{
    switch (code) {
    case NETVO_OK: return "success";
    case NETVO_E_CONNECT: return "could not connect";
    case NETVO_E_RESOLVE: return "host not found";
    case NETVO_E_TIMEOUT: return "timed out";
    case NETVO_E_CLOSED: return "connection lost";
    case NETVO_E_LOCALFILE: return "local file error";
    case NETVO_E_BADHANDLE: return "unknown connection handle";
    case NETVO_E_ABORTED: return "aborted";
    case NETVO_E_PROTOCOL: return "invalid reply from server";
    case NETVO_E_BADARG: return "invalid argument";
    case NETVO_E_NOTCONNECTED: return "not connected";
    case NETVO_E_DATACONN: return "data connection failed";
    case NETVO_E_REFUSED: return "server refused the connection";
    case NETVO_E_STATE: return "wrong state for this call";
    case NETVO_E_NOMATCH: return "no file matched";
    case NETVO_E_INTERNAL: return "internal error";
    case NETVO_E_TLS: return "TLS failed or was refused";
    case NETVO_E_CERTIFICATE: return "the server's certificate is not trusted";
    default: break;
    }
    std::snprintf(t_codeText, sizeof t_codeText, code > 0 ? "server reply %d" : "error %d", code);
    return t_codeText;
}

int SetLastError(int code, std::string_view text)
{
    t_lastError.assign(text);
    return code;
}

const std::string& LastError() { return t_lastError; }

}  // namespace netvo
