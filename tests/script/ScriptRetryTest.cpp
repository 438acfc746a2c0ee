// The failure rules against the test bed's fault switches: how often an
// operation runs, which code the statement returns, what the log shows, and
// how a lost connection is rebuilt before a repeat.
#include "ScriptServerTest.h"
#include "TestSupport.h"
#include "netvo32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace scripttest {
namespace {

using RetryTest = ScriptServerTest;

TEST_F(RetryTest, ACountLimitsTheAttemptsAndTheLastCodeStands)
{
    WriteFile(Local("up.txt"), "u");
    server.FailCommand("STOR", 10, 451);
    const size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\n"
                  "logfile \"LOCAL/run.log\"\n"
                  "on failed retry 2\n"
                  "put \"LOCAL/up.txt\" up.txt\n"
                  "logfile\n"),
              451);
    EXPECT_EQ(CountSince(mark, "STOR"), 3);
    const std::string log = ReadFile(Local("run.log"));
    EXPECT_NE(log.find("Retry # 1\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Retry # 2\n"), std::string::npos);
    EXPECT_EQ(log.find("Retry # 3\n"), std::string::npos);
    EXPECT_EQ(log.find("Sleeping"), std::string::npos);
}

// Without a count the pauses start at a second and double; a longer sleep
// of the rule wins.
TEST_F(RetryTest, ForeverAndZeroRepeatUntilSuccess)
{
    WriteFile(Remote("a.txt"), "a");
    struct Case {
        const char* rule;
        int failures;
        const char* pauses;
    };
    for (const Case c : {Case{"on failed retry forever", 2, "Sleeping for 1 seconds\nRetry # 1\nSleeping for 2 seconds\n"},
                         Case{"on failed retry 0", 1, "Sleeping for 1 seconds\nRetry # 1\n"},
                         Case{"on failed restart forever sleep 3", 1, "Sleeping for 3 seconds\nRetry # 1\n"}}) {
        SCOPED_TRACE(c.rule);
        server.FailCommand("RETR", c.failures, 450);
        const size_t mark = Mark();
        std::filesystem::remove(Local("run.log"));
        EXPECT_EQ(Run(std::string("LOGIN\nlogfile \"LOCAL/run.log\"\n") + c.rule + "\nget a.txt \"LOCAL/a.txt\"\nlogfile\n"),
                  0);
        EXPECT_EQ(CountSince(mark, "RETR"), c.failures + 1);
        EXPECT_EQ(ReadFile(Local("a.txt")), "a");
        const std::string log = ReadFile(Local("run.log"));
        EXPECT_NE(log.find(c.pauses), std::string::npos) << log;
    }
}

// Retrying for ever against a port where nothing listens keeps the process
// idle, and a caller's wait hook ends the run during a pause, also a long
// one of the script's own; the statement ends with the abort.
std::chrono::steady_clock::time_point g_abortAt;

int AbortLater(int, long long, long long, int, void*)
{
    return std::chrono::steady_clock::now() >= g_abortAt ? 1 : 0;
}

TEST_F(RetryTest, AWaitHookEndsRetryingForEver)
{
    const std::string login = "login 127.0.0.1:" + std::to_string(netvotest::FreePort()) + " nobody nothing\n";
    for (const char* rule : {"on failed retry forever", "on failed retry 5 sleep 20"}) {
        SCOPED_TRACE(rule);
        g_abortAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
        netvo_setwaithook(AbortLater, nullptr);
        const std::clock_t cpu = std::clock();
        const auto start = std::chrono::steady_clock::now();
        std::atomic<int> rc{1};
        std::thread([&] { rc = Run("logfile \"LOCAL/run.log\"\necho on\n" + std::string(rule) + "\n" + login); })
            .detach();
        while (rc == 1 && std::chrono::steady_clock::now() - start < std::chrono::seconds(15))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (rc == 1) {
            ADD_FAILURE() << "the run did not end";
            std::_Exit(1);  // its thread cannot be stopped otherwise
        }
        netvo_setwaithook(nullptr, nullptr);
        Run("logfile\n");
        EXPECT_EQ(rc, NETVO_E_ABORTED);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
        EXPECT_LT(std::clock() - cpu, CLOCKS_PER_SEC / 2);
        // At most two attempts: pauses of 1 and 2 seconds, or one of 20.
        const std::string log = ReadFile(Local("run.log"));
        EXPECT_NE(log.find(std::string(rule).ends_with("20") ? "Sleeping for 20 seconds\nRetry # 1: aborted"
                                                             : "Sleeping for 2 seconds\nRetry # 2: aborted"),
                  std::string::npos)
            << log;
        EXPECT_NE(echo.server.back().find(": aborted during the pause before it\r\n"), std::string::npos);
    }
}

