#include "ReplyParser.h"

#include <algorithm>
#include <cctype>

namespace netvo {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A reply line starts with a three-digit code whose first digit is 1..5.
int LineCode(std::string_view line)
{
    if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2]))
        return -1;
    if (line[0] < '1' || line[0] > '5')
        return -1;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

std::string_view AfterCode(std::string_view text)
{
    // Only the first line matters for the single-value replies.
    size_t end = text.find_first_of("\r\n");
    if (end != std::string_view::npos)
        text = text.substr(0, end);
    return text.size() > 4 ? text.substr(4) : std::string_view{};
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Reads a decimal number of at most `maxDigits` digits at `pos`.
std::optional<int64_t> Number(std::string_view s, size_t& pos, int maxDigits)
{
    int64_t value = 0;
    int digits = 0;
    while (pos < s.size() && IsDigit(s[pos]) && digits < maxDigits) {
        value = value * 10 + (s[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits == 0 || (pos < s.size() && IsDigit(s[pos])))
        return std::nullopt;
    return value;
}

}  // namespace

std::string Reply::Text() const
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

void ReplyFramer::Reset()
{
    m_buffer.clear();
    m_lineStart = 0;
    m_pending = Reply{};
    m_inReply = false;
    m_pendingBytes = 0;
}

ReplyFramer::Status ReplyFramer::Next(Reply& out)
{
    for (;;) {
        size_t nl = m_buffer.find('\n', m_lineStart);
        if (nl == std::string::npos) {
            if (m_buffer.size() - m_lineStart > kMaxLine)
                return Status::Error;
            // Drop the consumed prefix so the buffer does not grow forever.
            if (m_lineStart > 0) {
                m_buffer.erase(0, m_lineStart);
                m_lineStart = 0;
            }
            return Status::NeedMore;
        }
        if (nl - m_lineStart > kMaxLine)
            return Status::Error;
        std::string_view line(m_buffer.data() + m_lineStart, nl - m_lineStart);
        // Lines end in CRLF; a bare LF is accepted too (several servers send it).
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_lineStart = nl + 1;

        int code = LineCode(line);
        if (!m_inReply) {
            if (code < 0)
                return Status::Error;
            m_pending = Reply{};
            m_pending.code = code;
            m_pending.lines.emplace_back(line);
            m_pendingBytes = line.size();
            // "123-" opens a multi-line reply (RFC 959 4.2). A bare "123" line
            // without text is taken as a complete reply (seen from some
            // servers for empty messages).
            if (line.size() > 3 && line[3] == '-') {
                m_inReply = true;
                continue;
            }
        } else {
            m_pending.lines.emplace_back(line);
            m_pendingBytes += line.size() + 16;  // count per-line overhead too
            if (m_pendingBytes > kMaxReply)
                return Status::Error;
            // Only "123 " (same code, then space or the end) closes it; inner
            // lines may start with other codes or digits.
            if (!(code == m_pending.code && (line.size() == 3 || line[3] == ' ')))
                continue;
            m_inReply = false;
        }
        out = std::move(m_pending);
        m_pending = Reply{};
        if (m_lineStart == m_buffer.size()) {
            m_buffer.clear();
            m_lineStart = 0;
        }
        return Status::Ready;
    }
}

std::optional<PasvAddress> ParsePasv(std::string_view text)
{
    text = AfterCode(text);
    // The address is not always in parentheses (RFC 1123 4.1.2.6 tells
    // clients to scan for the first digit), so look for six numbers anywhere.
    for (size_t start = 0; start < text.size(); ++start) {
        if (!IsDigit(text[start]) || (start > 0 && IsDigit(text[start - 1])))
            continue;
        size_t pos = start;
        int values[6];
        bool ok = true;
        for (int i = 0; i < 6 && ok; ++i) {
            auto n = Number(text, pos, 3);
            if (!n || *n > 255) {
                ok = false;
                break;
            }
            values[i] = static_cast<int>(*n);
            if (i < 5) {
                if (pos >= text.size() || text[pos] != ',')
                    ok = false;
                else
                    ++pos;
            }
        }
        if (!ok)
            continue;
        PasvAddress result;
        result.host = std::to_string(values[0]) + "." + std::to_string(values[1]) + "." +
                      std::to_string(values[2]) + "." + std::to_string(values[3]);
        result.port = values[4] * 256 + values[5];
        if (result.port == 0)
            return std::nullopt;
        return result;
    }
    return std::nullopt;
}

std::optional<int> ParseEpsv(std::string_view text)
{
    text = AfterCode(text);
    // RFC 2428: "(<d><d><d><port><d>)" where <d> is any printable character
    // (normally '|'); the host part is empty.
    size_t open = text.find('(');
    if (open == std::string_view::npos || text.size() - open < 6)
        return std::nullopt;
    char d = text[open + 1];
    if (d < 33 || d > 126 || IsDigit(d))
        return std::nullopt;
    if (text[open + 2] != d || text[open + 3] != d)
        return std::nullopt;
    size_t pos = open + 4;
    auto port = Number(text, pos, 5);
    if (!port || *port < 1 || *port > 65535)
        return std::nullopt;
    if (pos + 1 >= text.size() || text[pos] != d || text[pos + 1] != ')')
        return std::nullopt;
    return static_cast<int>(*port);
}

std::optional<std::string> ParsePwd(std::string_view text)
{
    text = AfterCode(text);
    size_t open = text.find('"');
    if (open == std::string_view::npos) {
        // Some servers answer "257 /home/user is the current directory"
        // without quotes: take the first word.
        std::string_view rest = Trim(text);
        size_t space = rest.find(' ');
        std::string_view word = rest.substr(0, space);
        if (word.empty())
            return std::nullopt;
        return std::string(word);
    }
    // RFC 959 appendix II: a quote inside the name is doubled.
    std::string dir;
    for (size_t i = open + 1; i < text.size(); ++i) {
        if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
                dir += '"';
                ++i;
                continue;
            }
            return dir;
        }
        dir += text[i];
    }
    return std::nullopt;  // no closing quote
}

