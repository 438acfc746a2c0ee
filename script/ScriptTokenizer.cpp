#include "ScriptTokenizer.h"

#include "ScriptKeywords.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

#include <limits>

namespace {

// A word ends before any of these; the delimiter stays in the rest. Tab is
// deliberately not among them.
constexpr std::string_view kWordDelimiters = " ()@#$\"'!><=,";

bool IsDigits(std::string_view word)
{
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
    }
    return !word.empty();
}

// Decimal value of a digit string, held at the largest 32-bit value.
std::int32_t SaturatedValue(std::string_view digits)
{
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > kMax)
            return static_cast<std::int32_t>(kMax);
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

void CScriptTokenizer::SetRestOfLine(std::string_view rest)
{
    m_strRest.assign(rest);
    m_nRestPos = 0;
    m_bHoldsNul = rest.find('\0') != std::string_view::npos;
    m_bStoppedAtNul = false;
}

bool CScriptTokenizer::Take(size_t begin, size_t end, size_t next)
{
    const std::string_view text = std::string_view(m_strRest).substr(begin, end - begin);
    if (text.find('\0') != std::string_view::npos) {
        m_bStoppedAtNul = true;
        return false;
    }
    m_strText.assign(text);
    m_nRestPos = next;
    return true;
}

std::int32_t CScriptTokenizer::GetNextToken()
{
    m_strPrevText = std::move(m_strText);
    m_strText.clear();
    m_nToken = tok::End;
    SkipWhiteSpace();
    if (m_bStoppedAtNul || m_nRestPos >= m_strRest.size()) {
        m_nValue = 0;
    } else {
        switch (const char c = m_strRest[m_nRestPos]) {
        case '"':
        case '\'':
            ReadQuoted(c);
            break;
        case '#':
            ReadSessionName();
            break;
        case '$':
            ReadOperator(tok::Dollar, 0);
            break;
        case '@':
            ReadOperator(tok::At, 0);
            break;
        case '(':
            ReadOperator(tok::LeftParen, 0);
            break;
        case ')':
            ReadOperator(tok::RightParen, 0);
            break;
        case ',':
            ReadOperator(tok::Comma, 0);
            break;
        case '=':
            ReadOperator(tok::Equal, 0);
            break;
        case '!':
            ReadOperator(tok::Not, tok::NotEqual);
            break;
        case '<':
            ReadOperator(tok::Less, tok::LessEqual);
            break;
        case '>':
            ReadOperator(tok::Greater, tok::GreaterEqual);
            break;
        default:
            ReadWord();
            break;
        }
    }
    g_TraceLog.Trace("GetNextToken= %d \"%s\"", m_nToken, m_strText.c_str());
    return m_nToken;
}

std::int32_t CScriptTokenizer::GetRestOfLine()
{
    m_nToken = tok::End;
    m_strText.clear();
    SkipWhiteSpace();
    if (!m_bStoppedAtNul && m_nRestPos < m_strRest.size() && Take(m_nRestPos, m_strRest.size(), m_strRest.size()))
        m_nToken = tok::String;
    return m_nToken;
}

void CScriptTokenizer::SkipWhiteSpace()
{
    while (m_nRestPos < m_strRest.size() && IsScriptBlank(m_strRest[m_nRestPos]))
        ++m_nRestPos;
}

// No escapes: the other quote character may appear inside. Without a closing
// quote the token is the end of the line and the rest stays as it is, so
// every later call ends the statement too; the same for a NUL inside.
void CScriptTokenizer::ReadQuoted(char quote)
{
    const size_t close = m_strRest.find(quote, m_nRestPos + 1);
    if (close != std::string::npos && Take(m_nRestPos + 1, close, close + 1))
        m_nToken = tok::String;
}

// A session name runs up to the first blank, which is consumed; no other
// delimiter ends it.
void CScriptTokenizer::ReadSessionName()
{
    const size_t blank = m_strRest.find(' ', m_nRestPos);
    const size_t end = blank == std::string::npos ? m_strRest.size() : blank;
    if (Take(m_nRestPos, end, blank == std::string::npos ? end : blank + 1))
        m_nToken = tok::SessionName;
}

// One character, or two when `withEqual` is given and "=" follows at once.
void CScriptTokenizer::ReadOperator(std::int32_t single, std::int32_t withEqual)
{
    const size_t next = m_nRestPos + 1;
    const bool twoChars = withEqual != 0 && next < m_strRest.size() && m_strRest[next] == '=';
    const size_t length = twoChars ? 2 : 1;
    m_strText = m_strRest.substr(m_nRestPos, length);
    m_nRestPos += length;
    m_nToken = twoChars ? withEqual : single;
}

void CScriptTokenizer::ReadWord()
{
    size_t end = m_strRest.find_first_of(kWordDelimiters, m_nRestPos);
    if (end == std::string::npos)
        end = m_strRest.size();
    if (!Take(m_nRestPos, end, end))
        return;
    if (IsDigits(m_strText)) {
        m_nToken = tok::Number;
        m_nValue = SaturatedValue(m_strText);
    } else if (const std::int32_t keyword = LookupScriptKeyword(m_strText); keyword != 0) {
        m_nToken = keyword;
    } else {
        m_nToken = tok::String;
    }
}
