#include "CommandEcho.h"

#include "TraceLog.h"

#include <strings.h>

namespace {

constexpr const char* kSecretVerbs[] = {"PASS", "ACCT"};

}  // namespace

std::string MaskedCommand(const std::string& line)
{
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos)
        return line;
    const size_t end = line.find_first_of(" \t", start);
    if (end == std::string::npos || line.find_first_not_of(" \t", end) == std::string::npos)
        return line;  // nothing after the verb: nothing to hide
    const std::string verb = line.substr(start, end - start);
    for (const char* secret : kSecretVerbs) {
        if (strcasecmp(verb.c_str(), secret) == 0)
            return line.substr(0, end) + " ****";
    }
    return line;
}

void EchoCommand(const std::string& line)
{
    g_TraceLog.Message("> %s", MaskedCommand(line).c_str());
}
