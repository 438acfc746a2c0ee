// Certificates for TLS tests, made fresh in a temporary folder (valid for
// two days): a test CA, and certificates it signed for the loopback names,
// for another name, and one that signs itself.
#pragma once

#include "TempDir.h"
#include "TestFtpServer.h"

#include <filesystem>
#include <string>

namespace testbed {

class TestCertificates {
public:
    // Throws std::runtime_error when they cannot be made.
    TestCertificates();

    // The CA's certificate: point SSL_CERT_FILE at it to trust it.
    std::string CaFile() const { return File("ca.pem"); }
    // Signed by the CA for 127.0.0.1, ::1 and localhost.
    std::string ServerCertificate() const { return File("server.pem"); }
    std::string ServerKey() const { return File("server.key"); }
    // Signed by the CA for other.example only.
    std::string OtherCertificate() const { return File("other.pem"); }
    std::string OtherKey() const { return File("other.key"); }
    // Self-signed, for the loopback names.
    std::string SelfSignedCertificate() const { return File("self.pem"); }
    std::string SelfSignedKey() const { return File("self.key"); }

    // A server that knows only TLS, as strict ones are: the self-signed
    // certificate, no USER before AUTH TLS, data connections must resume
    // the control connection's session.
    ServerOptions SelfSignedTlsOnly() const
    {
        ServerOptions options;
        options.tlsCertificate = SelfSignedCertificate();
        options.tlsKey = SelfSignedKey();
        options.tlsRequired = true;
        options.requireReuse = true;
        return options;
    }

private:
    std::string File(const char* name) const { return (m_dir.Path() / name).string(); }

    detail::TempDir m_dir;
};

}  // namespace testbed
