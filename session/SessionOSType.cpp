// The server's kind, read from the form of its current folder: a backslash
// means a DOS-style server, a slash a Unix-style one. NT servers keep their
// kind and only switch between their two listing styles.
#ifndef TAVO_MARLO32
#include "FtpSession.h"

#include "TraceLog.h"

namespace {

struct OSTypeChange {
    int before;
    int after;
    const char* trace;
};

constexpr OSTypeChange kToBackslash[] = {
    {OsUnknown, OsDos, "CSession.VerifyOSType: Set OS type to DOS type"},
    {OsUnix, OsDos, "CSession.VerifyOSType: Change OS type to DOS type"},
    {OsNtUnix, OsNt, "CSession.VerifyOSType: Change OS type to NT type"},
};

constexpr OSTypeChange kToSlash[] = {
    {OsUnknown, OsUnix, "CSession.VerifyOSType: Set OS type to UNIX type"},
    {OsDos, OsUnix, "CSession.VerifyOSType: Change OS type to UNIX type"},
    {OsNt, OsNtUnix, "CSession.VerifyOSType: Change OS type to NT_UNIX type"},
};

template <size_t N>
void ApplyChange(const OSTypeChange (&table)[N], int& type)
{
    for (const OSTypeChange& change : table) {
        if (change.before == type) {
            type = change.after;
            g_TraceLog.Trace("%s", change.trace);
            return;
        }
    }
}

}  // namespace

void CSession::VerifyOSType()
{
    if (m_strCurDir.empty())
        SetPwd();
    if (m_strCurDir.empty())
        return;
    if (m_strCurDir.find('\\') != std::string::npos) {
        m_strSeparator = "\\";
        ApplyChange(kToBackslash, m_nOSType);
    } else if (m_strCurDir.find('/') != std::string::npos) {
        m_strSeparator = "/";
        ApplyChange(kToSlash, m_nOSType);
    }
}
#endif
