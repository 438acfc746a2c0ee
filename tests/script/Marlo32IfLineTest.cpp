// An if handed to a single-line export has no script file to walk: it ends
// with its line, its result is the condition's code, and no part runs.
#include "FtpSession.h"
#include "Marlo32.h"
#include "ScriptRunSupport.h"
#include "TestFtpServer.h"

#include <netvo32.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using scripttest::EchoRecorder;

namespace {

TEST(Marlo32IfLine, EndsWithItsLine)
{
    testbed::TestFtpServer server;
    std::ofstream(server.Root() / "a.txt") << "a";
    EchoRecorder echo;
    CSession session;
    session.m_strName = "srv";
    auto line = [&](const char* text) {
        return Marlo_ExecLine2(&session, text, 0, &EchoRecorder::Client, &EchoRecorder::Server, 1);
    };
    EXPECT_EQ(line("if 1"), 0);
    EXPECT_EQ(line("if ( 1"), -999);
    EXPECT_EQ(line("if exists a.txt"), -99);  // not logged in

    ASSERT_EQ(session.Login(server.HostPort(), server.User(), server.Password(), "", false, false), 0);
    const size_t mark = server.Commands().size();
    EXPECT_EQ(line("if exists a.txt cd /elsewhere"), 0);
    EXPECT_EQ(line("if filesize missing.txt > 0"), -1);
    EXPECT_EQ(Marlo_ExecLine(session.m_nFtpHandle, "if not exists a.txt", 0, &EchoRecorder::Client,
                             &EchoRecorder::Server, 1),
              0);
    for (const std::string& text : echo.client)
        EXPECT_EQ(text.find("--> "), std::string::npos) << text;
    const std::vector<std::string> commands = server.Commands();
    for (size_t i = mark; i < commands.size(); ++i)
        EXPECT_NE(commands[i].rfind("CWD", 0), 0u) << commands[i];
    EXPECT_GT(ftp_isconnected(session.m_nFtpHandle), 0);
}

}  // namespace
