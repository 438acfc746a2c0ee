#include "UnixMode.h"

#include "MlsdListing.h"

namespace {

// The type letters of "ls -l": file, folder, link, block and character
// device, pipe, socket, and the Solaris door.
constexpr std::string_view kTypeLetters = "-dlbcpsD";
constexpr std::string_view kAfterPermissions = " \t+.@";

struct Triple {
    unsigned shift;      // of the read, write, execute bits
    char special;        // the letter that adds execute and the special bit
    unsigned specialBit;
};

constexpr Triple kTriples[3] = {
    {6, 's', kModeSetUid},
    {3, 's', kModeSetGid},
    {0, 't', kModeSticky},
};

}  // namespace

std::optional<unsigned> ParseUnixMode(std::string_view line)
{
    if (IsMlsdLine(line))
        return MlsdUnixMode(line);
    if (line.size() < 10 || kTypeLetters.find(line[0]) == std::string_view::npos)
        return std::nullopt;
    if (line.size() > 10 && kAfterPermissions.find(line[10]) == std::string_view::npos)
        return std::nullopt;
    unsigned mode = 0;
    for (int i = 0; i < 3; ++i) {
        const Triple& triple = kTriples[i];
        const char read = line[1 + 3 * i];
        const char write = line[2 + 3 * i];
        const char exec = line[3 + 3 * i];
        if (read == 'r')
            mode |= 4u << triple.shift;
        else if (read != '-')
            return std::nullopt;
        if (write == 'w')
            mode |= 2u << triple.shift;
        else if (write != '-')
            return std::nullopt;
        const char upper = static_cast<char>(triple.special - 'a' + 'A');
        if (exec == 'x')
            mode |= 1u << triple.shift;
        else if (exec == triple.special)
            mode |= (1u << triple.shift) | triple.specialBit;
        else if (exec == upper)
            mode |= triple.specialBit;
        else if (exec != '-')
            return std::nullopt;
    }
    return mode;
}
