// CScriptTokenizer cuts the current script line into tokens on demand. The
// engine hands it each line as the rest of the line; statement handlers pull
// one token at a time, or take the whole remainder at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The blanks between tokens and around lines: ASCII white space only, so
// that bytes of multibyte characters are never taken for blanks.
inline bool IsScriptBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

class CScriptTokenizer {
public:
    // Reads the next token from the rest of the line, makes it current and
    // returns its number (tok::End when nothing is left).
    std::int32_t GetNextToken();
    // Takes everything left as one string token (tok::String), or returns
    // tok::End when nothing is left. For arguments that may hold blanks.
    std::int32_t GetRestOfLine();

    void SetRestOfLine(std::string_view rest);
    std::string GetRestOfLineText() const { return m_strRest.substr(m_nRestPos); }

    std::int32_t GetToken() const { return m_nToken; }
    std::int32_t GetValue() const { return m_nValue; }
    std::string GetText() const { return m_strText; }
    std::string GetPrevText() const { return m_strPrevText; }

private:
    void SkipWhiteSpace();
    void ReadQuoted(char quote);
    void ReadSessionName();
    void ReadOperator(std::int32_t single, std::int32_t withEqual);
    void ReadWord();

    std::int32_t m_nToken = 0;
    std::int32_t m_nValue = 0;  // of the last number token
    std::string m_strText;
    std::string m_strPrevText;
    // The unread remainder is m_strRest from m_nRestPos on; a position
    // instead of erasing from the front keeps long lines linear.
    std::string m_strRest;
    size_t m_nRestPos = 0;
};
