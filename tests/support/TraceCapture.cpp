#include "TraceCapture.h"

namespace testsupport {

TraceCapture::TraceCapture()
{
    g_TraceLog.SetOutput(reinterpret_cast<TraceOutputContext>(this), &TraceCapture::Collect);
    g_TraceLog.SetTrace(1);
}

TraceCapture::~TraceCapture()
{
    g_TraceLog.SetTrace(0);
    g_TraceLog.SetOutput(0, nullptr);
}

void TraceCapture::Collect(TraceOutputContext context, const char* line)
{
    reinterpret_cast<TraceCapture*>(context)->m_lines.emplace_back(line);
}

int TraceCapture::Count(const std::string& text) const
{
    int count = 0;
    for (const std::string& line : m_lines)
        count += line.find(text) != std::string::npos ? 1 : 0;
    return count;
}

int TraceCapture::Find(const std::string& text, int from) const
{
    for (int i = from; i < static_cast<int>(m_lines.size()); ++i) {
        if (m_lines[i].find(text) != std::string::npos)
            return i;
    }
    return -1;
}

std::vector<std::string> TraceCapture::Texts() const
{
    std::vector<std::string> texts;
    for (std::string line : m_lines) {
        const size_t prefix = line.find("Trace-->");
        if (prefix != std::string::npos)
            line.erase(0, prefix + 8);
        if (line.ends_with("\r\n"))
            line.resize(line.size() - 2);
        texts.push_back(line);
    }
    return texts;
}

}  // namespace testsupport
