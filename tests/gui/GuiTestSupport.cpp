#include "GuiTestSupport.h"

#include "FtpSession.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace guitest {

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
