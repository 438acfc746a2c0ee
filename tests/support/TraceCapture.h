// Collects every line the global trace log passes on (messages, and trace
// lines, which it switches on) while it lives. Shared by the test folders;
// the test program links the session core whose trace log it watches.
#pragma once

#include "TraceLog.h"

#include <string>
#include <vector>

namespace testsupport {

class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    const std::vector<std::string>& Lines() const { return m_lines; }
    // Lines that contain `text`.
    int Count(const std::string& text) const;
    bool Has(const std::string& text) const { return Count(text) > 0; }
    // Index of the first line at or after `from` that contains `text`, or -1.
    int Find(const std::string& text, int from = 0) const;
    // Lines without the date and "Trace-->" prefix and without CR LF.
    std::vector<std::string> Texts() const;
    void Clear() { m_lines.clear(); }

private:
    static void Collect(TraceOutputContext context, const char* line);
    std::vector<std::string> m_lines;
};

}  // namespace testsupport
