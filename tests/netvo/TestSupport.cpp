#include "TestSupport.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace netvotest {

namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "netvo-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string BinaryData(size_t size, unsigned seed)
{
    std::string data;
    data.reserve(size);
    const std::string awkwardRuns[] = {"\r\n", "\r", "\n", std::string(3, '\0'), "\n\r", "\r\r\n"};
    std::mt19937 rng(seed);
    for (int b = 0; b < 256 && data.size() < size; ++b)
        data += static_cast<char>(b);
    while (data.size() < size) {
        unsigned r = rng();
        if (r % 7 == 0)
            data += awkwardRuns[r % 6];
        else
            data += static_cast<char>(r >> 8);
    }
    data.resize(size);
    return data;
}

std::string LastError()
{
    char buf[1024];
    return ftp_lasterror(buf, sizeof buf) > 0 ? std::string(buf) : std::string();
}

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected)
{
    if (actual == expected)
        return ::testing::AssertionSuccess();
    size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
        ++i;
    return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                         << ", first difference at byte " << i;
}

int FreePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), len);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

void FtpTest::SetUp() { h = Login(srv); }

void FtpTest::TearDown()
{
    if (h > 0)
        netvo_release(h);
}

int FtpTest::Login(testbed::TestFtpServer& server)
{
    int handle = ftp_open(server.HostPort().c_str());
    EXPECT_GT(handle, 0) << LastError();
    if (handle > 0) {
        EXPECT_EQ(ftp_relogin(handle, server.User().c_str(), server.Password().c_str(), ""), 0) << LastError();
        ftp_SetLocalPath(handle, local.Path().c_str());
    }
    return handle;
}

void FtpModeTest::SetUp()
{
    FtpTest::SetUp();
    ftp_SetPassive(h, GetParam() ? 1 : 0);
}

std::string ModeName(const ::testing::TestParamInfo<bool>& info) { return info.param ? "Passive" : "Active"; }

// ---- ScriptedServer ----

namespace {

int ListenLoopback(bool ipv6, int& port)
{
    int fd = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage ss{};
    socklen_t len;
    if (ipv6) {
        auto& a = reinterpret_cast<sockaddr_in6&>(ss);
        a.sin6_family = AF_INET6;
        a.sin6_addr = in6addr_loopback;
        len = sizeof a;
    } else {
        auto& a = reinterpret_cast<sockaddr_in&>(ss);
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        len = sizeof a;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&ss), len) != 0 || ::listen(fd, 4) != 0) {
        ::close(fd);
        return -1;
    }
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len);
    port = ipv6 ? ntohs(reinterpret_cast<sockaddr_in6&>(ss).sin6_port)
                : ntohs(reinterpret_cast<sockaddr_in&>(ss).sin_port);
    return fd;
}

bool WaitReadable(int fd, const std::atomic<bool>& stop)
{
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0)
            return true;
    }
    return false;
}

void SendText(int fd, const std::string& text)
{
    size_t off = 0;
    while (off < text.size()) {
        ssize_t n = ::send(fd, text.data() + off, text.size() - off, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        off += static_cast<size_t>(n);
    }
}

}  // namespace

ScriptedServer::ScriptedServer(bool ipv6) : m_ipv6(ipv6)
{
    m_listen = ListenLoopback(ipv6, m_port);
    m_thread = std::thread([this] { Run(); });
}

ScriptedServer::~ScriptedServer()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
}

std::string ScriptedServer::HostPort() const
{
    return (m_ipv6 ? "[::1]:" : "127.0.0.1:") + std::to_string(m_port);
}

void ScriptedServer::Run()
{
    while (WaitReadable(m_listen, m_stop)) {
        int fd = ::accept(m_listen, nullptr, nullptr);
        if (fd < 0)
            continue;
        Serve(fd);
        ::close(fd);
    }
}

void ScriptedServer::Serve(int fd)
{
    SendText(fd, greeting);
    if (greeting.empty() || greeting.back() != '\n')
        return;
    std::string buffer;
    int dataListen = -1;
    char chunk[4096];
    for (;;) {
        size_t nl;
        while ((nl = buffer.find("\r\n")) == std::string::npos) {
            if (!WaitReadable(fd, m_stop))
                goto done;
            ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                goto done;
            buffer.append(chunk, static_cast<size_t>(n));
        }
        {
            std::string line = buffer.substr(0, nl);
            buffer.erase(0, nl + 2);
            std::string verb = line.substr(0, line.find(' '));
            std::string arg = line.size() > verb.size() ? line.substr(verb.size() + 1) : "";
            auto raw = rawReplies.find(verb);
            if (raw != rawReplies.end()) {
                SendText(fd, raw->second);
                if (raw->second.empty() || raw->second.back() != '\n')
                    goto done;
                continue;
            }
            if (verb == "USER")
                SendText(fd, "331 password please\r\n");
            else if (verb == "PASS")
                SendText(fd, "230 in\r\n");
            else if (verb == "FEAT")
                SendText(fd, "211-Features:\r\n EPSV\r\n211 End\r\n");
            else if (verb == "QUIT") {
                SendText(fd, "221 bye\r\n");
                goto done;
            } else if (verb == "EPSV") {
                if (dataListen >= 0)
                    ::close(dataListen);
                int port = 0;
                dataListen = ListenLoopback(m_ipv6, port);
                SendText(fd, "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)\r\n");
            } else if ((verb == "NLST" || verb == "RETR") && dataListen >= 0) {
                std::string content;
                if (verb == "NLST") {
                    content = nameList;
                } else {
                    auto f = files.find(arg);
                    if (f == files.end()) {
                        SendText(fd, "550 no such file\r\n");
                        continue;
                    }
                    content = f->second;
                }
                SendText(fd, "150 here it comes\r\n");
                if (WaitReadable(dataListen, m_stop)) {
                    int data = ::accept(dataListen, nullptr, nullptr);
                    SendText(data, content);
                    ::close(data);
                }
                ::close(dataListen);
                dataListen = -1;
                SendText(fd, "226 done\r\n");
            } else
                SendText(fd, "200 ok\r\n");
        }
    }
done:
    if (dataListen >= 0)
        ::close(dataListen);
}

}  // namespace netvotest