std::optional<std::string> ParseMdtm(std::string_view text)
{
    std::string_view value = Trim(AfterCode(text));
    if (value.size() < 14)
        return std::nullopt;
    for (size_t i = 0; i < 14; ++i)
        if (!IsDigit(value[i]))
            return std::nullopt;
    // RFC 3659 allows fractional seconds ".sss"; anything else after the
    // digits means it is not a time stamp.
    if (value.size() > 14) {
        if (value[14] != '.')
            return std::nullopt;
        for (size_t i = 15; i < value.size(); ++i)
            if (!IsDigit(value[i]))
                return std::nullopt;
    }
    // Digits alone are not a time: a broken server's "month 13" or "30
    // February" would reach callers that turn the stamp into a date and get
    // a wrong one (or none), so it is refused here. Second 60 is a leap
    // second.
    auto field = [&](size_t at, size_t digits) {
        int n = 0;
        for (size_t i = at; i < at + digits; ++i)
            n = n * 10 + (value[i] - '0');
        return n;
    };
    const int year = field(0, 4);
    const int month = field(4, 2);
    const int day = field(6, 2);
    if (month < 1 || month > 12 || day < 1 || field(8, 2) > 23 || field(10, 2) > 59 || field(12, 2) > 60)
        return std::nullopt;
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kDays[month - 1] || (month == 2 && day == 29 && !leap))
        return std::nullopt;
    return std::string(value.substr(0, 14));
}

std::optional<int64_t> ParseSize(std::string_view text)
{
    std::string_view value = Trim(AfterCode(text));
    size_t pos = 0;
    auto n = Number(value, pos, 18);  // up to 10^18 - 1: cannot overflow
    if (!n || pos != value.size())
        return std::nullopt;
    return *n;
}

std::optional<int64_t> ParseTransferSize(std::string_view text)
{
    text = AfterCode(text);
    size_t open = text.rfind('(');
    if (open == std::string_view::npos)
        return std::nullopt;
    size_t pos = open + 1;
    auto n = Number(text, pos, 18);
    if (!n || text.substr(pos, 6) != " bytes")
        return std::nullopt;
    return *n;
}

Features ParseFeatures(const Reply& reply)
{
    Features f;
    if (reply.code != 211)
        return f;
    for (size_t i = 1; i < reply.lines.size(); ++i) {
        std::string word;
        std::string_view line = Trim(reply.lines[i]);
        if (LineCode(line) == 211)
            continue;
        for (char c : line) {
            if (c == ' ')
                break;
            word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        if (word == "MLST")
            f.mlst = true;
        else if (word == "SIZE")
            f.size = true;
        else if (word == "MDTM")
            f.mdtm = true;
        else if (word == "EPSV")
            f.epsv = true;
        else if (word == "UTF8")
            f.utf8 = true;
        else if (word == "SSCN")
            f.sscn = true;
        else if (word == "REST") {
            std::string upper;
            for (char c : line)
                upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            f.restStream = upper.find("STREAM") != std::string::npos;
        }
    }
    return f;
}

}  // namespace netvo
