// The run loop over a script file and the reading of its lines.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "TraceLog.h"

#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

int CScriptEngine::Run(const std::string& path)
{
    if (OpenFile(path) != 0)
        return script_code::kFailed;
    int rc = script_code::kOk;
    while (GetNextLine() != 0) {
        EchoCommand(m_strCurLine);
        rc = ExecuteLine();
        if (m_bContinueOnError)
            rc = script_code::kOk;
        if (rc != script_code::kOk)
            break;
    }
    // A script that could not be read to its end did not run to its end,
    // whatever "on error" says.
    if (m_nReadFailure != script_code::kOk)
        rc = m_nReadFailure;
    CloseFile();
    return rc;
}

int CScriptEngine::OpenFile(const std::string& path)
{
    // A folder opens as a stream on this system but has no lines; it is no
    // script either.
    std::error_code error;
    if (!std::filesystem::is_directory(path, error))
        m_File = std::fopen(path.c_str(), "rb");
    if (m_File == nullptr) {
        g_TraceLog.Trace("OpenFile: %s file cound not be opened, %d", path.c_str(), 0);
        return script_code::kFailed;
    }
    m_bFileOpen = true;
    m_bFirstLine = true;
    m_nLineNumber = 0;
    m_nReadFailure = script_code::kOk;
    return script_code::kOk;
}

void CScriptEngine::CloseFile()
{
    if (m_File != nullptr)
        std::fclose(m_File);
    m_File = nullptr;
    m_bFileOpen = false;
}

// Ends the reading of the script for good: the message goes to the caller
// whether echo is on or not, since it is all that tells why the run stopped
// (on a nightly run, echo is often off), and to the log.
void CScriptEngine::StopReading(int code, const std::string& message)
{
    g_TraceLog.Trace("GetNextLine: %s", message.c_str());
    const std::string line = "C> " + message + "\r\n";
    m_pfnClientEcho(m_nUserData, line.c_str());
    g_TraceLog.LogAppend("C> %s\n", message.c_str());
    m_nReadFailure = code;
}

// One line without its line end: 1, or 0 when there is none left. Files
// written on other systems end lines with CR LF and may start with a
// byte-order mark; neither belongs to the script's text. A line is read
// only up to its limit, so that a file without line ends (a device, a
// binary file given by mistake) cannot fill the memory, and a read error is
// never taken for the end of the file: both stop the run.
int CScriptEngine::ReadRawLine(std::string& line)
{
    line.clear();
    if (m_nReadFailure != script_code::kOk)
        return 0;
    bool any = false;
    bool tooLong = false;
    int c;
    // One byte more than the limit may be the CR of a CR LF end.
    while ((c = getc_unlocked(m_File)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() > kMaxScriptLine) {
            tooLong = true;
            break;
        }
        line.push_back(static_cast<char>(c));
    }
    if (c == EOF && std::ferror(m_File) != 0) {
        const std::string reason = std::error_code(errno, std::generic_category()).message();
        StopReading(script_code::kFailed, "The script file could not be read after line " +
                                              std::to_string(m_nLineNumber) + ": " + reason + ".");
        return 0;
    }
    if (!any)
        return 0;
    ++m_nLineNumber;
    if (!tooLong && !line.empty() && line.back() == '\r')
        line.pop_back();
    if (tooLong || line.size() > kMaxScriptLine) {
        line.clear();
        StopReading(script_code::kSyntaxError, "Script line " + std::to_string(m_nLineNumber) +
                                                   " is longer than " + std::to_string(kMaxScriptLine) +
                                                   " bytes; the script stops.");
        return 0;
    }
    if (m_bFirstLine && line.starts_with(kUtf8Bom))
        line.erase(0, kUtf8Bom.size());
    m_bFirstLine = false;
    return 1;
}

int CScriptEngine::GetNextLine()
{
    g_TraceLog.Trace("GetNextLine: Begin");
    // A single-line call has no file: the line it was given stays current.
    if (!m_bFileOpen)
        return 1;
    SetCurrentSession("#0");
    m_strCurLine.clear();
    while (m_strCurLine.empty()) {
        std::string raw;
        if (ReadRawLine(raw) == 0)
            return 0;
        g_TraceLog.Trace("GetNextLine: %s", raw.c_str());
        size_t start = 0;
        while (start < raw.size() && IsScriptBlank(raw[start]))
            ++start;
        std::string line = raw.substr(start);
        // "//" starts a comment wherever it stands, inside quotes too.
        if (const size_t comment = line.find("//"); comment != std::string::npos)
            line.resize(comment);
        m_strCurLine = std::move(line);
    }
    m_Tokenizer.SetRestOfLine(m_strCurLine);
    return 1;
}
