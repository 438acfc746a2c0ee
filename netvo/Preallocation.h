// Disk space reserved ahead of a download whose size the server announced.
#pragma once

namespace netvo {

// Reserves space of an open file beyond its current end (the file's size
// does not change), so that the file system allocates the download in a few
// large pieces instead of page by page: less fragmentation and less CPU per
// byte written.
//
// The announced size is only a claim: a server could name a terabyte and
// then send slowly, or never. So the space is reserved in steps as the data
// arrives, each step only when the written end comes near the reserved end,
// and never into the last free space of the disk (see NextReservation).
// Small downloads and file systems without fallocate get no reservation; the
// download then proceeds as usual. Whatever is left beyond the file's end
// when the object goes away (the server sent less than announced, the
// transfer failed) is given back, so a wrong size from a server never costs
// disk space, and the file's size always equals the bytes received, which
// is what a resume relies on.
class Preallocation {
public:
    // [from, to): where the download starts in the file and the end the
    // server announced.
    Preallocation(int fd, long long from, long long to);
    ~Preallocation();
    Preallocation(const Preallocation&) = delete;
    Preallocation& operator=(const Preallocation&) = delete;

    // The file now holds the download up to `written`: reserves the next
    // step when it is due. Cheap when none is.
    void Advance(long long written);

    static constexpr long long kStep = 64LL * 1024 * 1024;
    static constexpr long long kAhead = 16LL * 1024 * 1024;  // next step when this close
    static constexpr long long kMinimumReservation = 1024 * 1024;

private:
    void Release();

    int m_fd = -1;
    bool m_reserving = false;    // further steps may be reserved
    bool m_reservedAny = false;  // something may lie beyond the file's end
    long long m_reservedEnd = 0;
    long long m_end = 0;
};

// The rule of the steps, apart from the file system for its tests: how many
// bytes to reserve from `reservedEnd` on, with the download written up to
// `written`, the announced end `end`, and the disk holding `diskBytes` with
// `freeBytes` free for this process. Nothing until the written end is within
// kAhead of the reserved end; then up to kStep, never past the announced
// end, and never so much that less than the free margin stays free:
// max(1 GiB, 5% of the disk), which belongs to the other programs.
long long NextReservation(long long written, long long reservedEnd, long long end, long long freeBytes,
                          long long diskBytes);
long long FreeMargin(long long diskBytes);

}  // namespace netvo
