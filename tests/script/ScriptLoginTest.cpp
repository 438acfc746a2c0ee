// login and gatelogin: through a firewall, and again after the link drops.
#include "ScriptServerTest.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace scripttest {
namespace {

using LoginTest = ScriptServerTest;

TEST_F(LoginTest, ThroughAFirewallAndAgainAfterADrop)
{
    testbed::TestFtpProxy proxy;
    const std::string data = Pattern(100000);
    WriteFile(Remote("big.bin"), data);
    server.DropAfterBytes("RETR", 30000);
    const size_t mark = Mark();
    EXPECT_EQ(Run("login " + proxy.HostPort() + " " + proxy.User() + " " + proxy.Password() + "\n" +
                  "gatelogin " + server.HostPort() + " " + server.User() + " " + server.Password() + "\n" +
                  "on failed restart 1\n"
                  "get big.bin \"LOCAL/big.bin\"\n"),
              0);
    EXPECT_TRUE(ReadFile(Local("big.bin")) == data);
    // The server saw the user twice: the gate login was replayed after the
    // drop.
    EXPECT_EQ(CountSince(mark, "USER " + server.User()), 2);
    EXPECT_EQ(CountSince(mark, "RETR big.bin"), 2);
}

TEST_F(LoginTest, ArgumentsAndFailures)
{
    // A numeric password ends the arguments unless it is quoted.
    testbed::ServerOptions options;
    options.users = {{"tavo", "123"}};
    testbed::TestFtpServer numeric(options);
    EXPECT_EQ(Run("login " + numeric.HostPort() + " tavo 123\n"), -1);
    EXPECT_EQ(Run("login " + numeric.HostPort() + " tavo '123'\n"), 0);

    echo.client.clear();
    EXPECT_EQ(Run("echo on\nLOGIN\ngatelogin\n"), -999);
    EXPECT_NE(ClientText().find("GateLogin: syntax error. Expecting \"<string>\", found \"\"."), std::string::npos);
    EXPECT_EQ(Run("gatelogin somewhere\n"), -99);  // no connection yet
    EXPECT_NE(Run("LOGIN\ngatelogin 127.0.0.1:1 nobody\n"), 0);
}

}  // namespace
}  // namespace scripttest
