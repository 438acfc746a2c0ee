// The netvo32 side of the transfer benchmark: one login, then the job.
//
//   netvo_bench HOST:PORT get     REMOTE    LOCAL
//   netvo_bench HOST:PORT put     LOCAL     REMOTE
//   netvo_bench HOST:PORT getmany REMOTEDIR LOCALDIR NAMESFILE
//   netvo_bench HOST:PORT putmany LOCALDIR  REMOTEDIR NAMESFILE
//
// Logs in as anonymous (NETVO_BENCH_USER / NETVO_BENCH_PASS override), binary,
// passive. A put into a folder creates that folder first. NETVO_BENCH_TLS=1
// requires explicit TLS with protected data connections; the server's
// certificate must then be in the trusted file (or verify through the CA store).
#include "netvo32.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

int Fail(const char* what)
{
    char text[1024] = "";
    ftp_lasterror(text, sizeof text);
    std::fprintf(stderr, "netvo_bench: %s failed: %s\n", what, text);
    return 1;
}

std::vector<std::string> ReadNames(const char* path)
{
    std::vector<std::string> names;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            names.push_back(line);
    return names;
}

std::string Folder(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

const char* Env(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: netvo_bench HOST:PORT get|put|getmany|putmany ARGS...\n");
        return 2;
    }
    const std::string job = argv[2];
    const std::string server = argv[1];
    const size_t colon = server.rfind(':');
    const std::string host = server.substr(0, colon);
    const int port = colon == std::string::npos ? 21 : std::atoi(server.c_str() + colon + 1);
    const bool tls = std::string(Env("NETVO_BENCH_TLS", "0")) == "1";
    const int handle = ftp_opensecure(host.c_str(), port, tls ? NETVO_SECURE_EXPLICIT : NETVO_SECURE_NONE);
    if (handle <= 0)
        return Fail("connect");
    if (ftp_relogin(handle, Env("NETVO_BENCH_USER", "anonymous"), Env("NETVO_BENCH_PASS", "bench"), "") != 0)
        return Fail("login");
    if (ftp_setbinary(handle) != 0 || ftp_SetPassive(handle, 1) != 0)
        return Fail("setup");
    if (tls && ftp_getsecurity(handle) != 2) {
        std::fprintf(stderr, "netvo_bench: the data connections are not protected\n");
        return 1;
    }

    int rc = 0;
    if (job == "get") {
        rc = ftp_get(handle, argv[3], argv[4]);
    } else if (job == "put") {
        const std::string folder = Folder(argv[4]);
        if (!folder.empty())
            ftp_mkdir(handle, folder.c_str());  // may exist already
        rc = ftp_put(handle, argv[3], argv[4]);
    } else if ((job == "getmany" || job == "putmany") && argc >= 6) {
        const std::vector<std::string> names = ReadNames(argv[5]);
        if (job == "getmany") {
            if (ftp_cd(handle, argv[3]) != 0 || ftp_SetLocalPath(handle, argv[4]) != 0)
                return Fail("cd");
            for (const std::string& name : names)
                if ((rc = ftp_get(handle, name.c_str(), name.c_str())) != 0)
                    break;
        } else {
            ftp_mkdir(handle, argv[4]);
            if (ftp_cd(handle, argv[4]) != 0 || ftp_SetLocalPath(handle, argv[3]) != 0)
                return Fail("cd");
            for (const std::string& name : names)
                if ((rc = ftp_put(handle, name.c_str(), name.c_str())) != 0)
                    break;
        }
    } else {
        std::fprintf(stderr, "netvo_bench: unknown job %s\n", job.c_str());
        return 2;
    }
    if (rc != 0)
        return Fail(job.c_str());
    ftp_quit(handle);
    return 0;
}
