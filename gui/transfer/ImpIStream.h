// CImpIStream: one file on an FTP server as a stream, read through the
// library's get stream or written through its put stream. While it is open
// the session counts as busy, so that nothing else (a keep-alive NOOP, a
// rendering for another program) talks on the handle in between.
#pragma once

#include "Stream.h"

#include <string>

class CImpIStream final : public IStream {
public:
    CImpIStream();
    ~CImpIStream() override;
    CImpIStream(const CImpIStream&) = delete;
    CImpIStream& operator=(const CImpIStream&) = delete;

    // Opens `remote` on the session of `handle` for reading, or for writing
    // (`append` nonzero appends). Nonzero when open in that mode; a failure
    // is reported in the message pane with the library's reason.
    int Open(const std::string& remote, int handle, bool bWrite, int append);
    bool IsOpen() const { return m_bReadOpen || m_bWriteOpen; }

    StreamResult QueryInterface(const StreamIid& iid, void** out) override;
    long AddRef() override;
    long Release() override;
    StreamResult Read(void* buffer, std::uint32_t size, std::uint32_t* read) override;
    StreamResult Write(const void* buffer, std::uint32_t size, std::uint32_t* written) override;
    StreamResult Seek(std::int64_t offset, int origin, std::uint64_t* position) override;
    StreamResult SetSize(std::uint64_t size) override;
    StreamResult CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read, std::uint64_t* written) override;
    StreamResult Commit(std::uint32_t flags) override;
    StreamResult Revert() override;
    StreamResult LockRegion(std::uint64_t offset, std::uint64_t size, std::uint32_t type) override;
    StreamResult UnlockRegion(std::uint64_t offset, std::uint64_t size, std::uint32_t type) override;
    StreamResult Stat(StreamStat* stat, std::uint32_t flags) override;
    StreamResult Clone(IStream** out) override;

private:
    // Ends the open transfer; the library's result (0 when it completed).
    int CloseTransfer();

    int m_nFtpHandle = 0;
    long m_nRefCount = 1;
    bool m_bWriteOpen = false;
    bool m_bReadOpen = false;
    std::int64_t m_nBytesRead = 0;
    bool m_bFailed = false;  // a read or write failed: nothing more is passed on
    std::string m_strRemote;
};
