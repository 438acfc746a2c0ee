// Disk space reserved ahead of a download whose size the server announced.
#pragma once

namespace netvo {

// Reserves [from, to) of an open file beyond its current end (the file's
// size does not change), so that the file system allocates the download in
// one piece instead of page by page: less fragmentation and less CPU per
// byte written. Small downloads, sizes the disk cannot hold and file
// systems without fallocate get no reservation; the download then proceeds
// as usual. Whatever is left beyond the file's end when the object goes
// away (the server sent less than announced, the transfer failed) is given
// back, so a wrong size from a server never costs disk space, and the
// file's size always equals the bytes received, which is what a resume
// relies on.
class Preallocation {
public:
    Preallocation(int fd, long long from, long long to);
    ~Preallocation();
    Preallocation(const Preallocation&) = delete;
    Preallocation& operator=(const Preallocation&) = delete;

private:
    void Release();

    int m_fd = -1;
};

}  // namespace netvo