TEST_F(RetryTest, WithoutARuleAnOperationRunsOnce)
{
    WriteFile(Remote("a.txt"), "a");
    for (const char* rule : {"", "on failed retry 3\non failed off\n", "on failed retry sleep 5\n"}) {
        SCOPED_TRACE(rule);
        server.FailCommand("RETR", 1, 450);
        const size_t mark = Mark();
        EXPECT_EQ(Run(std::string("ignore on\nLOGIN\n") + rule + "ignore off\nget a.txt \"LOCAL/a.txt\"\n"), 450);
        EXPECT_EQ(CountSince(mark, "RETR"), 1);
    }
}

// Statements without a retry loop never repeat, whatever the rule.
TEST_F(RetryTest, StatementsWithoutTheLoopRunOnce)
{
    server.FailCommand("MKD", 5, 550);
    const size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\non failed retry 3\nmkdir x\n"), 550);
    EXPECT_EQ(CountSince(mark, "MKD"), 1);
    server.ClearFaults();
}

// The server drops the connection in the middle of a download; the repeat
// logs in again on the same handle and gets the whole file. With "restart"
// the repeat resumes where the first attempt stopped.
TEST_F(RetryTest, ALostConnectionIsRebuiltBeforeTheRepeat)
{
    const std::string data = Pattern(200000);
    WriteFile(Remote("big.bin"), data);
    struct Case {
        const char* rule;
        bool resumes;
    };
    for (const Case c : {Case{"on failed retry 1", false}, Case{"on failed restart 1", true}}) {
        SCOPED_TRACE(c.rule);
        server.DropAfterBytes("RETR", 50000);
        const size_t mark = Mark();
        EXPECT_EQ(Run(std::string("LOGIN\nbinary\ncd /\n") + c.rule + "\nget big.bin \"LOCAL/big.bin\"\n"), 0);
        EXPECT_TRUE(ReadFile(Local("big.bin")) == data);
        EXPECT_EQ(CountSince(mark, "USER "), 2);
        EXPECT_EQ(CountSince(mark, "RETR big.bin"), 2);
        EXPECT_EQ(CountSince(mark, "REST 50000"), c.resumes ? 1 : 0);
        // The rebuilt connection is back in the folder and mode it had.
        const std::vector<std::string> work = WorkSince(mark);
        EXPECT_EQ(std::count(work.begin(), work.end(), "CWD /"), 2);
    }
}

// The first rebuild fails (the server refuses the login), which leaves the
// session without a connection; the next repeat logs in anew and succeeds.
std::atomic<int> g_lastStatusBox{-1};

int LastStatusBox(int, long long, long long, int statusbox, void*)
{
    g_lastStatusBox = statusbox;
    return 0;
}

