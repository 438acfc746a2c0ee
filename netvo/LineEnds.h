// TYPE A line-end conversion: CRLF on the wire, LF in local files. Both
// directions keep state so a CR LF pair split across buffers converts right.
#pragma once

#include <cstddef>
#include <string>

namespace netvo {

// Wire to local: CR LF becomes LF; a CR not followed by LF stays.
class AsciiDecoder {
public:
    // Converts `size` bytes at `in` into `out` (which may be `in`; needs
    // size + 1 bytes). Returns the bytes written.
    size_t Decode(const char* in, size_t size, char* out);
    // At the end of the data: a CR held back is written. Returns 0 or 1.
    size_t Finish(char* out);

private:
    bool m_pendingCr = false;
};

// Local to wire: LF becomes CR LF; a CR LF already there is kept as is.
class AsciiEncoder {
public:
    // Appends the converted bytes to `out`.
    void Encode(const char* in, size_t size, std::string& out);

private:
    bool m_lastCr = false;
};

}  // namespace netvo
