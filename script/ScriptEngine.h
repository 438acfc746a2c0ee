// CScriptEngine: the interpreter that one export call of the script library
// builds, runs on one script file or one line, and destroys before it
// returns. It reads lines, hands them to the tokenizer, dispatches each on
// its first word to a statement handler, and reports commands and server
// replies through the caller's echo callbacks.
#pragma once

#include "FtpSession.h"
#include "ScriptEcho.h"
#include "ScriptTokenizer.h"
#include "ScriptValue.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#if defined(__GNUC__)
#define SCRIPT_PRINTF(fmtIndex, argIndex) __attribute__((format(printf, fmtIndex, argIndex)))
#else
#define SCRIPT_PRINTF(fmtIndex, argIndex)
#endif

class CScriptEngine {
public:
    CScriptEngine();
    ~CScriptEngine();
    CScriptEngine(const CScriptEngine&) = delete;
    CScriptEngine& operator=(const CScriptEngine&) = delete;

    // --- Set-up by the export calls ------------------------------------------
    void SetUserData(std::intptr_t data) { m_nUserData = data; }
    // A null callback keeps the default, which prints to standard output.
    void SetCallbacks(ScriptEchoCallback clientEcho, ScriptEchoCallback serverEcho);
    void SetEchoFlag(bool on) { m_bEcho = on; }
    // Makes the session named " " current and gives it the caller's handle.
    void AttachHandle(int ftpHandle);
    // Makes the caller's session current without taking it into the list, so
    // the engine neither frees nor disconnects it.
    void UseCallerSession(CSession& session) { m_pCurSession = &session; }

    // --- Running -----------------------------------------------------------
    // Runs a script file: 0 at its end, -1 when it cannot be opened or a read
    // of it fails, -999 for a line longer than kMaxScriptLine bytes, else
    // the code of the statement that stopped it.
    int Run(const std::string& path);
    // The longest script line, line end not counted.
    static constexpr size_t kMaxScriptLine = 64 * 1024;
    // Makes `text` the current line; 0 for an empty line, 1 otherwise.
    int SetLine(const std::string& text);
    int ExecuteLine();

    // --- Reporting, for the statement handlers --------------------------------
    void EchoCommand(const std::string& text);
    void ReportResult(const char* function, const char* keyword, int code, const std::string* successReply = nullptr);
    void EchoReply(const char* format, ...) SCRIPT_PRINTF(2, 3);
    int SyntaxError(const std::string& keyword, const std::string& expected, const std::string& found);

    // --- State, for the export calls and for tests -----------------------------
    bool GetEchoFlag() const { return m_bEcho; }
    bool GetContinueOnError() const { return m_bContinueOnError; }
    CSession* GetCurrentSession() const { return m_pCurSession; }
    const std::vector<std::unique_ptr<CSession>>& GetSessions() const { return m_Sessions; }
    const std::string& GetCurrentLine() const { return m_strCurLine; }
    std::int32_t GetRetryMax() const { return m_nRetryMax; }
    std::int32_t GetRetrySleep() const { return m_nRetrySleep; }
    bool GetRestartOnRetry() const { return m_bRestartOnRetry; }

private:
    using Handler = int (CScriptEngine::*)(CScriptValue& value);
    struct Statement {
        std::int32_t token;
        Handler handler;
    };
    static const Statement kControlStatements[];
    static const Statement kFtpStatements[];

    // Run frame.
    int OpenFile(const std::string& path);
    void CloseFile();
    int GetNextLine();
    int ReadRawLine(std::string& line);
    void StopReading(int code, const std::string& message);
    void SetCurrentSession(const std::string& name);
    bool ControlStmt(CScriptValue& value, int& rc);
    int ExecuteCmd(CScriptValue& value);
    int UnknownStatement(CScriptValue& value);

    // The retry loop of the statements that repeat a failing operation.
    int RetryPause(int attempt) const;
    bool MayRetry(int attempt, int code) const;
    int PauseBeforeRetry(int attempt);
    int RetryLoop(bool reconnect, const std::function<int(int attempt)>& operation);

    // Argument reading and the end of a statement.
    struct TransferArgs {
        std::string first;   // remote name of a get, local name of a put
        std::string second;  // empty: the library chooses the name
        bool hasOffset = false;
        long long offset = 0;  // 0 counts as no offset
    };
    bool ReadText(std::string& text);
    bool ReadInteger(int& number);
    int ReadLoginTexts(std::string (&texts)[4]);
    // `offsetExpected` names what must follow "@" in the syntax message.
    int ReadTransferArgs(const char* keyword, TransferArgs& args, const char* offsetExpected = "integer");
    bool ResumeOnAttempt(int attempt) const;
    int LibraryCall(const std::function<int(int handle)>& call);
    int EndStatement(CScriptValue& value, const char* function, const char* keyword, int code);
    int StreamListing(int handle, bool names, const std::string& remote);
    int SetUniqueMode(const char* keyword, bool recorded, int (CSession::*set)(bool));

    // Parts of the failure rules and the log file.
    int ExecOnFailed();
    int ExecOnError();
    int GetSleep();
    void SetRetryInfo();
    int StartLogFile(const std::string& path);

