#include "HelperLaunch.h"

#include <charconv>
#include <chrono>
#include <stdexcept>
#include <system_error>

namespace testbed::detail {

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kStopGrace = std::chrono::seconds(3);

int ReadPort(ChildProcess& process)
{
    const std::string ready = process.ReadLine(kStartTimeout);
    const std::string prefix = "READY ";
    int port = 0;
    if (ready.rfind(prefix, 0) == 0) {
        const char* begin = ready.data() + prefix.size();
        const char* end = ready.data() + ready.size();
        const auto result = std::from_chars(begin, end, port);
        if (result.ec == std::errc() && result.ptr == end && port > 0 && port < 65536)
            return port;
    }
    throw std::runtime_error("it said '" + ready + "' instead of READY <port>");
}

}  // namespace

std::vector<std::string> PythonCommand(const char* script)
{
    // Isolated from PYTHON* variables and user site packages, so that the
    // system's pyftpdlib is used, and without writing bytecode into the
    // source tree.
    return {TAVO_TESTBED_PYTHON, "-E", "-s", "-B", script};
}

int LaunchHelper(ChildProcess& process, const std::string& name, const std::vector<std::string>& argv)
{
    process.Start(name, argv);
    try {
        return ReadPort(process);
    } catch (const std::exception& error) {
        process.Stop(kStopGrace);
        throw std::runtime_error("test " + name + " did not start: " + error.what());
    }
}

}  // namespace testbed::detail
