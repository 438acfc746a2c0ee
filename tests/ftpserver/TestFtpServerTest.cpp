#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

using namespace testbed;
using namespace std::chrono_literals;

namespace {

// A bare control connection, so these tests do not depend on the client
// library the fixture exists to test.
class RawControl {
public:
    explicit RawControl(int port)
    {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_fd < 0 || connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot connect to 127.0.0.1:" + std::to_string(port));
    }
    ~RawControl() { Close(); }
    RawControl(const RawControl&) = delete;
    RawControl& operator=(const RawControl&) = delete;

    void Close()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }

    void Send(const std::string& line)
    {
        const std::string data = line + "\r\n";
        if (send(m_fd, data.data(), data.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(data.size()))
            throw std::runtime_error("cannot send " + line);
    }

    // One reply line, or "" when the server closed the connection.
    std::string ReadLine(std::chrono::milliseconds timeout = 5s)
    {
        std::string line;
        char c = 0;
        while (c != '\n') {
            pollfd pfd{m_fd, POLLIN, 0};
            if (poll(&pfd, 1, static_cast<int>(timeout.count())) != 1)
                throw std::runtime_error("no reply within the timeout");
            if (recv(m_fd, &c, 1, 0) != 1)
                return line;
            line += c;
        }
        return line;
    }

private:
    int m_fd = -1;
};

bool ProcessExists(pid_t pid)
{
    return kill(pid, 0) == 0 || errno != ESRCH;
}

// The server notices closes asynchronously; poll with a deadline.
bool ConnectionsBecome(const TestFtpServer& server, int expected)
{
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (server.OpenConnections() != expected) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        pollfd none{-1, 0, 0};
        poll(&none, 0, 20);  // short pause between polls
    }
    return true;
}

}  // namespace

TEST(TestFtpServerTest, TwoServersRunSideBySideAndGreet)
{
    TestFtpServer first;
    TestFtpServer second(ServerOptions{{{"other", "pw"}}, true});
    EXPECT_NE(first.Port(), second.Port());
    EXPECT_NE(first.Pid(), second.Pid());
    EXPECT_NE(first.Root(), second.Root());
    EXPECT_TRUE(std::filesystem::is_directory(first.Root()));
    EXPECT_EQ(first.User(), "tavo");
    EXPECT_EQ(second.User(), "other");
    EXPECT_EQ(first.HostPort(), "127.0.0.1:" + std::to_string(first.Port()));

    for (const TestFtpServer* server : {&first, &second}) {
        RawControl control(server->Port());
        EXPECT_EQ(control.ReadLine().substr(0, 4), "220 ");
    }
}

TEST(TestFtpServerTest, SwitchesAreAcknowledgedAndAct)
{
    TestFtpServer server;
    EXPECT_NO_THROW(server.DropAfterBytes("RETR", 100));
    EXPECT_NO_THROW(server.DelayReplies("NOOP", 0.25));
    EXPECT_NO_THROW(server.SetListStyle(ListStyle::Iis));
    EXPECT_NO_THROW(server.RefuseEpsv(true));
    EXPECT_NO_THROW(server.ForeignPasvAddress(true));
    EXPECT_NO_THROW(server.ClearFaults());
    EXPECT_THROW(server.FailCommand("RETR x", 1, 550), std::invalid_argument);
    EXPECT_THROW(server.DropAfterBytes("LIST", 1), std::runtime_error);

    server.FailCommand("USER", 1, 421);
    RawControl control(server.Port());
    control.ReadLine();
    control.Send("USER " + server.User());
    EXPECT_EQ(control.ReadLine().substr(0, 4), "421 ");
    EXPECT_EQ(control.ReadLine(), "");  // 421 ends the session

    RawControl again(server.Port());
    again.ReadLine();
    again.Send("USER " + server.User());
    EXPECT_EQ(again.ReadLine().substr(0, 4), "331 ");
    again.Send("PASS " + server.Password());
    EXPECT_EQ(again.ReadLine().substr(0, 4), "230 ");
}

TEST(TestFtpServerTest, ReportsCommandsAndOpenConnections)
{
    TestFtpServer server;
    EXPECT_TRUE(server.Commands().empty());
    EXPECT_EQ(server.OpenConnections(), 0);
    {
        RawControl control(server.Port());
        control.ReadLine();
        control.Send("USER tavo");
        control.ReadLine();
        control.Send("NOOP with two words");
        control.ReadLine();
        EXPECT_EQ(server.OpenConnections(), 1);
        EXPECT_EQ(server.Commands(), (std::vector<std::string>{"USER tavo", "NOOP with two words"}));
    }
    EXPECT_TRUE(ConnectionsBecome(server, 0));
}

TEST(TestFtpServerTest, DestructorEndsTheProcessesAndRemovesTheFolder)
{
    pid_t serverPid = -1;
    pid_t proxyPid = -1;
    std::filesystem::path folder;
    {
        TestFtpServer server;
        TestFtpProxy proxy;
        serverPid = server.Pid();
        proxyPid = proxy.Pid();
        folder = server.Root().parent_path();
        ASSERT_GT(serverPid, 0);
        ASSERT_GT(proxyPid, 0);
        EXPECT_TRUE(ProcessExists(serverPid));
        EXPECT_TRUE(ProcessExists(proxyPid));
    }
    EXPECT_FALSE(ProcessExists(serverPid));
    EXPECT_FALSE(ProcessExists(proxyPid));
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST(TestFtpServerTest, DeadServerMakesCallsThrowInsteadOfKillingTheTest)
{
    TestFtpServer server;
    ASSERT_EQ(kill(server.Pid(), SIGKILL), 0);
    EXPECT_THROW(server.ClearFaults(), std::runtime_error);
    EXPECT_THROW(server.ClearFaults(), std::runtime_error);  // writes to a closed peer
}

TEST(TestFtpServerTest, ServerInheritsNoOtherDescriptors)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);  // deliberately without O_CLOEXEC
    TestFtpServer server;
    close(fds[1]);
    // Only a copy of the write end in the server would keep this from EOF.
    pollfd pfd{fds[0], POLLIN, 0};
    ASSERT_EQ(poll(&pfd, 1, 5000), 1);
    char c;
    EXPECT_EQ(read(fds[0], &c, 1), 0);
    close(fds[0]);
}

TEST(TestFtpProxyTest, RelaysALoginToTheServer)
{
    TestFtpServer server;
    TestFtpProxy proxy("gate", "keeper", true);
    EXPECT_NE(proxy.Port(), server.Port());
    RawControl control(proxy.Port());
    EXPECT_EQ(control.ReadLine().substr(0, 4), "220 ");
    control.Send("USER " + proxy.User());
    EXPECT_EQ(control.ReadLine().substr(0, 4), "331 ");
    control.Send("PASS " + proxy.Password());
    EXPECT_EQ(control.ReadLine().substr(0, 4), "332 ");
    control.Send("ACCT any");
    EXPECT_EQ(control.ReadLine().substr(0, 4), "230 ");
    control.Send("USER " + server.User() + "@" + server.HostPort());
    EXPECT_EQ(control.ReadLine().substr(0, 4), "331 ");
    control.Send("PASS " + server.Password());
    EXPECT_EQ(control.ReadLine().substr(0, 4), "230 ");
    EXPECT_EQ(server.Commands(), (std::vector<std::string>{"USER tavo", "PASS secret"}));
}
