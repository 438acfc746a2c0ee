// How marlo answers a server certificate that cannot be verified: it has
// no one to ask, so it either trusts it for good (--trust-new-certs) or
// refuses it; either way standard error names the fingerprint, so that the
// user can compare it with the one the server's operator publishes.
#pragma once

void MarloCertificatesInstall(bool trustNewCerts);
