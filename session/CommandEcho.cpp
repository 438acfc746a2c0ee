#include "CommandEcho.h"

#include "TraceLog.h"

#include <strings.h>

#include <utility>
#include <vector>

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

std::string MaskedScriptLine(const std::string& line)
{
    // Words as the script reads them: blanks separate, double quotes hold a
    // word with blanks together.
    std::vector<std::pair<size_t, size_t>> words;  // start, end
    size_t at = 0;
    while (at < line.size()) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string::npos)
            break;
        size_t end = at;
        if (line[at] == '"') {
            end = line.find('"', at + 1);
            end = end == std::string::npos ? line.size() : end + 1;
        } else {
            end = line.find_first_of(" \t", at);
            if (end == std::string::npos)
                end = line.size();
        }
        words.emplace_back(at, end);
        at = end;
    }
    if (words.empty())
        return line;
    const std::string verb = line.substr(words[0].first, words[0].second - words[0].first);
    if (strcasecmp(verb.c_str(), "quote") == 0 && words.size() > 1)
        return line.substr(0, words[1].first) + MaskedCommand(line.substr(words[1].first));
    if (strcasecmp(verb.c_str(), "login") != 0 && strcasecmp(verb.c_str(), "gatelogin") != 0)
        return line;
    // login host user password account: everything from the password on.
    if (words.size() < 4)
        return line;
    return line.substr(0, words[3].first) + "****";
}

void EchoCommand(const std::string& line)
{
    g_TraceLog.Message("> %s", MaskedCommand(line).c_str());
}
