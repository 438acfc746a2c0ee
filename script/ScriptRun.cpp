// The run loop over a script file and the reading of its lines.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "TraceLog.h"

#include <filesystem>
#include <string_view>

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
    CloseFile();
    return rc;
}

int CScriptEngine::OpenFile(const std::string& path)
{
    // A folder opens as a stream on this system but has no lines; it is no
    // script either.
    std::error_code error;
    if (!std::filesystem::is_directory(path, error))
        m_File.open(path, std::ios::in | std::ios::binary);
    if (!m_File.is_open()) {
        g_TraceLog.Trace("OpenFile: %s file cound not be opened, %d", path.c_str(), 0);
        return script_code::kFailed;
    }
    m_bFileOpen = true;
    m_bFirstLine = true;
    return script_code::kOk;
}

void CScriptEngine::CloseFile()
{
    if (m_File.is_open())
        m_File.close();
    m_bFileOpen = false;
}

// One line without its line end. Files written on other systems end lines
// with CR LF and may start with a byte-order mark; neither belongs to the
// script's text.
bool CScriptEngine::ReadRawLine(std::string& line)
{
    if (!std::getline(m_File, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (m_bFirstLine && line.starts_with(kUtf8Bom))
        line.erase(0, kUtf8Bom.size());
    m_bFirstLine = false;
    return true;
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
        if (!ReadRawLine(raw))
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
