// How fast remote listings are read: the listing rules alone on 100,000
// synthetic lines of each style, then CDirFile end to end on a folder of
// 100,000 entries on the test-bed server (fetch and read timed apart).
//
//   dirfile_bench                       both parts, test-bed server
//   dirfile_bench rules                 the rules alone
//   dirfile_bench HOST:PORT USER PASS DIR
//                                       CDirFile on another server's folder
//
// Prints one line per measurement: what, lines, seconds, lines per second.
#include "DirFile.h"
#include "FtpSession.h"
#include "ListingClock.h"
#include "ListingRules.h"
#include "SessionRegistry.h"
#include "SessionTypes.h"
#include "TestFtpServer.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 100000;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void Report(const char* what, long long lines, double seconds)
{
    std::printf("%-34s %8lld lines %8.3f s %12.0f lines/s\n", what, lines, seconds,
                seconds > 0 ? static_cast<double>(lines) / seconds : 0.0);
}

std::vector<std::string> SyntheticLines(ListingRule style)
{
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::vector<std::string> lines;
    lines.reserve(kLines);
    char line[256];
    for (int i = 0; i < kLines; ++i) {
        const long long size = 1000LL * i + (i % 7 == 0 ? 5368709120LL : 0);
        const bool dir = i % 10 == 0;
        switch (style) {
        case ListingRule::Unix:
            if (i % 2 == 0)
                std::snprintf(line, sizeof line, "%s   1 owner    group    %10lld %s %2d %02d:%02d file %06d.dat",
                              dir ? "drwxr-xr-x" : "-rw-r--r--", size, kMonths[i % 12], i % 28 + 1, i % 24, i % 60, i);
            else
                std::snprintf(line, sizeof line, "%s   1 1000     1000     %10lld %s %2d  %d name with blanks %d",
                              dir ? "drwxr-xr-x" : "-rw-r--r--", size, kMonths[i % 12], i % 28 + 1, 1990 + i % 30, i);
            break;
        case ListingRule::Dos:
            std::snprintf(line, sizeof line, "F%07d %s %10s  %02d-%02d-%02d  %02d:%02d", i, "TXT",
                          dir ? "<DIR>" : std::to_string(size).c_str(), i % 12 + 1, i % 28 + 1, i % 100, i % 24,
                          i % 60);
            break;
        case ListingRule::Iis:
            std::snprintf(line, sizeof line, "%02d-%02d-%04d  %02d:%02d%s %20s long file name %d.iso", i % 12 + 1,
                          i % 28 + 1, 1990 + i % 35, i % 12 + 1, i % 60, i % 2 ? "AM" : "PM",
                          dir ? "<DIR>" : std::to_string(size).c_str(), i);
            break;
        }
        lines.emplace_back(line);
    }
    return lines;
}

void BenchRules()
{
    const std::time_t now = std::time(nullptr);
    const struct {
        ListingRule style;
        int osType;
        const char* label;
    } styles[] = {
        {ListingRule::Unix, OsUnix, "rules: unix"},
        {ListingRule::Dos, OsDos, "rules: dos"},
        {ListingRule::Iis, OsNt, "rules: iis"},
    };
    for (const auto& style : styles) {
        const std::vector<std::string> lines = SyntheticLines(style.style);
        long long check = 0;
        const Clock::time_point start = Clock::now();
        CListingClock clock(now);
        for (const std::string& line : lines) {
            ListingRule rule = ListingRule::Unix;
            const ListingEntry entry = ReadListingLine(line, style.osType, rule);
            check += entry.size + ListingEntryTime(entry, rule, clock) + static_cast<long long>(entry.name.size());
        }
        Report(style.label, static_cast<long long>(lines.size()), Seconds(start));
        if (check == 42)
            std::puts("");  // keeps the work from being optimised away
    }
}

// Lists `dir` through CDirFile on a logged-in session and reads every entry
// as the file list does.
int BenchDirFile(const std::string& hostPort, const std::string& user, const std::string& password,
                 const std::string& dir, int osType, const char* label)
{
    auto owned = std::make_unique<CSession>();
    owned->m_strName = "bench";
    CSession* session = g_AddSession(std::move(owned));
    if (session->Login(hostPort, user, password, "", false, true) != 0) {
        std::fprintf(stderr, "dirfile_bench: login to %s failed\n", hostPort.c_str());
        g_RemoveAllSessions();
        return 1;
    }
    session->SetPwd();
    session->m_nOSType = osType;

    long long lines = 0;
    long long totalSize = 0;
    double fetch = 0;
    double read = 0;
    {
        CDirFile listing(session->m_nFtpHandle);
        Clock::time_point start = Clock::now();
        if (!listing.CreateDir(dir)) {
            std::fprintf(stderr, "dirfile_bench: listing %s failed\n", dir.c_str());
            g_RemoveAllSessions();
            return 1;
        }
        fetch = Seconds(start);
        start = Clock::now();
        std::string line;
        while (listing.GetNextDir(line)) {
            ++lines;
            totalSize += listing.GetSize() + (listing.IsDir() ? 1 : 0) + (listing.GetTime() & 1)
                         + static_cast<long long>(listing.GetFileName().size());
        }
        read = Seconds(start);
    }
    const std::string fetchLabel = std::string(label) + ": fetch (server + network)";
    const std::string readLabel = std::string(label) + ": CDirFile read";
    Report(fetchLabel.c_str(), lines, fetch);
    Report(readLabel.c_str(), lines, read);
    if (totalSize == 42)
        std::puts("");
    g_RemoveAllSessions();
    return 0;
}

int BenchOnTestBed()
{
    testbed::TestFtpServer server;
    const std::filesystem::path folder = server.Root() / "many";
    std::filesystem::create_directories(folder);
    for (int i = 0; i < kLines; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, i % 3 == 0 ? "file %06d with blanks.txt" : "file%06d.dat", i);
        std::ofstream(folder / name) << i;
    }
    int rc = BenchDirFile(server.HostPort(), server.User(), server.Password(), "/many", OsUnix, "testbed unix");
    server.SetListStyle(testbed::ListStyle::Iis);
    rc |= BenchDirFile(server.HostPort(), server.User(), server.Password(), "/many", OsNt, "testbed iis");
    server.SetListStyle(testbed::ListStyle::Dos);
    rc |= BenchDirFile(server.HostPort(), server.User(), server.Password(), "/many", OsDos, "testbed dos");
    return rc;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5)
        return BenchDirFile(argv[1], argv[2], argv[3], argv[4], OsUnknown, "server");
    BenchRules();
    if (argc == 2 && std::strcmp(argv[1], "rules") == 0)
        return 0;
    return BenchOnTestBed();
}
