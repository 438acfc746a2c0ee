#include "Stream.h"

#include <algorithm>

StreamResult CopyStream(IStream& source, IStream* target, std::uint64_t size, std::uint64_t* read,
                        std::uint64_t* written)
{
    std::uint64_t totalRead = 0;
    std::uint64_t totalWritten = 0;
    StreamResult result = kStreamOk;
    char buffer[2048];
    std::uint64_t left = size;
    while (left != 0) {
        const auto ask = static_cast<std::uint32_t>(std::min<std::uint64_t>(sizeof buffer, left));
        std::uint32_t got = 0;
        const StreamResult rc = source.Read(buffer, ask, &got);
        if (StreamFailed(rc)) {
            result = rc;
            break;
        }
        if (rc != kStreamOk || got == 0)
            break;
        totalRead += got;
        left -= got;
        std::uint32_t put = 0;
        const StreamResult wc = target ? target->Write(buffer, got, &put) : kStreamWriteFault;
        if (wc != kStreamOk || put != got) {
            // A short write loses bytes as surely as a failed one.
            totalWritten += put;
            result = StreamFailed(wc) ? wc : kStreamWriteFault;
            break;
        }
        totalWritten += put;
    }
    if (read)
        *read = totalRead;
    if (written)
        *written = totalWritten;
    return result;
}
