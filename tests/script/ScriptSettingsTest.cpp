// Data connection mode and port, progress reporting, local path and
// time-outs.
#include "ScriptServerTest.h"

#include <netvo32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace scripttest {
namespace {

using SettingsTest = ScriptServerTest;

// A port nothing listens on at the moment.
int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool IsActiveCommand(const std::string& command)
{
    return command.rfind("PORT ", 0) == 0 || command.rfind("EPRT ", 0) == 0;
}

bool IsPassiveCommand(const std::string& command)
{
    return command == "PASV" || command == "EPSV";
}

TEST_F(SettingsTest, PassiveActiveAndDataPort)
{
    const int port = FreePort();
    size_t mark = Mark();
    EXPECT_EQ(Run("LOGIN\nactive\nls . \"LOCAL/a.txt\"\npassive\nls . \"LOCAL/b.txt\"\n"), 0);
    std::vector<std::string> work = WorkSince(mark);
    const auto active = std::find_if(work.begin(), work.end(), IsActiveCommand);
    const auto passive = std::find_if(work.begin(), work.end(), IsPassiveCommand);
    ASSERT_NE(active, work.end());
    ASSERT_NE(passive, work.end());
    EXPECT_LT(active, passive);

    mark = Mark();
    EXPECT_EQ(Run("LOGIN\nactive\ndataport " + std::to_string(port) + "\nls . \"LOCAL/c.txt\"\n"), 0);
    work = WorkSince(mark);
    const auto fixed = std::find_if(work.begin(), work.end(), IsActiveCommand);
    ASSERT_NE(fixed, work.end());
    const std::string portText = std::to_string(port);
    const std::string pasvForm = std::to_string(port / 256) + "," + std::to_string(port % 256);
    EXPECT_TRUE(fixed->find("|" + portText + "|") != std::string::npos || fixed->ends_with(pasvForm)) << *fixed;
}

// The receive time-out bounds the wait for a reply on this connection.
TEST_F(SettingsTest, ReceiveTimeoutBoundsTheWait)
{
    server.DelayReplies("CWD", 3);
    EXPECT_EQ(Run("LOGIN\nreceivetimeout 1\ncd /\n"), NETVO_E_TIMEOUT);
    server.ClearFaults();
    EXPECT_EQ(Run("LOGIN\ndefaulttimeout 45\nreceivetimeout '30'\ncd /\n"), 0);
    netvo_setdefaulttimeout(60);
}

struct HookRecord {
    int calls = 0;
    int withStatusBox = 0;
};

int RecordHook(int, long long, long long, int statusbox, void* context)
{
    auto* record = static_cast<HookRecord*>(context);
    ++record->calls;
    record->withStatusBox += statusbox != 0 ? 1 : 0;
    return 0;
}

// The wait hook learns which connections want their progress shown.
TEST_F(SettingsTest, StatusBoxMarksTheConnectionForTheWaitHook)
{
    WriteFile(Local("up.bin"), Pattern(1000));
    server.DelayReplies("STOR", 0.15);  // longer than the hook's 100 ms slice
    HookRecord on;
    netvo_setwaithook(RecordHook, &on);
    EXPECT_EQ(Run("LOGIN\nstatusbox on\nput \"LOCAL/up.bin\" up.bin\n"), 0);
    HookRecord off;
    netvo_setwaithook(RecordHook, &off);
    EXPECT_EQ(Run("LOGIN\nstatusbox on\nstatusbox off\nput \"LOCAL/up.bin\" up.bin\n"), 0);
    netvo_setwaithook(nullptr, nullptr);
    EXPECT_GT(on.withStatusBox, 0);
    EXPECT_GT(off.calls, 0);
    EXPECT_EQ(off.withStatusBox, 0);
}

TEST_F(SettingsTest, LocalPathReceivesDownloads)
{
    WriteFile(Remote("a.txt"), "a");
    std::filesystem::create_directories(Local("in"));
    EXPECT_EQ(Run("LOGIN\nlocalpath \"LOCAL/in\"\nget a.txt\nlocalpath\nlocalpath 'LOCAL/in'\nget a.txt b.txt\n"), 0);
    EXPECT_EQ(ReadFile(Local("in/a.txt")), "a");
    EXPECT_EQ(ReadFile(Local("in/b.txt")), "a");
}

TEST_F(SettingsTest, SyntaxErrors)
{
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"statusbox", "Statusbox: syntax error. Expecting \"[on | off]\", found \"\"."},
        {"statusbox yes", "Statusbox: syntax error. Expecting \"[on | off]\", found \"yes\"."},
        {"dataport", "DataPort: syntax error. Expecting \"<integer>\", found \"\"."},
        {"defaulttimeout @", "DefaultTimeout: syntax error. Expecting \"<integer>\", found \"@\"."},
        {"receivetimeout", "ReceiveTimeout: syntax error. Expecting \"<integer>\", found \"\"."},
        {"local unique maybe", "Local Unique: syntax error. Expecting \"[on | off]\", found \"maybe\"."},
        {"local", "Local: syntax error. Expecting \"Unique\", found \"\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        echo.client.clear();
        EXPECT_EQ(Run(std::string("echo on\nLOGIN\n") + c.line + "\n"), -999);
        EXPECT_NE(ClientText().find(std::string("C> ") + c.message + "\r\n"), std::string::npos) << ClientText();
    }
}

}  // namespace
}  // namespace scripttest
