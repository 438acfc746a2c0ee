#include "SessionTestSupport.h"

#include <fstream>
#include <sstream>

namespace sessiontest {

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
