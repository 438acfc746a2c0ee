// Keep-alive timers through the timer-host interface, and the NOOP a tick
// sends.
#include "FtpSession.h"
#include "SessionRegistry.h"
#include "SessionTestSupport.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using sessiontest::TraceCapture;

namespace {

// Stands in for the folder tree window: records what the sessions ask of it.
class RecordingTimerHost : public ITimerHost {
public:
    struct Call {
        std::string what;
        unsigned id;
        int periodMs;
        bool operator==(const Call&) const = default;
    };
    void StartSessionTimer(unsigned id, int periodMs) override { calls.push_back({"start", id, periodMs}); }
    void KillSessionTimer(unsigned id) override { calls.push_back({"kill", id, 0}); }
    std::vector<Call> calls;
};

class SessionKeepAliveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(session.Login(server.HostPort(), server.User(), server.Password(), "", false, false), 0);
        id = static_cast<unsigned>(session.m_nFtpHandle);
    }

    testbed::TestFtpServer server;
    TraceCapture trace;
    // The hosts outlive the session, whose destruction stops its timer.
    RecordingTimerHost host;
    RecordingTimerHost other;
    CSession session;
    unsigned id = 0;
};

TEST_F(SessionKeepAliveTest, IntervalSetsTimerAndIdleLimit)
{
    session.SetKeepALive(&host, 5);
    EXPECT_EQ(session.m_nTimerID, id);
    EXPECT_EQ(session.m_nIdleLimit, 295);
    EXPECT_EQ(session.m_nKeepAlive, 5);
    EXPECT_TRUE(trace.Has("CSession::SetKeepALive: Interval = 5"));

    session.ChangeInterval(2);
    EXPECT_EQ(session.m_nIdleLimit, 115);
    EXPECT_TRUE(trace.Has("CSession::ChangeInterval: Interval = 2"));

    session.StopTimer();
    EXPECT_EQ(session.m_nIdleLimit, 120);
    EXPECT_EQ(session.m_nKeepAlive, 0);
    EXPECT_TRUE(trace.Has("CSession::StopTimer: KillTimer (" + std::to_string(id) + ")"));

    const std::vector<RecordingTimerHost::Call> expected = {
        {"start", id, 300000}, {"start", id, 120000}, {"kill", id, 0}};
    EXPECT_EQ(host.calls, expected);
}

// Stopping by a zero interval, by moving to another host, and by
// disconnecting.
TEST_F(SessionKeepAliveTest, TimerStopsWhenItsSessionLetsGo)
{
    CSession fresh;
    fresh.SetKeepALive(&host, 0);  // no timer yet: nothing to stop
    EXPECT_EQ(fresh.m_hTimerWnd, &host);
    EXPECT_TRUE(host.calls.empty());

    session.SetKeepALive(&host, 3);
    session.SetKeepALive(&host, 0);
    session.SetKeepALive(&host, 1);
    session.SetKeepALive(&other, 4);
    EXPECT_EQ(session.m_hTimerWnd, &other);
    EXPECT_EQ(session.Disconnect(), 0);
    EXPECT_TRUE(trace.Has("Disconnect: ftp quit (" + std::to_string(id) + ")"));

    const std::vector<RecordingTimerHost::Call> onHost = {
        {"start", id, 180000}, {"kill", id, 0}, {"start", id, 60000}, {"kill", id, 0}};
    const std::vector<RecordingTimerHost::Call> onOther = {{"start", id, 240000}, {"kill", id, 0}};
    EXPECT_EQ(host.calls, onHost);
    EXPECT_EQ(other.calls, onOther);
}

TEST_F(SessionKeepAliveTest, NoTimerBeforeThereIsAConnection)
{
    CSession fresh;
    fresh.SetKeepALive(&host, 5);
    EXPECT_EQ(fresh.m_nTimerID, 0u);
    EXPECT_TRUE(host.calls.empty());  // it could never be stopped again
    EXPECT_EQ(fresh.m_nIdleLimit, 295);
}

TEST_F(SessionKeepAliveTest, HugeIntervalsDoNotOverflowThePeriod)
{
    session.SetKeepALive(&host, 1000000);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_GT(host.calls[0].periodMs, 0);
    EXPECT_GT(session.m_nIdleLimit, 0);
}

TEST_F(SessionKeepAliveTest, CheckConnectionRestartsTheTimer)
{
    session.SetKeepALive(&host, 5);
    host.calls.clear();
    EXPECT_EQ(session.CheckConnection(), 0);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0], (RecordingTimerHost::Call{"start", id, 300000}));
}

TEST_F(SessionKeepAliveTest, TickSendsNoopUnlessBusy)
{
    CSession* listed = g_AddSession(std::make_unique<CSession>());
    listed->m_strName = "server";
    ASSERT_EQ(listed->Login(server.HostPort(), server.User(), server.Password(), "", false, false), 0);
    listed->SetKeepALive(&host, 5);
    const unsigned timer = listed->m_nTimerID;

    listed->m_tLastCheck = 0;
    EXPECT_EQ(g_CheckTimerEvent(timer), listed);
    EXPECT_GT(listed->m_tLastCheck, 0);  // a NOOP answered proves the link
    EXPECT_TRUE(trace.Has("g_CheckTimerEvent: Get Event ID " + std::to_string(timer) + " session."));
    EXPECT_TRUE(trace.Has("g_CheckTimerEvent: Session server found."));
    EXPECT_TRUE(trace.Has("CSession::SendNOOP: NOOP returns = 0"));
    const auto noops = [&] {
        int n = 0;
        for (const std::string& command : server.Commands())
            n += command == "NOOP" ? 1 : 0;
        return n;
    };
    EXPECT_EQ(noops(), 1);

    listed->m_nBusy = 1;  // a command of this session is in progress
    EXPECT_EQ(g_CheckTimerEvent(timer), listed);
    listed->m_nBusy = 0;
    EXPECT_TRUE(trace.Has("CSession::SendNOOP: FTP is busy (1)"));
    EXPECT_EQ(noops(), 1);

    EXPECT_EQ(g_CheckTimerEvent(timer + 1000), nullptr);
    g_RemoveAllSessions();
}

}  // namespace
