// marlo against a server that insists on TLS, as a user meets one: the
// certificate cannot be verified, so the first run fails and names its
// fingerprint; --trust-new-certs trusts it for good; later runs just work.
#include "RunProgram.h"
#include "TempDir.h"
#include "TestCertificates.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using runnertest::ProgramResult;
using runnertest::RunProgram;

namespace {

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

TEST(MarloTlsTest, AnUnknownCertificateIsTrustedOnlyWhenAsked)
{
    testbed::TestCertificates certificates;
    testbed::TestFtpServer server(certificates.SelfSignedTlsOnly());
    testbed::detail::TempDir config("marlo-config-");
    const char* previous = std::getenv("XDG_CONFIG_HOME");
    const std::string kept = previous ? previous : "";
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);

    const auto work = server.Root().parent_path();
    std::string payload(300000, '\0');
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>((i * 7919) >> 3);
    std::ofstream(work / "up.bin", std::ios::binary) << payload;
    const std::string script = (work / "job.txt").string();
    std::ofstream(script) << "login " << server.HostPort() << " " << server.User() << " " << server.Password()
                          << "\nput \"" << (work / "up.bin").string() << "\" up.bin\n";

    ProgramResult refused = RunProgram({MARLO_PROGRAM, script});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("SHA-256 fingerprint "), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(server.Root() / "up.bin"));

    ProgramResult trusted = RunProgram({MARLO_PROGRAM, "--trust-new-certs", script});
    EXPECT_EQ(trusted.exitCode, 0) << trusted.err;
    EXPECT_EQ(ReadAll(server.Root() / "up.bin"), payload);
    EXPECT_GT(server.TlsData().protectedConnections, 0);

    std::filesystem::remove(server.Root() / "up.bin");
    ProgramResult again = RunProgram({MARLO_PROGRAM, script});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.err, "");  // encrypted: no clear-text warning, no question
    EXPECT_EQ(ReadAll(server.Root() / "up.bin"), payload);
    if (previous)
        ::setenv("XDG_CONFIG_HOME", kept.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
