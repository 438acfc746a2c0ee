// Shared by the session tests: capturing what the trace log hands its output
// and reading the server's command log.
#pragma once

#include "TraceLog.h"

#include <filesystem>
#include <string>
#include <vector>

namespace sessiontest {

// Collects every line the global trace log passes on (messages, and trace
// lines with tracing switched on) while it lives.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    const std::vector<std::string>& Lines() const { return m_lines; }
    // Lines that contain `text`, without the trace prefix's date.
    int Count(const std::string& text) const;
    bool Has(const std::string& text) const { return Count(text) > 0; }
    // Index of the first line at or after `from` that contains `text`, or -1.
    int Find(const std::string& text, int from = 0) const;
    void Clear() { m_lines.clear(); }

private:
    static void Collect(TraceOutputContext context, const char* line);
    std::vector<std::string> m_lines;
};

// The commands received since `from` (an earlier size of the log).
std::vector<std::string> CommandsSince(const std::vector<std::string>& all, size_t from);
// Index of the first command at or after `from` that starts with `prefix`, or -1.
int FindCommand(const std::vector<std::string>& commands, const std::string& prefix, int from = 0);

void WriteFile(const std::filesystem::path& path, const std::string& content);
std::string ReadFile(const std::filesystem::path& path);

}  // namespace sessiontest