    // Conditions: operands, comparisons and the walks through an if block.
    int ExecuteCmdExt(CScriptValue& value);
    int IfCondition(CScriptValue& value);
    int ExecCompare(CScriptValue& value);
    int ExecNot(CScriptValue& value);
    int ExecParenthesis(CScriptValue& value);
    int PerformThen();
    int SearchElse();
    int PerformElse();
    int GotoEndif();

    // Script functions and the file queries.
    int f_File(CScriptValue& value);
    int f_String(CScriptValue& value);
    int f_Number(CScriptValue& value);
    int f_Today(CScriptValue& value);
    int f_Now(CScriptValue& value);
    int f_Date(CScriptValue& value);
    int DateOfLocalFile(CScriptValue& value);
    int QueryFileTime(CScriptValue& value, bool withTime);

    // Named sessions and the copies between two servers.
    int FindFtpHandle(const std::string& name);
    int GetRemoteSessions(std::string& source, std::string& dest, int& sourceHandle, int& destHandle);
    int ExecRemotePut(CScriptValue& value);
    int ExecRemoteAppend(CScriptValue& value);
    int RemoteTransfer(const char* keyword, bool append);

    // Control statements.
    int ExecOn(CScriptValue& value);
    int SetDebug(CScriptValue& value);
    int SetIgnore(CScriptValue& value);
    int SetEcho(CScriptValue& value);
    int SetLogFile(CScriptValue& value);
    int ExecIf(CScriptValue& value);
    int ExecElse(CScriptValue& value);
    int ExecEndif(CScriptValue& value);
    int Test(CScriptValue& value);
    int ReadSwitch(const char* keyword, bool& flag);

    // FTP statements.
    int ExecFunction(CScriptValue& value);
    int ExecLogin(CScriptValue& value);
    int ExecGet(CScriptValue& value);
    int ExecPut(CScriptValue& value);
    int ExecCd(CScriptValue& value);
    int ExecCdup(CScriptValue& value);
    int ExecDir(CScriptValue& value);
    int ExecAscii(CScriptValue& value);
    int ExecBinary(CScriptValue& value);
    int ExecAppend(CScriptValue& value);
    int ExecSite(CScriptValue& value);
    int ExecQuote(CScriptValue& value);
    int ExecRestart(CScriptValue& value);
    int ExecGateLogin(CScriptValue& value);
    int ExecMPut(CScriptValue& value);
    int ExecMGet(CScriptValue& value);
    int ExecLcd(CScriptValue& value);
    int ExecPassive(CScriptValue& value);
    int ExecActive(CScriptValue& value);
    int ExecStatusBox(CScriptValue& value);
    int ExecQuit(CScriptValue& value);
    int ExecRemote(CScriptValue& value);
    int ExecRmDir(CScriptValue& value);
    int ExecDelete(CScriptValue& value);
    int ExecMkDir(CScriptValue& value);
    int ExecRename(CScriptValue& value);
    int ExecLocalUnique(CScriptValue& value);
    int ExecStoreUnique(CScriptValue& value);
    int ExecExists(CScriptValue& value);
    int ExecLocalPath(CScriptValue& value);
    int ExecFilesize(CScriptValue& value);
    int ExecDefaultTimeout(CScriptValue& value);
    int ExecReceiveTimeout(CScriptValue& value);
    int ExecFileDate(CScriptValue& value);
    int ExecFiledatetime(CScriptValue& value);
    int ExecPwd(CScriptValue& value);
    int ExecLocalDataPort(CScriptValue& value);
    int ExecSecure(CScriptValue& value);

    std::intptr_t m_nUserData = 0;
    ScriptEchoCallback m_pfnClientEcho;
    ScriptEchoCallback m_pfnServerEcho;
    bool m_bRestartOnRetry = false;  // repeats of transfers resume
    bool m_bRestartMode = false;     // while a "restart" statement runs
    std::int32_t m_nRetryMax = -1;   // -1 none, 0 for ever, n at most n repeats
    std::int32_t m_nRetrySleep = 0;  // seconds before each repeat (at least that)
    // The text of a failure the engine itself caused (a retry pause that was
    // aborted), reported instead of the library's last error, which is older.
    std::string m_strOwnFailure;
    CScriptTokenizer m_Tokenizer;
    bool m_bLogging = false;
    bool m_bContinueOnError = false;
    bool m_bEcho = false;
    std::vector<std::unique_ptr<CSession>> m_Sessions;  // in order of creation
    CSession* m_pCurSession = nullptr;
    std::string m_strCurLine;
    bool m_bFileOpen = false;
    std::FILE* m_File = nullptr;
    int m_nLineNumber = 0;   // lines read from the file so far
    // Not 0 once the file could not be read further (a read error, an
    // over-long line): the run's code. No line is read after it.
    int m_nReadFailure = 0;
    bool m_bFirstLine = true;
    int m_nLineDepth = 0;  // lines executing inside one another
    int m_nExprDepth = 0;  // operands and functions inside one another
};
