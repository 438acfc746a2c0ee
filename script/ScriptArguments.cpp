// How statements read their arguments, call the FTP library on the current
// session's handle, and end with their report.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"

#include <charconv>
#include <cstdlib>
#include <limits>

namespace {

// A word where a number is expected counts by its leading decimal digits
// after blanks, with an optional sign; 0 when it has none.
int LeadingInteger(const std::string& text)
{
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

}  // namespace

// <text>: a quoted text, a plain word, or a keyword used as a word. A number
// is no text.
bool CScriptEngine::ReadText(std::string& text)
{
    if (m_Tokenizer.GetNextToken() < tok::String)
        return false;
    text = m_Tokenizer.GetText();
    return true;
}

// <n>: any token from a number up passes.
bool CScriptEngine::ReadInteger(int& number)
{
    const std::int32_t token = m_Tokenizer.GetNextToken();
    if (token < tok::Number)
        return false;
    number = token == tok::Number ? m_Tokenizer.GetValue() : LeadingInteger(m_Tokenizer.GetText());
    return true;
}

// Up to four texts (host or firewall host, user, password, account); the
// first token that is no text ends them. Returns how many were read.
int CScriptEngine::ReadLoginTexts(std::string (&texts)[4])
{
    int count = 0;
    while (count < 4 && ReadText(texts[count]))
        ++count;
    return count;
}

// "<text> [<text>] [@ <n>]". The offset is read from the number's own text in
// 64 bits: files beyond 2 GiB must resume where they stopped, not at the
// largest 32-bit value.
int CScriptEngine::ReadTransferArgs(const char* keyword, TransferArgs& args, const char* offsetExpected)
{
    if (!ReadText(args.first))
        return SyntaxError(keyword, "<filename>", m_Tokenizer.GetText());
    std::int32_t token = m_Tokenizer.GetNextToken();
    if (token >= tok::String) {
        args.second = m_Tokenizer.GetText();
        token = m_Tokenizer.GetNextToken();
    }
    if (token != tok::At)
        return script_code::kOk;
    args.hasOffset = true;
    if (m_Tokenizer.GetNextToken() != tok::Number)
        return SyntaxError("... @", offsetExpected, m_Tokenizer.GetText());
    const std::string number = m_Tokenizer.GetText();
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), args.offset);
    if (error != std::errc() || end != number.data() + number.size())
        return SyntaxError("... @", offsetExpected, number);
    return script_code::kOk;
}

// A transfer resumes in restart mode, and on a repeat when the failure rule
// says "restart".
bool CScriptEngine::ResumeOnAttempt(int attempt) const
{
    return m_bRestartMode || (attempt > 0 && m_bRestartOnRetry);
}

// A direct library call on the current session's handle, inside its busy
// bracket. The handle is read anew each time, after the link check.
int CScriptEngine::LibraryCall(const std::function<int(int handle)>& call)
{
    const int handle = m_pCurSession->GetFtpHandle();
    CBusyBracket busy(*m_pCurSession);
    return call(handle);
}

int CScriptEngine::EndStatement(CScriptValue& value, const char* function, const char* keyword, int code)
{
    value.SetInteger(code);
    ReportResult(function, keyword, code);
    return code;
}
