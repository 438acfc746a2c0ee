// The question a user gets when a server shows a certificate that the
// system cannot verify for its name: what the certificate says, its
// fingerprint to compare with the one the server's operator publishes, and
// "Always trust" to remember it. The answer is the library's
// (NETVO_CERT_REJECT, _ACCEPT_ONCE, _ACCEPT_ALWAYS).
#pragma once

#include <netvo32.h>

#include <functional>

// Shows the dialog modally, or asks the test answerer when one is set.
int AskAboutCertificate(const netvo_certinfo& info);
// Installs AskAboutCertificate as the library's certificate hook.
void InstallCertificateQuestion();

// Tests answer instead of the user; an empty function restores the dialog.
using CertificateAnswerer = std::function<int(const netvo_certinfo&)>;
void SetCertificateAnswerer(CertificateAnswerer answerer);
