// What a server's claims may cost this machine: the names of an mget are
// held in bounded memory, and the disk space reserved for an announced size
// grows only with the data that arrives and never takes the last free space.
#include "Preallocation.h"
#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace netvotest;
using netvo::Preallocation;
namespace fs = std::filesystem;

constexpr long long kMiB = 1024 * 1024;
constexpr long long kGiB = 1024 * kMiB;

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"); -1 if missing.
long long StatusBytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stoll(line.substr(field.size() + 1)) * 1024;
    return -1;
}

// Starts counting the peak resident size from now; false where not possible.
bool ResetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return clear.good() && StatusBytes("VmHWM") >= 0;
}

TEST(Reservation, StepsFollowTheDataAndLeaveTheMarginFree)
{
    const long long step = Preallocation::kStep;
    const long long disk = 100 * kGiB;  // margin: 5 GiB, 5% of it
    const long long plenty = 50 * kGiB;
    const struct {
        const char* what;
        long long written, reservedEnd, end, free, disk;
        long long expected;
    } cases[] = {
        {"first step of a huge announcement", 0, 0, 1LL << 40, plenty, disk, step},
        {"more announced than the disk holds", 0, 0, 1LL << 50, plenty, disk, step},
        {"not due while far from the reserved end", 10 * kMiB, step, 1LL << 40, plenty, disk, 0},
        {"due near the reserved end", step - 10 * kMiB, step, 1LL << 40, plenty, disk, step},
        {"the data ran past the reserved end", step + kMiB, step, 1LL << 40, plenty, disk, step},
        {"never past the announced end", 0, 0, 10 * kMiB, plenty, disk, 10 * kMiB},
        {"a tail under 1 MiB completes the file", step - kMiB, step, step + 1000, plenty, disk, 1000},
        {"all of it reserved", 2 * step, 2 * step, 2 * step, plenty, disk, 0},
        {"only what is free above the margin", 0, 0, 1LL << 40, 5 * kGiB + 10 * kMiB, disk, 10 * kMiB},
        {"nothing at the margin", 0, 0, 1LL << 40, 5 * kGiB, disk, 0},
        {"nothing below it", 0, 0, 1LL << 40, 3 * kGiB, disk, 0},
        {"a small disk keeps 1 GiB", 0, 0, 1LL << 40, kGiB + 2 * kMiB, 10 * kGiB, 2 * kMiB},
        {"no crumbs under 1 MiB", 0, 0, 1LL << 40, kGiB + kMiB / 2, 10 * kGiB, 0},
    };
    for (const auto& c : cases) {
        const long long got = netvo::NextReservation(c.written, c.reservedEnd, c.end, c.free, c.disk);
        EXPECT_EQ(got, c.expected) << c.what;
        EXPECT_LE(got, std::max(0LL, c.free - netvo::FreeMargin(c.disk))) << c.what;
    }
}

class Bounded : public FtpTest {};

TEST_F(Bounded, HugeNameListingEndsAtTheCapInBoundedMemory)
{
    // 5 million names of 15 bytes: more names than the cap, more text than
    // 64 MiB, nothing on disk.
    srv.HugeListing(5000000);
    const bool measured = ResetPeakMemory();
    const long long before = StatusBytes("VmRSS");
    EXPECT_EQ(ftp_mget(h, "*"), NETVO_E_PROTOCOL);
    const long long peak = StatusBytes("VmHWM");
    EXPECT_NE(LastError().find("NLST: the listing has more than 1000000 names; mget stops there"), std::string::npos)
        << LastError();
    if (measured) {
        EXPECT_LT(peak - before, 64 * kMiB) << "peak resident size grew by " << (peak - before) / kMiB << " MiB";
    }
    for (const std::string& c : srv.Commands()) {
        EXPECT_NE(c.rfind("RETR", 0), 0u) << c;
    }
    // The listing was cut off cleanly: the connection still serves.
    srv.HugeListing(0);
    EXPECT_EQ(ftp_noop(h), 0) << LastError();
}

TEST_F(Bounded, ListingWithoutEndIsCutOffAtItsCap)
{
    // About 290 MiB of LIST lines, read as the script's dir reads them.
    srv.HugeListing(4000000);
    ASSERT_EQ(ftp_openreadfordir(h, ""), 0) << LastError();
    std::vector<char> buffer(1 << 16);
    long long total = 0;
    int n;
    while ((n = ftp_readdata(h, buffer.data(), static_cast<int>(buffer.size()))) > 0)
        total += n;
    EXPECT_EQ(n, NETVO_E_PROTOCOL);
    EXPECT_LE(total, 256 * kMiB);
    EXPECT_NE(LastError().find("LIST: the listing is larger than 256 MiB"), std::string::npos) << LastError();
    srv.HugeListing(0);
    EXPECT_EQ(ftp_noop(h), 0) << LastError();
}

std::atomic<long long> g_maxBeyondSize{0};
std::string g_watched;

// Called while the download waits for data: how far the file's disk space
// reaches beyond its bytes (the reservation) right now.
int WatchReservation(int, long long, long long, int, void*)
{
    struct stat st{};
    if (::stat(g_watched.c_str(), &st) == 0)
        g_maxBeyondSize = std::max(g_maxBeyondSize.load(), static_cast<long long>(st.st_blocks) * 512 - st.st_size);
    return 0;
}

// Whether a reservation of a step or two can be made in `dir` at all.
bool CanReserve(const fs::path& dir)
{
    struct statvfs vfs{};
    if (::statvfs(dir.c_str(), &vfs) != 0)
        return false;
    const long long block = static_cast<long long>(vfs.f_frsize);
    const long long free = static_cast<long long>(vfs.f_bavail) * block;
    if (free - netvo::FreeMargin(static_cast<long long>(vfs.f_blocks) * block) < 4 * Preallocation::kStep)
        return false;
    const fs::path probe = dir / "probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const bool ok = fd >= 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, kMiB) == 0;
    if (fd >= 0)
        ::close(fd);
    fs::remove(probe);
    return ok;
}

TEST_F(Bounded, AnnouncedSizeIsReservedStepByStepAsDataArrives)
{
    const std::string data = BinaryData(static_cast<size_t>(5 * kMiB / 8), 31);
    WriteFile(Remote("slow.bin"), data);
    const bool canReserve = CanReserve(local.Path());
    // Half a MiB, then a pause of a second or two, then the rest: the
    // announcement comes all at once, the data does not.
    srv.Throttle(kMiB / 4);
    netvo_setwaithook(WatchReservation, nullptr);
    for (long long announced : {512 * kMiB, 1LL << 50 /* more than any disk */}) {
        srv.AnnounceSize(announced);
        g_watched = Local("slow.bin").string();
        g_maxBeyondSize = 0;
        ASSERT_EQ(ftp_get(h, "slow.bin", "slow.bin"), 0) << LastError();
        EXPECT_TRUE(SameBytes(ReadFile(Local("slow.bin")), data));
        EXPECT_LE(g_maxBeyondSize.load(), Preallocation::kStep + kMiB) << announced;
        // The reservation itself stays for real downloads.
        if (canReserve) {
            EXPECT_GE(g_maxBeyondSize.load(), Preallocation::kStep / 2) << announced;
        }
        struct stat st{};
        ASSERT_EQ(::stat(Local("slow.bin").c_str(), &st), 0);
        EXPECT_LE(static_cast<long long>(st.st_blocks) * 512, st.st_size + 64 * 1024) << "not given back";
    }
    netvo_setwaithook(nullptr, nullptr);
}

}  // namespace
