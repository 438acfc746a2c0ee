// CIStreamFile: one local file as a stream.
#pragma once

#include "Stream.h"

#include <string>

class CIStreamFile final : public IStream {
public:
    // Open flags, as the framework's file class has them.
    enum : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        modeCreate = 0x1000,  // create, or empty an existing file
    };

    CIStreamFile();
    ~CIStreamFile() override;
    CIStreamFile(const CIStreamFile&) = delete;
    CIStreamFile& operator=(const CIStreamFile&) = delete;

    // Nonzero when the file is open.
    int Open(const std::string& path, unsigned flags);
    bool IsOpen() const { return m_fd >= 0; }

    StreamResult QueryInterface(const StreamIid& iid, void** out) override;
    long AddRef() override;
    long Release() override;
    StreamResult Read(void* buffer, std::uint32_t size, std::uint32_t* read) override;
    StreamResult Write(const void* buffer, std::uint32_t size, std::uint32_t* written) override;
    StreamResult Seek(std::int64_t offset, int origin, std::uint64_t* position) override;
    StreamResult SetSize(std::uint64_t size) override;
    StreamResult CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read, std::uint64_t* written) override;
    // Closes the file; a failing close (a full disk noticed late) is a fault.
    StreamResult Commit(std::uint32_t flags) override;
    StreamResult Revert() override;
    StreamResult LockRegion(std::uint64_t offset, std::uint64_t size, std::uint32_t type) override;
    StreamResult UnlockRegion(std::uint64_t offset, std::uint64_t size, std::uint32_t type) override;
    StreamResult Stat(StreamStat* stat, std::uint32_t flags) override;
    StreamResult Clone(IStream** out) override;

private:
    long m_nRefCount = 0;
    std::int64_t m_nBytesRead = 0;
    int m_fd = -1;
    std::string m_strPath;
};
