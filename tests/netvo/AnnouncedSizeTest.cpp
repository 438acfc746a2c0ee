// Downloads whose size the server names when it opens the transfer: space
// is reserved ahead, but a file never keeps more than the bytes it received,
// whatever the server named, and progress counts to the file's size.
#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace netvotest;
namespace fs = std::filesystem;

constexpr long long kMiB = 1024 * 1024;

// Disk space the file holds, beyond its size only by block rounding.
::testing::AssertionResult HoldsOnlyItsBytes(const fs::path& path)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return ::testing::AssertionFailure() << path << " is missing";
    const long long allocated = static_cast<long long>(st.st_blocks) * 512;
    if (allocated > st.st_size + 64 * 1024)
        return ::testing::AssertionFailure() << path << " holds " << allocated << " bytes for " << st.st_size;
    return ::testing::AssertionSuccess();
}

class AnnouncedSize : public FtpTest {};

TEST_F(AnnouncedSize, RightWrongAndImpossibleSizesGiveTheExactFile)
{
    const std::string data = BinaryData(3 * kMiB, 21);
    WriteFile(Remote("f.bin"), data);
    const struct {
        long long announced;  // -1: the real size
        const char* local;
    } cases[] = {
        {-1, "real.bin"},
        {256 * kMiB, "more.bin"},     // far more than the server sends
        {1LL << 62, "huge.bin"},      // more than any disk holds
        {kMiB, "less.bin"},           // less than it sends
    };
    for (const auto& c : cases) {
        if (c.announced < 0)
            srv.AnnounceRealSize();
        else
            srv.AnnounceSize(c.announced);
        ASSERT_EQ(ftp_get(h, "f.bin", c.local), 0) << c.local << ": " << LastError();
        EXPECT_TRUE(SameBytes(ReadFile(Local(c.local)), data)) << c.local;
        EXPECT_TRUE(HoldsOnlyItsBytes(Local(c.local)));
    }
}

TEST_F(AnnouncedSize, DroppedDownloadKeepsOnlyWhatArrivedAndResumes)
{
    const std::string data = BinaryData(4 * kMiB, 22);
    WriteFile(Remote("d.bin"), data);
    srv.AnnounceRealSize();
    srv.DropAfterBytes("RETR", kMiB);
    EXPECT_NE(ftp_get(h, "d.bin", "d.bin"), 0);
    // The size is what a resume starts from: no reserved tail may count.
    EXPECT_EQ(static_cast<long long>(fs::file_size(Local("d.bin"))), kMiB);
    EXPECT_TRUE(HoldsOnlyItsBytes(Local("d.bin")));
    ASSERT_EQ(ftp_relogin(h, srv.User().c_str(), srv.Password().c_str(), ""), 0) << LastError();
    ASSERT_EQ(ftp_RestartGet(h, "d.bin", "d.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Local("d.bin")), data));
}

std::atomic<long long> g_maxTotal{0};
std::atomic<bool> g_doneBeyondTotal{false};

// Slow enough that every piece of the transfer reaches the hook.
int RecordingHook(int, long long done, long long total, int, void*)
{
    g_maxTotal = std::max(g_maxTotal.load(), total);
    if (total >= 0 && done > total)
        g_doneBeyondTotal = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    return 0;
}

TEST_F(AnnouncedSize, ProgressOfAResumedGetCountsToTheFileSize)
{
    const std::string data = BinaryData(2 * kMiB, 23);
    WriteFile(Remote("r.bin"), data);
    netvo_setwaithook(RecordingHook, nullptr);
    // A late opening reply gets the hook going before the data flows.
    srv.DelayReplies("RETR", 0.2);
    const struct {
        long long announced;  // -1: the whole file's size, as most servers name it
        long long offset;
    } cases[] = {
        {-1, kMiB / 2},
        {kMiB / 2, 3 * kMiB / 2},  // a server naming what is left, below the offset
    };
    for (const auto& c : cases) {
        WriteFile(Local("r.bin"), data.substr(0, static_cast<size_t>(c.offset)));
        if (c.announced < 0)
            srv.AnnounceRealSize();
        else
            srv.AnnounceSize(c.announced);
        g_maxTotal = 0;
        g_doneBeyondTotal = false;
        ASSERT_EQ(ftp_RestartGet(h, "r.bin", "r.bin"), 0) << LastError();
        EXPECT_TRUE(SameBytes(ReadFile(Local("r.bin")), data));
        EXPECT_EQ(g_maxTotal.load(), 2 * kMiB) << "offset " << c.offset;
        EXPECT_FALSE(g_doneBeyondTotal.load()) << "offset " << c.offset;
    }
    netvo_setwaithook(nullptr, nullptr);
}

}  // namespace
