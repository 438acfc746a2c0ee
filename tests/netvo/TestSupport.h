// Shared test helpers: temporary folders, file contents, a logged-in handle
// on a test-bed server, and a tiny scripted server for the replies the real
// test bed cannot produce (garbage, hostile names).
#pragma once

#include "TestFiles.h"

#include "TestFtpServer.h"
#include "netvo32.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <thread>

namespace netvotest {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

using testsupport::ReadFile;
using testsupport::WriteFile;
// Binary test data: every byte value, CR, LF, CR LF and NUL runs included.
std::string BinaryData(size_t size, unsigned seed = 1);
std::string LastError();
// A loopback TCP port that was free a moment ago.
int FreePort();
// Compares file contents without printing megabytes on a mismatch.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

// A test-bed server with a logged-in handle and a local folder.
class FtpTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    int Login(testbed::TestFtpServer& server);  // a new logged-in handle
    std::filesystem::path Remote(const std::string& name) const { return srv.Root() / name; }
    std::filesystem::path Local(const std::string& name) const { return local.Path() / name; }

    testbed::TestFtpServer srv;
    TempFolder local;
    int h = 0;
};

// A second test-bed server with its own logged-in handle, for copies
// between servers.
class TwoServerTest : public FtpTest {
protected:
    void SetUp() override
    {
        FtpTest::SetUp();
        dest = Login(other);
    }
    void TearDown() override
    {
        netvo_release(dest);
        FtpTest::TearDown();
    }
    testbed::TestFtpServer other;
    int dest = 0;
};

// Each transfer test runs passive and active.
class FtpModeTest : public FtpTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override;
};
std::string ModeName(const ::testing::TestParamInfo<bool>& info);

// A scripted FTP server on loopback: logs anyone in, answers EPSV, and for
// NLST and RETR serves the configured names and contents. The greeting and
// any reply can be replaced by raw bytes.
class ScriptedServer {
public:
    explicit ScriptedServer(bool ipv6 = false);
    ~ScriptedServer();
    int Port() const { return m_port; }
    std::string HostPort() const;

    // Bytes sent instead of the usual reply. The server hangs up after a
    // reply that does not end in a line end (or is empty).
    std::string greeting = "220 scripted\r\n";
    std::map<std::string, std::string> rawReplies;
    std::string nameList;                           // NLST data
    std::map<std::string, std::string> files;       // RETR name -> content

private:
    void Run();
    void Serve(int fd);

    bool m_ipv6;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace netvotest
