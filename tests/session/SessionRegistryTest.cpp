// The GUI's global session list.
#include "FtpSession.h"
#include "SessionRegistry.h"
#include "ServerConnections.h"
#include "SessionTestSupport.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

using sessiontest::SettledConnections;
using sessiontest::TraceCapture;

namespace {

class SessionRegistryTest : public ::testing::Test {
protected:
    CSession* Add(const std::string& name, bool login)
    {
        CSession* session = g_AddSession(std::make_unique<CSession>());
        session->m_strName = name;
        if (login) {
            EXPECT_EQ(session->Login(server.HostPort(), server.User(), server.Password(), "", false, false), 0);
        }
        return session;
    }
    void TearDown() override { g_RemoveAllSessions(); }

    testbed::TestFtpServer server;
    TraceCapture trace;
};

TEST_F(SessionRegistryTest, FindsByHandleAndByName)
{
    CSession* a = Add("srv", true);
    CSession* b = Add("Srv", true);
    CSession* offline = Add("offline", false);

    EXPECT_EQ(g_GetSession(a->m_nFtpHandle), a);
    EXPECT_EQ(g_GetSession(b->m_nFtpHandle), b);
    EXPECT_TRUE(trace.Has("g_GetSession: Get session " + std::to_string(b->m_nFtpHandle) + "."));
    EXPECT_TRUE(trace.Has("g_GetSession: Session Srv found."));
    EXPECT_EQ(g_GetSession(b->m_nFtpHandle + 1000), nullptr);
    // 0 and below stand for the local file system, even with an offline
    // session in the list.
    EXPECT_EQ(g_GetSession(0), nullptr);
    EXPECT_EQ(g_GetSession(-1), nullptr);

    EXPECT_EQ(g_GetSession(std::string("srv")), a);
    EXPECT_EQ(g_GetSession(std::string("Srv")), b);  // names compare case-sensitively
    EXPECT_EQ(g_GetSession(std::string("offline")), offline);
    EXPECT_EQ(g_GetSession(std::string("SRV")), nullptr);
    EXPECT_TRUE(trace.Has("g_GetSession: Find session SRV."));
}

TEST_F(SessionRegistryTest, RemovingDestroysAndDisconnects)
{
    CSession* a = Add("one", true);
    Add("two", true);
    EXPECT_EQ(SettledConnections(server, 2), 2);
    const int handle = a->m_nFtpHandle;
    EXPECT_TRUE(g_RemoveSession(a));
    EXPECT_EQ(g_GetSession(handle), nullptr);
    EXPECT_EQ(SettledConnections(server, 1), 1);
    EXPECT_FALSE(g_RemoveSession(a));
    g_RemoveAllSessions();
    EXPECT_TRUE(g_SessionList().empty());
    EXPECT_EQ(SettledConnections(server, 0), 0);
}

}  // namespace
