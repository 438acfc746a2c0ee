#include "TestFtpServer.h"

#include "HelperLaunch.h"

#include <charconv>
#include <stdexcept>
#include <system_error>

namespace testbed {

namespace {

constexpr auto kAnswerTimeout = std::chrono::seconds(10);
constexpr auto kStopGrace = std::chrono::seconds(3);

// A word of a control request: the server splits requests at blanks.
const std::string& Word(const std::string& word, const char* what)
{
    if (word.empty() || word.find_first_of(" \t\r\n") != std::string::npos)
        throw std::invalid_argument(std::string("bad ") + what + ": '" + word + "'");
    return word;
}

// Locale-independent, unlike std::to_string.
std::string Number(double value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

}  // namespace

TestFtpServer::TestFtpServer(ServerOptions options)
    : m_options(std::move(options)),
      m_tempDir("tavo-ftp-"),
      m_root(m_tempDir.Path() / "root")
{
    if (m_options.users.empty())
        throw std::invalid_argument("TestFtpServer needs at least one user");
    std::filesystem::create_directory(m_root);
    std::vector<std::string> argv = detail::PythonCommand(TAVO_TESTBED_SERVER_SCRIPT);
    argv.insert(argv.end(), {"--root", m_root.string(), "--host", m_options.host});
    for (const auto& [name, password] : m_options.users) {
        if (name.empty() || name.find(':') != std::string::npos)
            throw std::invalid_argument("bad FTP user name: '" + name + "'");
        argv.insert(argv.end(), {"--user", name + ":" + password});
    }
    if (m_options.anonymous)
        argv.push_back("--anonymous");
    if (!m_options.tlsCertificate.empty())
        argv.insert(argv.end(), {"--tls", m_options.tlsCertificate, m_options.tlsKey});
    if (m_options.tlsRequired)
        argv.push_back("--tls-required");
    if (m_options.requireReuse)
        argv.push_back("--require-reuse");
    if (m_options.implicitTls)
        argv.push_back("--implicit");
    if (m_options.sscn)
        argv.push_back("--sscn");
    m_port = detail::LaunchHelper(m_process, "FTP server", argv);
}

TestFtpServer::~TestFtpServer()
{
    m_process.Stop(kStopGrace);
}

std::string TestFtpServer::HostPort() const
{
    const bool ipv6 = Host().find(':') != std::string::npos;
    return (ipv6 ? "[" + Host() + "]" : Host()) + ":" + std::to_string(m_port);
}

std::string TestFtpServer::ReadAnswer() const
{
    return m_process.ReadLine(kAnswerTimeout);
}

std::string TestFtpServer::Control(const std::string& request) const
{
    m_process.WriteLine(request);
    const std::string answer = ReadAnswer();
    if (answer == "OK")
        return {};
    if (answer.rfind("OK ", 0) == 0)
        return answer.substr(3);
    throw std::runtime_error("FTP server refused '" + request + "': " + answer);
}

void TestFtpServer::FailCommand(const std::string& command, int times, int code)
{
    Control("FAIL " + Word(command, "command") + " " + std::to_string(times) + " " + std::to_string(code));
}

void TestFtpServer::DropAfterBytes(const std::string& command, long long bytes)
{
    Control("DROP " + Word(command, "command") + " " + std::to_string(bytes));
}

void TestFtpServer::DelayReplies(const std::string& command, double seconds)
{
    Control("DELAY " + Word(command, "command") + " " + Number(seconds));
}

void TestFtpServer::SetListStyle(ListStyle style)
{
    switch (style) {
    case ListStyle::Unix: Control("LIST unix"); return;
    case ListStyle::Dos: Control("LIST dos"); return;
    case ListStyle::Iis: Control("LIST iis"); return;
    }
    throw std::invalid_argument("unknown ListStyle");
}

void TestFtpServer::RefuseEpsv(bool refuse)
{
    Control(refuse ? "EPSV off" : "EPSV on");
}

void TestFtpServer::RefuseMlsd(bool refuse)
{
    Control(refuse ? "MLSD off" : "MLSD on");
}

void TestFtpServer::ForeignPasvAddress(bool on)
{
    Control(on ? "PASVADDR foreign" : "PASVADDR normal");
}

void TestFtpServer::AnnounceRealSize()
{
    Control("ANNOUNCE real");
}

void TestFtpServer::AnnounceSize(long long bytes)
{
    Control(bytes < 0 ? std::string("ANNOUNCE off") : "ANNOUNCE " + std::to_string(bytes));
}

void TestFtpServer::SetListErrors(ListErrors how)
{
    Control(how == ListErrors::Vsftpd ? "LISTERR vsftpd" : how == ListErrors::Empty ? "LISTERR empty" : "LISTERR refuse");
}

void TestFtpServer::Throttle(long long bytesPerSecond)
{
    Control("THROTTLE " + std::to_string(bytesPerSecond < 0 ? 0 : bytesPerSecond));
}

void TestFtpServer::HugeListing(long long count)
{
    Control("HUGELIST " + std::to_string(count < 0 ? 0 : count));
}

void TestFtpServer::AnswerMdtm(const std::string& digits)
{
    Control("MDTM " + (digits.empty() ? std::string("off") : Word(digits, "MDTM stamp")));
}

void TestFtpServer::EndlessReply(const std::string& command, Endless kind)
{
    const char* what = kind == Endless::Preliminary ? "prelim" : kind == Endless::Continuation ? "continuation" : "off";
    Control("ENDLESS " + Word(command, "command") + " " + what);
}

void TestFtpServer::TrickleReplies(const std::string& command, int milliseconds)
{
    Control("TRICKLE " + Word(command, "command") + " " + std::to_string(milliseconds < 0 ? 0 : milliseconds));
}

void TestFtpServer::SetAbortStyle(AbortStyle style)
{
    Control(style == AbortStyle::Single ? "ABOR single" : style == AbortStyle::Late ? "ABOR late" : "ABOR normal");
}

void TestFtpServer::ClearFaults()
{
    Control("CLEAR");
}

std::vector<std::string> TestFtpServer::Commands() const
{
    const std::string count = Control("COMMANDS");
    size_t lines = 0;
    const auto result = std::from_chars(count.data(), count.data() + count.size(), lines);
    if (result.ec != std::errc() || result.ptr != count.data() + count.size())
        throw std::runtime_error("FTP server answered COMMANDS with '" + count + "'");
    std::vector<std::string> commands;
    commands.reserve(lines);
    for (size_t i = 0; i < lines; ++i)
        commands.push_back(ReadAnswer());
    return commands;
}

int TestFtpServer::OpenConnections() const
{
    const std::string count = Control("CONNECTIONS");
    int open = 0;
    const auto result = std::from_chars(count.data(), count.data() + count.size(), open);
    if (result.ec != std::errc() || result.ptr != count.data() + count.size())
        throw std::runtime_error("FTP server answered CONNECTIONS with '" + count + "'");
    return open;
}

TlsDataCounts TestFtpServer::TlsData() const
{
    const std::string answer = Control("TLS");
    TlsDataCounts counts;
    const char* p = answer.data();
    const char* end = p + answer.size();
    for (int* field : {&counts.protectedConnections, &counts.resumed, &counts.clear}) {
        while (p < end && *p == ' ')
            ++p;
        const auto result = std::from_chars(p, end, *field);
        if (result.ec != std::errc())
            throw std::runtime_error("FTP server answered TLS with '" + answer + "'");
        p = result.ptr;
    }
    return counts;
}

}  // namespace testbed
