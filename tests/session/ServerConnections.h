// The server counts a control connection as closed only when its own event
// loop has handled the close, a moment after the client has let go; there is
// no event to wait on, so this polls the count within a bound.
#pragma once

#include "TestFtpServer.h"

#include <chrono>
#include <thread>

namespace sessiontest {

// The server's count of open control connections once it equals `expected`,
// or its count after a few seconds.
inline int SettledConnections(const testbed::TestFtpServer& server, int expected)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int count = server.OpenConnections();
    while (count != expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        count = server.OpenConnections();
    }
    return count;
}

}  // namespace sessiontest
