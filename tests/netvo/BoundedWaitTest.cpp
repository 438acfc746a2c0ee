// Servers that talk without ever answering: endless preliminary replies,
// greetings and multi-line replies that never end, replies trickled a byte at
// a time. Every such wait ends in bounded time with a code and a true text,
// and the control connection is given up.
#include "TestSupport.h"

#include <atomic>
#include <chrono>

namespace {

using namespace netvotest;
using Clock = std::chrono::steady_clock;
using Endless = testbed::TestFtpServer::Endless;

// Ends a call that would otherwise wait forever, so that a missing bound
// fails the test instead of hanging it.
std::atomic<Clock::rep> g_giveUpAt{0};

int Watchdog(int, long long, long long, int, void*)
{
    return Clock::now().time_since_epoch().count() > g_giveUpAt ? 1 : 0;
}

TEST(BoundedWait, ServersThatNeverFinishAReply)
{
    constexpr int kTimeout = 1;  // seconds; a reply may last twice that
    testbed::TestFtpServer srv;
    const std::string host = srv.HostPort();
    int h = 0;
    struct Case {
        const char* what;
        std::function<void()> arm;
        std::function<int()> call;  // null: the call is ftp_open
        int code;
        const char* text;
    } cases[] = {
        {"120 lines instead of a greeting", [&] { srv.EndlessReply("CONNECT", Endless::Preliminary); }, nullptr,
         NETVO_E_PROTOCOL, "more than 16 preliminary replies"},
        {"a greeting that never ends", [&] { srv.EndlessReply("CONNECT", Endless::Continuation); }, nullptr,
         NETVO_E_TIMEOUT, "kept the reply going for more than 2 s"},
        {"a trickled greeting", [&] { srv.TrickleReplies("CONNECT", 200); }, nullptr, NETVO_E_TIMEOUT,
         "kept the reply going for more than 2 s"},
        {"150 lines instead of an answer", [&] { srv.EndlessReply("NOOP", Endless::Preliminary); },
         [&] { return ftp_noop(h); }, NETVO_E_PROTOCOL, "NOOP: the server sent more than 16 preliminary replies"},
        {"a login banner that never ends", [&] { srv.EndlessReply("PASS", Endless::Continuation); },
         [&] { return ftp_relogin(h, srv.User().c_str(), srv.Password().c_str(), ""); }, NETVO_E_TIMEOUT,
         "kept the reply going for more than 2 s"},
        {"a trickled answer", [&] { srv.TrickleReplies("PWD", 200); },
         [&] {
             char dir[64];
             return ftp_pwd(h, dir, sizeof dir);
         },
         NETVO_E_TIMEOUT, "PWD: the server kept the reply going for more than 2 s"},
    };
    netvo_setwaithook(Watchdog, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        srv.ClearFaults();
        if (c.call) {
            h = ftp_open(host.c_str());
            ASSERT_GT(h, 0) << LastError();
            if (std::string(c.what).find("login") == std::string::npos) {
                ASSERT_EQ(ftp_relogin(h, srv.User().c_str(), srv.Password().c_str(), ""), 0) << LastError();
            }
            ftp_setreceivetimeout(h, kTimeout);
        }
        c.arm();
        netvo_setdefaulttimeout(kTimeout);
        const auto start = Clock::now();
        g_giveUpAt = (start + std::chrono::seconds(8)).time_since_epoch().count();
        const int rc = c.call ? c.call() : ftp_open(host.c_str());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        netvo_setdefaulttimeout(0);
        EXPECT_EQ(rc, c.code) << LastError();
        EXPECT_LT(seconds, 3 * kTimeout + 1);
        EXPECT_NE(LastError().find(c.text), std::string::npos) << LastError();
        if (c.call) {
            EXPECT_EQ(ftp_isconnected(h), 0);
            netvo_release(h);
        }
    }
    netvo_setwaithook(nullptr, nullptr);
}

}  // namespace

// A failed connect names its cause and its place, not just "could not
// connect" or "timed out".
TEST(BoundedWait, ConnectFailuresNameTheirCause)
{
    const std::string refused = "127.0.0.1:" + std::to_string(netvotest::FreePort());
    EXPECT_EQ(ftp_open(refused.c_str()), NETVO_E_CONNECT);
    EXPECT_NE(netvotest::LastError().find("connect: connection refused by " + refused), std::string::npos) << netvotest::LastError();

    testbed::TestFtpServer srv;
    srv.DelayReplies("CONNECT", 3);
    netvo_setdefaulttimeout(1);
    EXPECT_EQ(ftp_open(srv.HostPort().c_str()), NETVO_E_TIMEOUT);
    netvo_setdefaulttimeout(0);
    EXPECT_NE(netvotest::LastError().find(srv.HostPort() + " took the connection but sent no greeting within 1 s"),
              std::string::npos)
        << netvotest::LastError();
}
