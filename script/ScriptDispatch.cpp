// Statement dispatch: the first token of a line picks its handler.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptNesting.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

// Statements that steer the script; they need no session.
const CScriptEngine::Statement CScriptEngine::kControlStatements[] = {
    {tok::On, &CScriptEngine::ExecOn},
    {tok::Debug, &CScriptEngine::SetDebug},
    {tok::Ignore, &CScriptEngine::SetIgnore},
    {tok::Echo, &CScriptEngine::SetEcho},
    {tok::LogFile, &CScriptEngine::SetLogFile},
    {tok::If, &CScriptEngine::ExecIf},
    {tok::Else, &CScriptEngine::ExecElse},
    {tok::EndIf, &CScriptEngine::ExecEndif},
    {tok::Test, &CScriptEngine::Test},
};

// Statements that run on the current session.
const CScriptEngine::Statement CScriptEngine::kFtpStatements[] = {
    {tok::Dollar, &CScriptEngine::ExecFunction},
    {tok::Login, &CScriptEngine::ExecLogin},
    {tok::Get, &CScriptEngine::ExecGet},
    {tok::Put, &CScriptEngine::ExecPut},
    {tok::Cd, &CScriptEngine::ExecCd},
    {tok::Cdup, &CScriptEngine::ExecCdup},
    {tok::Dir, &CScriptEngine::ExecDir},
    {tok::Ls, &CScriptEngine::ExecDir},
    {tok::Ascii, &CScriptEngine::ExecAscii},
    {tok::Binary, &CScriptEngine::ExecBinary},
    {tok::Append, &CScriptEngine::ExecAppend},
    {tok::Site, &CScriptEngine::ExecSite},
    {tok::Quote, &CScriptEngine::ExecQuote},
    {tok::Restart, &CScriptEngine::ExecRestart},
    {tok::GateLogin, &CScriptEngine::ExecGateLogin},
    {tok::MPut, &CScriptEngine::ExecMPut},
    {tok::MGet, &CScriptEngine::ExecMGet},
    {tok::Lcd, &CScriptEngine::ExecLcd},
    {tok::Passive, &CScriptEngine::ExecPassive},
    {tok::Active, &CScriptEngine::ExecActive},
    {tok::StatusBox, &CScriptEngine::ExecStatusBox},
    {tok::Quit, &CScriptEngine::ExecQuit},
    {tok::Remote, &CScriptEngine::ExecRemote},
    {tok::RmDir, &CScriptEngine::ExecRmDir},
    {tok::Delete, &CScriptEngine::ExecDelete},
    {tok::MkDir, &CScriptEngine::ExecMkDir},
    {tok::Rename, &CScriptEngine::ExecRename},
    {tok::Local, &CScriptEngine::ExecLocalUnique},
    {tok::Store, &CScriptEngine::ExecStoreUnique},
    {tok::Exists, &CScriptEngine::ExecExists},
    {tok::LocalPath, &CScriptEngine::ExecLocalPath},
    {tok::FileSize, &CScriptEngine::ExecFilesize},
    {tok::DefaultTimeout, &CScriptEngine::ExecDefaultTimeout},
    {tok::ReceiveTimeout, &CScriptEngine::ExecReceiveTimeout},
    {tok::FileDate, &CScriptEngine::ExecFileDate},
    {tok::FileDateTime, &CScriptEngine::ExecFiledatetime},
    {tok::Pwd, &CScriptEngine::ExecPwd},
    {tok::DataPort, &CScriptEngine::ExecLocalDataPort},
    {tok::Secure, &CScriptEngine::ExecSecure},
};

namespace {

template <size_t N, class Entry>
const Entry* FindStatement(const Entry (&table)[N], std::int32_t token)
{
    for (const Entry& entry : table) {
        if (entry.token == token)
            return &entry;
    }
    return nullptr;
}

}  // namespace

int CScriptEngine::ExecuteLine()
{
    g_TraceLog.Trace("ExecuteLine: Begin");
    CScriptValue value;
    m_Tokenizer.GetNextToken();
    // Lines run inside lines only through conditions.
    const script_nesting::CGuard guard(m_nLineDepth);
    if (!guard.Allowed())
        return SyntaxError("Nesting", script_nesting::kExpected, m_Tokenizer.GetText());
    // Nothing of a line with a NUL runs: a name cut short at it would make
    // the statement act on another file.
    if (m_Tokenizer.HoldsNul())
        return SyntaxError("Line", "<text without NUL>", "NUL");
    int rc = script_code::kOk;
    if (!ControlStmt(value, rc))
        rc = ExecuteCmd(value);
    return rc;
}

// Runs the line when its first word is a control statement; false otherwise.
bool CScriptEngine::ControlStmt(CScriptValue& value, int& rc)
{
    g_TraceLog.Trace("ControlStmt: Begin");
    const Statement* statement = FindStatement(kControlStatements, m_Tokenizer.GetToken());
    if (statement == nullptr)
        return false;
    rc = (this->*statement->handler)(value);
    return true;
}

int CScriptEngine::ExecuteCmd(CScriptValue& value)
{
    g_TraceLog.Trace("ExecuteCmd: Begin");
    if (m_Tokenizer.GetToken() == tok::SessionName) {
        SetCurrentSession(m_Tokenizer.GetText());
        m_Tokenizer.GetNextToken();
    }
    if (m_pCurSession == nullptr)
        SetCurrentSession("#0");
    const std::int32_t token = m_Tokenizer.GetToken();
    // secure chooses how the next login connects, so it comes before one.
    if (token != tok::Login && token != tok::Secure) {
        const int handle = m_pCurSession->GetFtpHandle();
        if (handle <= 0) {
            EchoCommand("Session not login yet, check your syntax.");
            g_TraceLog.Trace("Token = %s, ftphandle = %d", m_Tokenizer.GetText().c_str(), handle);
            value.SetInteger(script_code::kNoSession);
            return script_code::kNoSession;
        }
    }
    if (const Statement* statement = FindStatement(kFtpStatements, token))
        return (this->*statement->handler)(value);
    return UnknownStatement(value);
}

// The answer to a word that starts no statement: the script stops with the
// syntax message rather than guessing what was meant.
int CScriptEngine::UnknownStatement(CScriptValue& value)
{
    SyntaxError("FTP", "<FTP Command>", m_Tokenizer.GetText());
    value.SetInteger(script_code::kSyntaxError);
    ReportResult("ExecuteCmd", "Unknown token", m_Tokenizer.GetToken());
    return script_code::kUnknownWord;
}
