#include "OpenTempFile.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

// An ending longer than this is cut: the whole name must stay within the
// file system's limit of 255 bytes.
constexpr size_t kMaxEnding = 200;

// The remote name's ending, as the local name may carry it: no separators
// or control characters, and not cut inside a UTF-8 character.
std::string Ending(const std::string& remoteName)
{
    const size_t dot = remoteName.rfind('.');
    std::string ending = dot == std::string::npos ? remoteName : remoteName.substr(dot + 1);
    std::string clean;
    for (const char c : ending) {
        const auto byte = static_cast<unsigned char>(c);
        clean += (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7f) ? '_' : c;
    }
    if (clean.size() > kMaxEnding) {
        size_t cut = kMaxEnding;
        while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80)
            --cut;
        clean.resize(cut);
    }
    return clean;
}

}  // namespace

std::string CreateOpenTempFile(const std::string& folder, const std::string& remoteName, int& error)
{
    error = 0;
    const std::string suffix = "." + Ending(remoteName);
    std::string pattern = folder;
    if (pattern.empty() || pattern.back() != '/')
        pattern += '/';
    pattern += "tmpXXXXXX" + suffix;
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // O_EXCL inside: the name is ours alone, never a file or link that was
    // there before.
    const int fd = ::mkstemps(buffer.data(), static_cast<int>(suffix.size()));
    if (fd < 0) {
        error = errno;
        return std::string();
    }
    ::close(fd);
    return std::string(buffer.data());
}
