#include "TestFtpServer.h"

#include "HelperLaunch.h"

#include <chrono>

namespace testbed {

TestFtpProxy::TestFtpProxy(std::string user, std::string password, bool requireAccount)
    : m_user(std::move(user)),
      m_password(std::move(password))
{
    std::vector<std::string> argv = detail::PythonCommand(TAVO_TESTBED_PROXY_SCRIPT);
    argv.insert(argv.end(), {"--user", m_user, "--password", m_password});
    if (requireAccount)
        argv.push_back("--require-account");
    m_port = detail::LaunchHelper(m_process, "FTP proxy", argv);
}

TestFtpProxy::~TestFtpProxy()
{
    m_process.Stop(std::chrono::seconds(3));
}

}  // namespace testbed
