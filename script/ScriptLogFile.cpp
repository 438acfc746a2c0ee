// logfile <name> [clear] starts the run's log file; logfile alone ends it.
// The file belongs to the process-wide trace log and outlives the run.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <filesystem>

int CScriptEngine::SetLogFile(CScriptValue&)
{
    g_TraceLog.Trace("SetLogFile: Begin");
    int rc = script_code::kOk;
    const std::int32_t token = m_Tokenizer.GetNextToken();
    if (token == tok::End) {
        m_bLogging = false;
        g_TraceLog.EndLogFile();
    } else if (token < tok::String) {
        rc = SyntaxError("Logfile", "<string>", m_Tokenizer.GetText());
    } else {
        rc = StartLogFile(m_Tokenizer.GetText());
    }
    ReportResult("SetLogFile", m_Tokenizer.GetText().c_str(), rc);
    return rc;
}

// The path is made absolute first: a later lcd must not scatter one log over
// two folders. A log that cannot be written fails the statement, so that a
// scheduled script does not run on without the record it asked for.
int CScriptEngine::StartLogFile(const std::string& name)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(name, error);
    const std::string path = error ? name : absolute.string();
    g_TraceLog.OpenLogFile(path);
    m_bLogging = true;
    const std::int32_t option = m_Tokenizer.GetNextToken();
    if (option == tok::Clear) {
        const int deleted = f_deletefile(path.c_str());
        g_TraceLog.OpenLogFile(path);
        g_TraceLog.Trace("SetLogFile: Delete file \"%s\", rc = %d", path.c_str(), deleted);
    } else if (option != tok::End) {
        SyntaxError("Unknown option", "[clear | <null>]", m_Tokenizer.GetText());
    }
    if (g_TraceLog.IsLogFileOn() == 0) {
        m_bLogging = false;
        EchoCommand("Logfile: cannot write \"" + path + "\".");
        return NETVO_E_LOCALFILE;
    }
    return script_code::kOk;
}
