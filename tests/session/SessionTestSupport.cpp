#include "SessionTestSupport.h"


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

}  // namespace sessiontest
