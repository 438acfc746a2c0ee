// Whether a server's certificate is accepted: verified by the CA store and
// naming the host; or listed in the user's trusted file; or accepted through
// the certificate hook.
#pragma once

#include "netvo32.h"

#include <filesystem>
#include <string>

namespace netvo {

class Tls;

void SetCertHook(netvo_certhook hook, void* context);

// $XDG_CONFIG_HOME/Brenmar/trusted-certs (~/.config when unset).
std::filesystem::path TrustedFile();
// "host:port" as the trusted file names a server ("[::1]:21" for IPv6).
std::string ServerKey(const std::string& host, int port);
// Whether "key fingerprint" is a line of the trusted file.
bool IsTrusted(const std::string& key, const std::string& fingerprint);
// Appends the line, creating the folder (0700) and the file (0600). False
// when it could not be written.
bool AddTrusted(const std::string& key, const std::string& fingerprint);

// Decides on the control connection's certificate: 0 when accepted, else
// NETVO_E_CERTIFICATE with `why` naming the reason and the fingerprint.
int CheckCertificate(const Tls& tls, int handle, const std::string& host, int port, std::string& why);

}  // namespace netvo
