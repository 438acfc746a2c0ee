#include "HandleTable.h"

#include <climits>
#include <map>
#include <mutex>

namespace netvo {

namespace {

std::mutex g_mutex;
std::map<int, std::shared_ptr<Session>> g_sessions;
int g_nextHandle = 1;

}  // namespace

std::shared_ptr<Session> AddSession(const Endpoint& host)
{
    std::lock_guard lock(g_mutex);
    if (g_nextHandle == INT_MAX)
        return nullptr;
    int handle = g_nextHandle++;
    auto session = std::make_shared<Session>(handle, host);
    g_sessions.emplace(handle, session);
    return session;
}

std::shared_ptr<Session> FindSession(int handle)
{
    std::lock_guard lock(g_mutex);
    auto it = g_sessions.find(handle);
    return it == g_sessions.end() ? nullptr : it->second;
}

bool RemoveSession(int handle)
{
    std::lock_guard lock(g_mutex);
    return g_sessions.erase(handle) > 0;
}

}  // namespace netvo
