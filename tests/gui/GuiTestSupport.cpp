#include "GuiTestSupport.h"

#include "FtpSession.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace guitest {

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

void WriteFile(const std::filesystem::path& path, const std::string& content)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

CSession* LoginSession(CTavoDoc& doc, const testbed::TestFtpServer& server, std::string name)
{
    CSession* session = doc.AddSession(name);
    EXPECT_NE(session, nullptr);
    if (!session)
        return nullptr;
    EXPECT_EQ(session->Login(server.HostPort(), server.User(), server.Password(), "", false, true), 0);
    session->SetPwd();
    return session;
}

}  // namespace guitest
