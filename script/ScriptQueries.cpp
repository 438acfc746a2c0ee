// The file queries: exists, filesize, filedate and filedatetime. Usable as
// statements and as condition operands.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTime.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <cinttypes>
#include <cstring>

// exists <name>: true when the remote file or folder is there.
int CScriptEngine::ExecExists(CScriptValue& value)
{
    g_TraceLog.Trace("ExecExists: Begin");
    std::string name;
    int code = script_code::kOk;
    if (!ReadText(name)) {
        code = SyntaxError("Exists", "<string>", m_Tokenizer.GetText());
        value.SetInteger(code);
    } else {
        value.SetBoolean(m_pCurSession->FtpExists(name) != 0);
    }
    ReportResult("ExecExists", "Exists", code);
    return code;
}

// filesize <name>: the size in bytes, 64 bits wide. The library answers a
// failure with 0, so an empty file cannot be told from a missing one and
// both fail.
int CScriptEngine::ExecFilesize(CScriptValue& value)
{
    g_TraceLog.Trace("ExecFilesize: Begin");
    std::string name;
    int code = script_code::kOk;
    if (!ReadText(name)) {
        code = SyntaxError("GetFilesize", "<string>", m_Tokenizer.GetText());
        value.SetInteger(code);
    } else {
        const int handle = m_pCurSession->GetFtpHandle();
        long long size = 0;
        {
            CBusyBracket busy(*m_pCurSession);
            size = ftp_GetFileSize(handle, name.c_str());
        }
        if (size <= 0) {
            code = script_code::kFailed;
            value.SetInteger(0);
        } else {
            value.SetUnsigned(static_cast<std::uint64_t>(size));
            EchoReply("%" PRIu64, value.m_nUnsigned);
        }
    }
    ReportResult("ExecFilesize", "GetFilesize", code);
    return code;
}

// filedate <name>: the day the remote file was last changed.
int CScriptEngine::ExecFileDate(CScriptValue& value)
{
    g_TraceLog.Trace("ExecFileDate: Begin");
    return QueryFileTime(value, false);
}

// filedatetime <name>: the moment the remote file was last changed.
int CScriptEngine::ExecFiledatetime(CScriptValue& value)
{
    g_TraceLog.Trace("ExecFiledatetime: Begin");
    return QueryFileTime(value, true);
}

// The server gives UTC digits; they are read as local time, as dates read
// with a "gmt" pattern are, so that the two compare alike.
int CScriptEngine::QueryFileTime(CScriptValue& value, bool withTime)
{
    std::string name;
    int code = script_code::kOk;
    if (!ReadText(name)) {
        code = SyntaxError("GetFileDateTime", "<string>", m_Tokenizer.GetText());
        value.SetInteger(code);
        ReportResult("ExecFiledatetime", "GetFileDateTime", code);
        return code;
    }
    char buffer[32] = {};
    const int rc = LibraryCall([&](int handle) {
        return ftp_GetFileDateTime(handle, name.c_str(), buffer, sizeof buffer, "");
    });
    std::string stamp(buffer, strnlen(buffer, sizeof buffer));
    const size_t first = stamp.find_first_not_of(' ');
    stamp.erase(0, first == std::string::npos ? stamp.size() : first);
    if (rc == 0)
        g_TraceLog.Trace("%s datetime = %s", name.c_str(), stamp.c_str());
    // A time that cannot be (month 13) fails the query rather than turning
    // into some other date.
    const std::int64_t time = rc == 0 ? script_time::FromServerStamp(stamp, withTime) : -1;
    if (time == -1) {
        code = script_code::kFailed;
        value.SetInteger(0);
    } else {
        value.SetTime(time);
        const char* format = withTime ? "%m/%d/%Y %H:%M:%S GMT" : "%m/%d/%Y GMT";
        EchoReply("%s", script_time::FormatLocal(value.m_tTime, format).c_str());
    }
    ReportResult("ExecFiledatetime", "GetFileDateTime", code);
    return code;
}
