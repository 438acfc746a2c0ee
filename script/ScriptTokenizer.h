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
    // The line given to SetRestOfLine holds a NUL byte. Names reach the FTP
    // library as C strings, which end at the first NUL: the statement would
    // act on a shorter name than the script wrote. No token ever carries a
    // NUL (the token that would is the end of the line, for good), and the
    // engine refuses such a line before running any of it.
    bool HoldsNul() const { return m_bHoldsNul; }

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
    // Makes text[begin, end) the current token's text and moves past `next`;
    // false, leaving the token the end of the line, when it holds a NUL.
    bool Take(size_t begin, size_t end, size_t next);

    std::int32_t m_nToken = 0;
    std::int32_t m_nValue = 0;  // of the last number token
    std::string m_strText;
    std::string m_strPrevText;
    // The unread remainder is m_strRest from m_nRestPos on; a position
    // instead of erasing from the front keeps long lines linear.
    std::string m_strRest;
    size_t m_nRestPos = 0;
    bool m_bHoldsNul = false;
    bool m_bStoppedAtNul = false;  // a token held a NUL: the end, for good
};
