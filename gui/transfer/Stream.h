// The stream interface that file contents travel through inside Tavo: a
// file on a server (CImpIStream) or on the local disk (CIStreamFile) is
// read or written as a sequence of bytes, with reference counting so that
// whoever holds the last reference closes it. The operations and their
// order are those of the desktop's stream interface that other programs
// of the same family know.
#pragma once

#include <cstdint>

using StreamResult = std::int32_t;

inline constexpr StreamResult kStreamOk = 0;
// Read: no byte was delivered because the data ended.
inline constexpr StreamResult kStreamFalse = 1;
inline constexpr StreamResult kStreamNoInterface = static_cast<StreamResult>(0x80004002u);
// The data could not be read or written: never the end of the data.
inline constexpr StreamResult kStreamReadFault = static_cast<StreamResult>(0x8003001Eu);
inline constexpr StreamResult kStreamWriteFault = static_cast<StreamResult>(0x8003001Du);

inline bool StreamFailed(StreamResult result)
{
    return result < 0;
}

struct StreamIid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
    bool operator==(const StreamIid&) const = default;
};

inline constexpr StreamIid kIidUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr StreamIid kIidStream{0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Seek origins.
enum StreamSeek : int { kSeekSet = 0, kSeekCur = 1, kSeekEnd = 2 };

struct StreamStat {
    std::uint64_t size = 0;
};

class IStream {
public:
    virtual StreamResult QueryInterface(const StreamIid& iid, void** out) = 0;
    virtual long AddRef() = 0;
    virtual long Release() = 0;
    // `read`, when given, receives the bytes delivered. kStreamOk with bytes,
    // kStreamFalse at the end, a fault when reading failed.
    virtual StreamResult Read(void* buffer, std::uint32_t size, std::uint32_t* read) = 0;
    // `written`, when given, receives the bytes that really went out.
    virtual StreamResult Write(const void* buffer, std::uint32_t size, std::uint32_t* written) = 0;
    virtual StreamResult Seek(std::int64_t offset, int origin, std::uint64_t* position) = 0;
    virtual StreamResult SetSize(std::uint64_t size) = 0;
    // Copies up to `size` bytes into `target`. Whatever stopped the copy
    // short of the size or the end of the data is its result.
    virtual StreamResult CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read, std::uint64_t* written) = 0;
    // Completes what was written: the upload or the local file is closed
    // and its result is the result. Nothing written is complete before.
    virtual StreamResult Commit(std::uint32_t flags) = 0;
    virtual StreamResult Revert() = 0;
    virtual StreamResult LockRegion(std::uint64_t offset, std::uint64_t size, std::uint32_t type) = 0;
    virtual StreamResult UnlockRegion(std::uint64_t offset, std::uint64_t size, std::uint32_t type) = 0;
    virtual StreamResult Stat(StreamStat* stat, std::uint32_t flags) = 0;
    virtual StreamResult Clone(IStream** out) = 0;
    virtual ~IStream() = default;
};

// CopyTo for both kinds: 2048 bytes at a time.
StreamResult CopyStream(IStream& source, IStream* target, std::uint64_t size, std::uint64_t* read,
                        std::uint64_t* written);
