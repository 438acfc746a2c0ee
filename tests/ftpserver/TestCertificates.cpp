#include "TestCertificates.h"

#include "ChildProcess.h"
#include "HelperLaunch.h"

#include <stdexcept>

namespace testbed {

TestCertificates::TestCertificates() : m_dir("tavo-certs-")
{
    detail::ChildProcess maker;
    std::vector<std::string> argv = detail::PythonCommand(TAVO_TESTBED_CERTS_SCRIPT);
    argv.push_back(m_dir.Path().string());
    maker.Start("certificate maker", argv);
    const std::string said = maker.ReadLine(std::chrono::seconds(30));
    maker.Stop(std::chrono::seconds(3));
    if (said != "DONE")
        throw std::runtime_error("test certificates were not made: '" + said + "'");
}

}  // namespace testbed
