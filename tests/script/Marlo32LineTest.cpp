// Single lines run on the caller's connection or session.
#include "FtpSession.h"
#include "Marlo32.h"
#include "ScriptRunSupport.h"
#include "ServerConnections.h"
#include "TestFtpServer.h"

#include <netvo32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using scripttest::EchoRecorder;
using sessiontest::SettledConnections;

namespace {

class Marlo32LineTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(server.Root() / "sub"); }

    int OpenHandle() const
    {
        const int handle = ftp_open(server.HostPort().c_str());
        EXPECT_GT(handle, 0);
        EXPECT_EQ(ftp_relogin(handle, server.User().c_str(), server.Password().c_str(), ""), 0);
        return handle;
    }

    int Line(int handle, const char* line, int echoOn)
    {
        return Marlo_ExecLine(handle, line, 99, &EchoRecorder::Client, &EchoRecorder::Server, echoOn);
    }

    testbed::TestFtpServer server;
    EchoRecorder echo;
};

TEST_F(Marlo32LineTest, RefusesWithoutAConnectionOrALine)
{
    const int handle = OpenHandle();
    const int closed = OpenHandle();
    ftp_quit(closed);
    struct Case {
        int handle;
        const char* line;
    };
    const Case cases[] = {{0, "pwd"}, {-3, "pwd"}, {closed, "pwd"}, {handle + 1000, "pwd"}, {handle, ""}, {handle, nullptr}};
    for (const Case& c : cases)
        EXPECT_EQ(Line(c.handle, c.line, 1), -1) << c.handle << " " << (c.line ? c.line : "(null)");
    EXPECT_TRUE(echo.all.empty());
    ftp_quit(handle);
}

TEST_F(Marlo32LineTest, RunsOnTheCallersConnectionAndLeavesItOpen)
{
    const int handle = OpenHandle();
    EXPECT_EQ(Line(handle, "cd /sub", 1), 0);
    EXPECT_EQ(Line(handle, "pwd", 1), 0);
    // No "C> " line for the command itself. cd refreshes the working
    // directory, so its last reply is that of PWD; pwd sends the directory,
    // then the reply.
    const std::vector<std::string> expected = {
        "server: S> 257 \"/sub\" is the current directory.\r\n",
        "server: S> /sub\r\n",
        "server: S> 257 \"/sub\" is the current directory.\r\n",
    };
    EXPECT_EQ(echo.all, expected);
    for (std::intptr_t data : echo.userData)
        EXPECT_EQ(data, 99);

    char folder[1024] = {};
    EXPECT_EQ(ftp_pwd(handle, folder, sizeof folder), 0);
    EXPECT_STREQ(folder, "/sub");
    EXPECT_EQ(ftp_isconnected(handle), 1);
    EXPECT_EQ(SettledConnections(server, 1), 1);

    // A session the line names is the engine's own and goes with it.
    const std::string login = "#1 login " + server.HostPort() + " " + server.User() + " " + server.Password();
    EXPECT_EQ(Line(handle, login.c_str(), 0), 0);
    EXPECT_EQ(SettledConnections(server, 1), 1);
    EXPECT_EQ(ftp_isconnected(handle), 1);

    EXPECT_EQ(Line(handle, "frobnicate", 0), -98);
    EXPECT_EQ(Line(handle, "endif", 0), 712);
    ftp_quit(handle);
}

TEST_F(Marlo32LineTest, RunsOnTheCallersSessionWithoutOwningIt)
{
    EXPECT_EQ(Marlo_ExecLine2(nullptr, "pwd", 0, &EchoRecorder::Client, &EchoRecorder::Server, 1), -1);
    CSession session;
    session.m_strName = "srv";
    ASSERT_EQ(session.Login(server.HostPort(), server.User(), server.Password(), "", false, false), 0);
    const int handle = session.m_nFtpHandle;
    EXPECT_EQ(Marlo_ExecLine2(&session, "", 0, &EchoRecorder::Client, &EchoRecorder::Server, 1), -1);
    EXPECT_TRUE(echo.all.empty());

    // The library's build of the session code works on the caller's object.
    EXPECT_EQ(Marlo_ExecLine2(&session, "cd /sub", 0, &EchoRecorder::Client, &EchoRecorder::Server, 1), 0);
    EXPECT_EQ(session.m_strCurDir, "/sub");
    EXPECT_EQ(Marlo_ExecLine2(&session, "binary", 0, &EchoRecorder::Client, &EchoRecorder::Server, 1), 0);
    EXPECT_TRUE(session.m_bBinary);
    echo.all.clear();
    echo.userData.clear();
    EXPECT_EQ(Marlo_ExecLine2(&session, "pwd", 0, &EchoRecorder::Client, &EchoRecorder::Server, 1), 0);
    const std::vector<std::string> expected = {
        "server: S> /sub\r\n",
        "server: S> 257 \"/sub\" is the current directory.\r\n",
    };
    EXPECT_EQ(echo.all, expected);
    for (std::intptr_t data : echo.userData)
        EXPECT_EQ(data, handle);  // the session's handle is the callbacks' user data

    EXPECT_EQ(session.m_nFtpHandle, handle);
    EXPECT_EQ(session.m_nBusy, 0);
    EXPECT_EQ(SettledConnections(server, 1), 1);
    EXPECT_EQ(session.SetPwd(), 0);  // still the caller's, still connected
}

}  // namespace
