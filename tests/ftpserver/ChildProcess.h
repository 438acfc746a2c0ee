// A helper program run by a test, with a line protocol on its stdin/stdout.
// Both are one end of a socket pair, so writes can use MSG_NOSIGNAL: a helper
// that died makes a call throw instead of killing the test with SIGPIPE.
// The helper inherits no other descriptor of the test, sees the default
// signal dispositions, and gets EOF on stdin when the test process ends.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testbed::detail {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (a full path) with argv; throws std::runtime_error.
    // `name` is what error messages call the helper.
    void Start(const std::string& name, const std::vector<std::string>& argv);
    // Sends one line (a newline is appended); throws if the helper is gone.
    void WriteLine(const std::string& line);
    // The next line without its newline; throws on timeout or EOF.
    std::string ReadLine(std::chrono::milliseconds timeout);
    // SIGTERM, then SIGKILL after `grace`, and reaps the process. Idempotent.
    void Stop(std::chrono::milliseconds grace);

    pid_t Pid() const { return m_pid; }
    const std::string& Name() const { return m_name; }

private:
    bool WaitForExit(std::chrono::milliseconds timeout);

    std::string m_name;
    pid_t m_pid = -1;
    int m_channel = -1;
    std::string m_buffer;
};

}  // namespace testbed::detail
