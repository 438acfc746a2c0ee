#include "SessionTestSupport.h"

#include <fstream>
#include <sstream>

namespace sessiontest {

std::vector<std::string> CommandsSince(const std::vector<std::string>& all, size_t from)
{
    return from >= all.size() ? std::vector<std::string>{} : std::vector<std::string>(all.begin() + from, all.end());
}

int FindCommand(const std::vector<std::string>& commands, const std::string& prefix, int from)
{
    for (int i = from; i < static_cast<int>(commands.size()); ++i) {
        if (commands[i].rfind(prefix, 0) == 0)
            return i;
    }
    return -1;
}

void WriteFile(const std::filesystem::path& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace sessiontest
