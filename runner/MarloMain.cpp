// marlo <script-file>: runs the script through Marlo32 and prints the
// dialogue on standard output.
//
// Exit status: 0 when the script ran to its end, 1 when a statement stopped
// it or the script could not be read to its end (a read error, a line beyond
// the library's limit), 2 for a usage error or a script file that cannot be
// opened. Schedulers
// and shells read only this status, so a failed run must not end with 0.
#include "Marlo32.h"
#include "MarloCertificates.h"
#include "MarloCommandLine.h"
#include "MarloEcho.h"
#include "MarloProgress.h"

#include <netvo32.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitScriptFailed = 1;
constexpr int kExitUsage = 2;

void PrintHelp(const char* program)
{
    std::printf("Usage: %s [--trust-new-certs] <script-file>\n"
                "\n"
                "Runs an FTP batch script and prints the dialogue on standard output\n"
                "once the script says \"echo on\"; transfer progress of connections\n"
                "with \"statusbox on\" goes to standard error.\n"
                "\n"
                "Logins use TLS when the server offers it (the script's \"secure\"\n"
                "statement changes that); a password about to go out in clear text\n"
                "gives a warning on standard error. A server certificate that the\n"
                "system cannot verify and that is not in the trusted file\n"
                "($XDG_CONFIG_HOME/Brenmar/trusted-certs) fails the login, and its\n"
                "fingerprint is printed on standard error.\n"
                "\n"
                "  -h, --help          show this help and exit\n"
                "      --version       show the version and exit\n"
                "      --trust-new-certs\n"
                "                      trust such certificates and add them to the\n"
                "                      trusted file\n"
                "\n"
                "Exit status: 0 when the script ran to its end, 1 when a statement\n"
                "stopped it or the script could not be read to its end (a read error,\n"
                "a line longer than 64 KiB), 2 for a usage error or a script that\n"
                "cannot be opened.\n",
                program);
}

// The library answers a missing file with the same code as a failing login,
// so the file is checked here, where the two can still be told apart.
bool CanOpen(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return false;
    return std::ifstream(path).is_open();
}

}  // namespace

int main(int argc, char** argv)
{
    const MarloCommandLine line = ParseMarloCommandLine(argc, argv);
    switch (line.action) {
    case MarloCommandLine::Action::Usage:
        std::printf("Usage: %s [--trust-new-certs] <script-file>\n", line.program.c_str());
        return kExitUsage;
    case MarloCommandLine::Action::Help:
        PrintHelp(line.program.c_str());
        return kExitOk;
    case MarloCommandLine::Action::Version:
        std::printf("marlo %s (%s)\n", TAVO_VERSION, netvo_version());
        return kExitOk;
    case MarloCommandLine::Action::Run:
        break;
    }
    if (!CanOpen(line.script)) {
        std::fprintf(stderr, "marlo: cannot open script file '%s'\n", line.script.c_str());
        return kExitUsage;
    }
    MarloProgressInstall();
    MarloCertificatesInstall(line.trustNewCerts);
    const int rc = Marlo_Execute2(line.script.c_str(), 0, MarloClientEcho, MarloServerEcho);
    MarloProgressEndLine();
    return rc == 0 ? kExitOk : kExitScriptFailed;
}
