// Logging in through the firewall proxy, then working as usual.
#include "TestSupport.h"

namespace {

using namespace netvotest;

class Gateway : public ::testing::TestWithParam<bool> {
protected:
    testbed::TestFtpServer srv;
    TempFolder local;
};

TEST_P(Gateway, LogsInListsAndTransfersThroughTheProxy)
{
    testbed::TestFtpProxy proxy("fwuser", "fwpass", GetParam());
    int h = ftp_open(proxy.HostPort().c_str());
    ASSERT_GT(h, 0) << LastError();
    // The firewall asks for its account (332) right after its own login.
    ASSERT_EQ(ftp_relogin(h, proxy.User().c_str(), proxy.Password().c_str(), GetParam() ? "fwacct" : ""), 0)
        << LastError();
    ASSERT_EQ(ftp_gatelogin(h, srv.HostPort().c_str(), srv.User().c_str(), srv.Password().c_str(), ""), 0)
        << LastError();
    ftp_SetLocalPath(h, local.Path().c_str());
    WriteFile(srv.Root() / "via.txt", "through the gate");
    ASSERT_EQ(ftp_ls(h, "", "names.txt"), 0) << LastError();
    EXPECT_EQ(ReadFile(local.Path() / "names.txt"), "via.txt\n");
    ASSERT_EQ(ftp_get(h, "via.txt", nullptr), 0) << LastError();
    EXPECT_EQ(ReadFile(local.Path() / "via.txt"), "through the gate");
    const std::string data = BinaryData(300000, 31);
    WriteFile(local.Path() / "up.bin", data);
    ASSERT_EQ(ftp_put(h, "up.bin", nullptr), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(srv.Root() / "up.bin"), data));
    auto commands = srv.Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "USER tavo"), commands.end());
    netvo_release(h);
}

TEST(GatewayAccount, MissingAccountIsReported)
{
    testbed::TestFtpServer srv;
    testbed::TestFtpProxy proxy("fwuser", "fwpass", true);
    int h = ftp_open(proxy.HostPort().c_str());
    ASSERT_GT(h, 0);
    int rc = ftp_relogin(h, proxy.User().c_str(), proxy.Password().c_str(), "");
    if (rc == 0)
        rc = ftp_gatelogin(h, srv.HostPort().c_str(), srv.User().c_str(), srv.Password().c_str(), "");
    EXPECT_EQ(rc, 332);
    netvo_release(h);
}

INSTANTIATE_TEST_SUITE_P(Account, Gateway, ::testing::Bool(),
                         [](const auto& info) { return info.param ? std::string("WithAcct") : std::string("NoAcct"); });

}  // namespace
