#include "MarloCertificates.h"

#include <netvo32.h>

#include <cstdio>

namespace {

int AnswerCertificate(int /*handle*/, const netvo_certinfo* info, void* context)
{
    const bool trust = context != nullptr;
    std::fprintf(stderr,
                 "marlo: the certificate of %s:%d cannot be verified (%s)\n"
                 "       subject %s\n"
                 "       issuer %s\n"
                 "       valid %s to %s\n"
                 "       SHA-256 fingerprint %s\n",
                 info->host, info->port, info->reason, info->subject, info->issuer, info->notbefore, info->notafter,
                 info->fingerprint);
    if (trust) {
        std::fprintf(stderr, "marlo: trusting it from now on (--trust-new-certs)\n");
        return NETVO_CERT_ACCEPT_ALWAYS;
    }
    std::fprintf(stderr, "marlo: refused; run marlo --trust-new-certs once to trust it\n");
    return NETVO_CERT_REJECT;
}

}  // namespace

void MarloCertificatesInstall(bool trustNewCerts)
{
    static int trustMarker = 1;
    netvo_setcerthook(&AnswerCertificate, trustNewCerts ? &trustMarker : nullptr);
}