TEST_F(RetryTest, ARebuildThatFailedIsTriedAgainOnTheNextRepeat)
{
    const std::string data = Pattern(100000);
    WriteFile(Remote("big.bin"), data);
    for (const char* rule : {"on failed restart 3", "on failed restart forever"}) {
        SCOPED_TRACE(rule);
        std::filesystem::remove(Local("big.bin"));
        server.DropAfterBytes("RETR", 30000);
        server.DelayReplies("NOOP", 0.5);  // time to arm the refusal below
        server.DelayReplies("REST", 0.2);  // the hook sees the new connection wait
        g_lastStatusBox = -1;
        netvo_setwaithook(LastStatusBox, nullptr);
        const size_t mark = Mark();
        int rc = -12345;
        std::thread run([&] {
            rc = Run(std::string("LOGIN\nbinary\nstatusbox on\ncd /\nquote NOOP\n") + rule +
                     "\nget big.bin \"LOCAL/big.bin\"\n");
        });
        // The login is over once the NOOP arrives; the next USER is the rebuild's.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (CountSince(mark, "NOOP") == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        server.FailCommand("USER", 1, 530);
        run.join();
        netvo_setwaithook(nullptr, nullptr);
        server.ClearFaults();
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(g_lastStatusBox.load(), 1);  // the new login kept "statusbox on"
        EXPECT_TRUE(ReadFile(Local("big.bin")) == data);
        EXPECT_EQ(CountSince(mark, "USER "), 3);
        EXPECT_EQ(CountSince(mark, "REST 30000"), 1) << testing::PrintToString(WorkSince(mark));
        EXPECT_EQ(CountSince(mark, "TYPE I"), 2);  // the mode came back with the new login
    }
}

// The one test that waits out a pause: one second before the repeat.
TEST_F(RetryTest, ThePauseComesBeforeEachRepeat)
{
    WriteFile(Remote("a.txt"), "a");
    server.FailCommand("RETR", 1, 450);
    EXPECT_EQ(Run("LOGIN\nlogfile \"LOCAL/run.log\"\non failed retry 3 sleep 1\nget a.txt \"LOCAL/a.txt\"\nlogfile\n"), 0);
    const std::string log = ReadFile(Local("run.log"));
    const size_t sleeping = log.find("Sleeping for 1 seconds\n");
    ASSERT_NE(sleeping, std::string::npos) << log;
    EXPECT_LT(sleeping, log.find("Retry # 1\n"));
    EXPECT_EQ(log.find("Retry # 2\n"), std::string::npos);
}

// The slow one: the whole rule of four attempts with its pauses of five
// seconds, as a script writes it.
TEST_F(RetryTest, RetryThreeSleepFiveMakesFourAttempts)
{
    WriteFile(Remote("a.txt"), "a");
    server.FailCommand("RETR", 4, 450);
    const size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\nlogfile \"LOCAL/run.log\"\non failed retry 3 sleep 5\nget a.txt \"LOCAL/a.txt\"\n"), 450);
    EXPECT_EQ(Run("logfile\n"), 0);
    EXPECT_EQ(CountSince(mark, "RETR a.txt"), 4);
    const std::string log = ReadFile(Local("run.log"));
    size_t at = log.find("C> get a.txt");
    ASSERT_NE(at, std::string::npos) << log;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        const size_t sleeping = log.find("Sleeping for 5 seconds\n", at);
        const size_t retry = log.find("Retry # " + std::to_string(attempt) + "\n", at);
        ASSERT_NE(sleeping, std::string::npos) << attempt << "\n" << log;
        EXPECT_LT(sleeping, retry) << attempt;
        at = retry;
    }
    EXPECT_EQ(log.find("Retry # 4\n"), std::string::npos);
    EXPECT_EQ(log.find("Sleeping", log.find("Retry # 3\n")), std::string::npos);
}

// Every session of the run carries the rule, also one created after it.
TEST_F(RetryTest, TheRuleReachesEverySession)
{
    EXPECT_EQ(Run("logfile \"LOCAL/trace.log\"\n"
                  "debug on\n"
                  "LOGIN\n"
                  "#1 LOGIN\n"
                  "on failed retry 2 sleep 3\n"
                  "#2 LOGIN\n"
                  "debug off\n"
                  "logfile\n"),
              0);
    const std::string log = ReadFile(Local("trace.log"));
    size_t count = 0;
    for (size_t at = log.find("SetOnFailed: Retry = 2, Sleep = 3"); at != std::string::npos;
         at = log.find("SetOnFailed: Retry = 2, Sleep = 3", at + 1))
        ++count;
    EXPECT_EQ(count, 3u) << log;  // #0 and #1 at once, #2 when it is created
}

}  // namespace
}  // namespace scripttest
