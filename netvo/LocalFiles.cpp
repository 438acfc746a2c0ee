#include "LocalFiles.h"

#include "Result.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace netvo {

std::string SafeLastComponent(std::string_view name)
{
    while (!name.empty() && (name.back() == '/' || name.back() == '\\'))
        name.remove_suffix(1);
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos)
        name = name.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string_view::npos)
        return {};
    return std::string(name);
}

std::string LocalTarget(const Settings& settings, const char* local, std::string_view remote)
{
    std::string name;
    if (local && *local) {
        name = local;
        if (name.front() == '/' || settings.localPath.empty())
            return name;
    } else {
        name = SafeLastComponent(remote);
        if (name.empty())
            return {};
        if (settings.localPath.empty())
            return name;
    }
    std::string dir = settings.localPath;
    if (dir.back() != '/')
        dir += '/';
    return dir + name;
}

int OpenForGet(std::string& path, long long offset, bool unique)
{
    if (offset > 0) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return -1;
        struct stat st{};
        // Writing at an offset past the end would leave a hole of zeros.
        if (::fstat(fd, &st) != 0 || st.st_size < offset || ::ftruncate(fd, offset) != 0 ||
            ::lseek(fd, offset, SEEK_SET) != offset) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
    if (!unique)
        return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    // O_EXCL makes the choice of the free name race-free.
    std::string candidate = path;
    for (int n = 1; n < 10000; ++n) {
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            path = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
        candidate = path + "." + std::to_string(n);
    }
    return -1;
}

namespace {

// One character: a UTF-8 sequence, or a single byte where the bytes are not
// valid UTF-8. Such a byte is given a value no valid sequence can have (the
// surrogates U+DC80..U+DCFF are never encoded), so it equals only itself and
// falls into no range written with real characters.
struct Char {
    char32_t value;
    size_t size;
};

Char Decode(std::string_view s, size_t at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return {lead, 1};
    const Char raw{0xDC00u + lead, 1};
    // Sequence length, payload bits of the lead byte, and the smallest value
    // of that length (below it the encoding is overlong).
    static constexpr struct {
        unsigned char mask, bits, payload;
        size_t size;
        char32_t smallest;
    } kForms[] = {{0xE0, 0xC0, 0x1F, 2, 0x80}, {0xF0, 0xE0, 0x0F, 3, 0x800}, {0xF8, 0xF0, 0x07, 4, 0x10000}};
    const auto* form = std::find_if(std::begin(kForms), std::end(kForms),
                                    [&](const auto& f) { return (lead & f.mask) == f.bits; });
    if (form == std::end(kForms))
        return raw;
    const size_t size = form->size;
    char32_t value = lead & form->payload;
    if (s.size() - at < size)
        return raw;
    for (size_t i = 1; i < size; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return raw;
        value = value << 6 | (byte(at + i) & 0x3Fu);
    }
    if (value < form->smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return raw;
    return {value, size};
}

// [:name:] inside brackets. Only ASCII characters belong to a class: what a
// letter is beyond ASCII would depend on the locale, which a name must not.
bool InClass(std::string_view name, char32_t c)
{
    if (c >= 0x80)
        return false;
    const int ch = static_cast<int>(c);
    if (name == "alnum")
        return std::isalnum(ch) != 0;
    if (name == "alpha")
        return std::isalpha(ch) != 0;
    if (name == "blank")
        return std::isblank(ch) != 0;
    if (name == "cntrl")
        return std::iscntrl(ch) != 0;
    if (name == "digit")
        return std::isdigit(ch) != 0;
    if (name == "graph")
        return std::isgraph(ch) != 0;
    if (name == "lower")
        return std::islower(ch) != 0;
    if (name == "print")
        return std::isprint(ch) != 0;
    if (name == "punct")
        return std::ispunct(ch) != 0;
    if (name == "space")
        return std::isspace(ch) != 0;
    if (name == "upper")
        return std::isupper(ch) != 0;
    return name == "xdigit" && std::isxdigit(ch) != 0;
}

// The character at `at`, a backslash taking the one after it literally.
Char Literal(std::string_view pattern, size_t& at)
{
    if (pattern[at] == '\\' && at + 1 < pattern.size())
        ++at;
    const Char c = Decode(pattern, at);
    at += c.size;
    return c;
}

// Matches `c` against the bracket expression that opens at pattern[at].
// Without a closing bracket there is none: the '[' is then an ordinary
// character, and the result is empty.
std::optional<bool> MatchBracket(std::string_view pattern, size_t& at, char32_t c)
{
    size_t i = at + 1;
    const bool negate = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    if (negate)
        ++i;
    bool matched = false;
    for (bool first = true;; first = false) {
        if (i >= pattern.size())
            return std::nullopt;
        if (pattern[i] == ']' && !first)
            break;
        if (pattern.substr(i, 2) == "[:") {
            const size_t close = pattern.find(":]", i + 2);
            if (close != std::string_view::npos) {
                matched = matched || InClass(pattern.substr(i + 2, close - i - 2), c);
                i = close + 2;
                continue;
            }
        }
        const char32_t low = Literal(pattern, i).value;
        char32_t high = low;
        if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
            ++i;
            high = Literal(pattern, i).value;
        }
        matched = matched || (low <= c && c <= high);
    }
    at = i + 1;
    return matched != negate;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    // Greedy, going back to the last '*' on a mismatch: time bounded by the
    // product of the lengths, no recursion whatever the pattern.
    size_t p = 0;
    size_t n = 0;
    size_t starP = std::string_view::npos;  // just after the last '*' seen
    size_t starN = 0;                       // where that '*' match ends now
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
            continue;
        }
        bool step = false;
        if (p < pattern.size()) {
            const Char c = Decode(name, n);
            size_t next = p;
            std::optional<bool> bracket;
            if (pattern[p] == '?') {
                step = true;
                next = p + 1;
            } else if (pattern[p] == '[' && (bracket = MatchBracket(pattern, next, c.value))) {
                step = *bracket;
            } else {
                next = p;
                step = Literal(pattern, next).value == c.value;
            }
            if (step) {
                p = next;
                n += c.size;
            }
        }
        if (!step) {
            if (starP == std::string_view::npos)
                return false;
            p = starP;
            starN += Decode(name, starN).size;
            n = starN;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

long long LocalSize(const std::string& path)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    return static_cast<long long>(st.st_size);
}

}  // namespace netvo
