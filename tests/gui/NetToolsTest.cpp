// The network tools, against loopback only. Names used here resolve from
// /etc/hosts or are refused by the resolver itself, so no query leaves the
// machine.
#include "GuiTestSupport.h"
#include "NetTools.h"

#include <QLineEdit>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <functional>
#include <grp.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Whether this process may open an ICMP socket of the family at all.
bool MayPing(int family)
{
    int protocol = family == AF_INET ? static_cast<int>(IPPROTO_ICMP) : static_cast<int>(IPPROTO_ICMPV6);
    for (int type : {SOCK_DGRAM, SOCK_RAW}) {
        int fd = ::socket(family, type, protocol);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
    }
    return false;
}

// Runs `work` in a child process (so it may drop privileges or leave the
// network namespace) and returns its text; empty when it could not run.
std::string InChild(const std::function<std::string()>& work)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::string text = work();
        (void)!::write(pipeFds[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string text;
    char buf[512];
    pollfd p{pipeFds[0], POLLIN, 0};
    while (pid > 0 && ::poll(&p, 1, 15000) > 0) {
        ssize_t n = ::read(pipeFds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        text.append(buf, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    if (pid > 0) {
        ::kill(pid, SIGKILL);  // a no-op unless the child hung
        ::waitpid(pid, nullptr, 0);
    }
    return text;
}

}  // namespace

TEST(NetTools, PingTimeoutStaysWithinOneToSixtySeconds)
{
    const struct {
        long long in;
        int out;
    } rows[] = {{0, 1}, {-5, 1}, {1, 1}, {4, 4}, {60, 60}, {61, 60}, {1000, 60}, {LLONG_MAX, 60}, {LLONG_MIN, 1}};
    for (const auto& row : rows)
        EXPECT_EQ(ClampPingTimeout(row.in), row.out) << row.in;

    CQuickPingDlg dlg;
    EXPECT_EQ(dlg.TimeoutEdit()->value(), 4);
    dlg.TimeoutEdit()->setValue(0);
    EXPECT_EQ(dlg.TimeoutEdit()->value(), 1);
    dlg.TimeoutEdit()->setValue(1000);
    EXPECT_EQ(dlg.TimeoutEdit()->value(), 60);
}

TEST(NetTools, PingLoopbackAgainAndAgainInOneDialog)
{
    CQuickPingDlg dlg;
    dlg.TimeoutEdit()->setValue(2);
    for (const char* host : {"127.0.0.1", "::1"}) {
        dlg.AddressEdit()->setText(QString::fromLatin1(host));
        dlg.OnPing();
        const bool allowed = MayPing(std::strchr(host, ':') ? AF_INET6 : AF_INET);
        if (allowed)
            EXPECT_EQ(dlg.Result().toStdString(), std::string(host) + " ping successful");
        else
            EXPECT_EQ(dlg.Result().toStdString(),
                      std::string(host) + " ping failed: this system does not allow this user to send pings");
    }
    dlg.AddressEdit()->setText(QStringLiteral("bad..name"));
    dlg.OnPing();
    EXPECT_EQ(dlg.Result(), QStringLiteral("bad..name ping failed: the host name bad..name is not known"));
    dlg.AddressEdit()->clear();
    dlg.OnPing();
    EXPECT_EQ(dlg.Result(), QStringLiteral("ping failed: no address given"));
}

TEST(NetTools, PingRefusedToAnUnprivilegedUserSaysSo)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to become another user";
    const std::string text = InChild([] {
        // "nobody", in a group that the kernel's ping_group_range leaves out
        // unless the machine lets every group ping.
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            return std::string("cannot drop privileges");
        if (MayPing(AF_INET))
            return std::string("pings allowed");
        return QuickPingText(QStringLiteral("127.0.0.1"), 1).toStdString();
    });
    if (text == "pings allowed")
        GTEST_SKIP() << "this machine lets every user ping";
    EXPECT_EQ(text, "127.0.0.1 ping failed: this system does not allow this user to send pings");
}

TEST(NetTools, UnansweredPingEndsAtItsTimeout)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root for a network namespace of its own";
    const std::string text = InChild([] {
        // A private loopback that ignores echo requests.
        if (::unshare(CLONE_NEWNET) != 0)
            return std::string("no namespace");
        int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        ifreq ifr{};
        std::strcpy(ifr.ifr_name, "lo");
        ifr.ifr_flags = IFF_UP | IFF_LOOPBACK | IFF_RUNNING;
        bool up = fd >= 0 && ::ioctl(fd, SIOCSIFFLAGS, &ifr) == 0;
        FILE* sysctl = std::fopen("/proc/sys/net/ipv4/icmp_echo_ignore_all", "w");
        if (!up || !sysctl || std::fputs("1", sysctl) < 0 || std::fclose(sysctl) != 0)
            return std::string("no namespace");
        const auto start = std::chrono::steady_clock::now();
        std::string result = QuickPingText(QStringLiteral("127.0.0.1"), 1).toStdString();
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        return result + " after " + (ms >= 900 && ms <= 1500 ? "1 s" : std::to_string(ms) + " ms");
    });
    if (text == "no namespace")
        GTEST_SKIP() << "no private network namespace here";
    EXPECT_EQ(text, "127.0.0.1 ping failed: no answer from 127.0.0.1 in time after 1 s");
}

TEST(NetTools, ResolveNamesAndKeepTheLastAddressOnFailure)
{
    const struct {
        const char* host;
        const char* address;  // "" when either loopback address will do
    } rows[] = {{"127.0.0.1", "127.0.0.1"}, {"::1", "::1"}, {"localhost", ""}, {" localhost ", ""}};
    for (const auto& row : rows) {
        ResolveOutcome out = ResolveIpAddress(QString::fromLatin1(row.host));
        ASSERT_TRUE(out.ok) << row.host << ": " << out.text.toStdString();
        if (*row.address)
            EXPECT_EQ(out.address.toStdString(), row.address);
        else
            EXPECT_TRUE(out.address == "127.0.0.1" || out.address == "::1") << out.address.toStdString();
        EXPECT_EQ(out.text, QString::fromLatin1(row.host).trimmed() + " IP = " + out.address);
    }

    CResolveIpDlg dlg;
    dlg.HostEdit()->setText(QStringLiteral("::1"));
    dlg.OnResolve();
    EXPECT_EQ(dlg.Result(), QStringLiteral("::1 IP = ::1"));
    EXPECT_EQ(dlg.Address(), QStringLiteral("::1"));
    // The resolver refuses an empty label itself, without asking a server.
    dlg.HostEdit()->setText(QStringLiteral("bad..name"));
    dlg.OnResolve();
    EXPECT_EQ(dlg.Result(), QStringLiteral("Get bad..name IP failed: the host name bad..name is not known"));
    EXPECT_EQ(dlg.Address(), QStringLiteral("::1"));
    dlg.HostEdit()->setText(QStringLiteral("two words"));
    dlg.OnResolve();
    EXPECT_EQ(dlg.Result(),
              QStringLiteral("Get two words IP failed: the name contains characters a host name cannot have"));
}

TEST(NetTools, MyIpShowsAnAddress)
{
    CMyIpDlg dlg;
    const QString address = dlg.Address();
    EXPECT_NE(address, QStringLiteral("Get My IP failed"));
    // A real address: the resolver reads it back as itself.
    ResolveOutcome back = ResolveIpAddress(address);
    EXPECT_TRUE(back.ok && back.address == address) << address.toStdString();
}
