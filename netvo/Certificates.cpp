#include "Certificates.h"

#include "Tls.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <openssl/bio.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace netvo {

namespace {

std::mutex g_hookMutex;
netvo_certhook g_hook = nullptr;
void* g_hookContext = nullptr;

// A trusted file longer than this is not a list of servers a person made.
constexpr std::streamoff kMaxTrustedLines = 100000;

std::string NameText(const X509_NAME* name)
{
    if (!name)
        return {};
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio)
        return {};
    const unsigned long flags =
        XN_FLAG_SEP_CPLUS_SPC | XN_FLAG_DN_REV | XN_FLAG_FN_SN | (ASN1_STRFLGS_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    X509_NAME_print_ex(bio, name, 0, flags);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    std::string text(data, size > 0 ? static_cast<size_t>(size) : 0);
    BIO_free(bio);
    return text;
}

std::string TimeText(const ASN1_TIME* time)
{
    std::tm tm{};
    if (!time || ASN1_TIME_to_tm(time, &tm) != 1)
        return {};
    char text[40];
    return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &tm) ? text : "";
}

bool IsAddress(const std::string& host)
{
    return host.find(':') != std::string::npos ||
           host.find_first_not_of("0123456789.") == std::string::npos;
}

bool NamesHost(X509* cert, const std::string& host)
{
    if (IsAddress(host))
        return X509_check_ip_asc(cert, host.c_str(), 0) == 1;
    return X509_check_host(cert, host.data(), host.size(), 0, nullptr) == 1;
}

bool MakeFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec))
        return true;
    if (folder.has_parent_path() && folder.parent_path() != folder && !MakeFolder(folder.parent_path()))
        return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

void SetCertHook(netvo_certhook hook, void* context)
{
    std::lock_guard lock(g_hookMutex);
    g_hook = hook;
    g_hookContext = context;
}

std::filesystem::path TrustedFile()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path base;
    if (config && *config == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : "/") / ".config";
    }
    return base / "Brenmar" / "trusted-certs";
}

std::string ServerKey(const std::string& host, int port)
{
    const std::string name = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return name + ":" + std::to_string(port);
}

bool IsTrusted(const std::string& key, const std::string& fingerprint)
{
    std::ifstream in(TrustedFile());
    const std::string wanted = key + " " + fingerprint;
    std::string line;
    for (std::streamoff n = 0; n < kMaxTrustedLines && std::getline(in, line); ++n) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (line == wanted)
            return true;
    }
    return false;
}

bool AddTrusted(const std::string& key, const std::string& fingerprint)
{
    const std::filesystem::path file = TrustedFile();
    if (!MakeFolder(file.parent_path()))
        return false;
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    const std::string line = key + " " + fingerprint + "\n";
    const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    return ::close(fd) == 0 && written;
}

int CheckCertificate(const Tls& tls, int handle, const std::string& host, int port, std::string& why)
{
    X509* cert = tls.PeerCertificate();
    if (!cert) {
        why = "the server sent no certificate";
        return NETVO_E_CERTIFICATE;
    }
    const long verify = tls.VerifyResult();
    const bool verified = verify == X509_V_OK;
    const bool hostmatch = NamesHost(cert, host);
    if (verified && hostmatch)
        return 0;
    const std::string fingerprint = tls.Fingerprint();
    const std::string key = ServerKey(host, port);
    if (!fingerprint.empty() && IsTrusted(key, fingerprint))
        return 0;

    std::string reason;
    if (!verified)
        reason = X509_verify_cert_error_string(verify);
    if (!hostmatch)
        reason += std::string(reason.empty() ? "" : "; ") + "it does not name " + host;

    netvo_certhook hook;
    void* context;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_hook;
        context = g_hookContext;
    }
    const std::string where = "the server's certificate is not trusted (" + reason + "); fingerprint " + fingerprint;
    if (!hook) {
        why = where;
        return NETVO_E_CERTIFICATE;
    }
    const std::string subject = NameText(X509_get_subject_name(cert));
    const std::string issuer = NameText(X509_get_issuer_name(cert));
    const std::string notBefore = TimeText(X509_get0_notBefore(cert));
    const std::string notAfter = TimeText(X509_get0_notAfter(cert));
    netvo_certinfo info{};
    info.host = host.c_str();
    info.port = port;
    info.verified = verified ? 1 : 0;
    info.hostmatch = hostmatch ? 1 : 0;
    info.reason = reason.c_str();
    info.fingerprint = fingerprint.c_str();
    info.subject = subject.c_str();
    info.issuer = issuer.c_str();
    info.notbefore = notBefore.c_str();
    info.notafter = notAfter.c_str();
    const int answer = hook(handle, &info, context);
    if (answer == NETVO_CERT_ACCEPT_ONCE)
        return 0;
    if (answer == NETVO_CERT_ACCEPT_ALWAYS) {
        // Accepted either way; a file that cannot be written only means the
        // question comes again next time.
        AddTrusted(key, fingerprint);
        return 0;
    }
    why = "the server's certificate was rejected (" + reason + "); fingerprint " + fingerprint;
    return NETVO_E_CERTIFICATE;
}

}  // namespace netvo
