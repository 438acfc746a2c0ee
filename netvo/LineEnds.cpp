#include "LineEnds.h"

#include <cstring>

namespace netvo {

size_t AsciiDecoder::Decode(const char* in, size_t size, char* out)
{
    size_t o = 0;
    size_t i = 0;
    if (m_pendingCr && size > 0) {
        m_pendingCr = false;
        if (in[0] != '\n') {
            // The held CR was a lone one. Writing it may overtake the input
            // when converting in place, so move the input up first.
            if (out == in) {
                std::memmove(out + 1, in, size);
                in = out + 1;
            }
            out[o++] = '\r';
        }
    }
    for (; i < size; ++i) {
        char c = in[i];
        if (c == '\r') {
            if (i + 1 == size) {
                m_pendingCr = true;
                break;
            }
            if (in[i + 1] == '\n')
                continue;  // the LF comes next and is written alone
        }
        out[o++] = c;
    }
    return o;
}

size_t AsciiDecoder::Finish(char* out)
{
    if (!m_pendingCr)
        return 0;
    m_pendingCr = false;
    out[0] = '\r';
    return 1;
}

void AsciiEncoder::Encode(const char* in, size_t size, std::string& out)
{
    out.reserve(out.size() + size + size / 16 + 1);
    for (size_t i = 0; i < size; ++i) {
        char c = in[i];
        if (c == '\n' && !m_lastCr)
            out += '\r';
        out += c;
        m_lastCr = c == '\r';
    }
}

}  // namespace netvo
