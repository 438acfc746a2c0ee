// TYPE A conversion, including CR LF pairs split across buffers.
#include "LineEnds.h"

#include <gtest/gtest.h>

namespace netvo {
namespace {

std::string DecodeInPieces(const std::string& wire, size_t piece)
{
    AsciiDecoder d;
    std::string out;
    for (size_t i = 0; i < wire.size(); i += piece) {
        std::string chunk = wire.substr(i, piece);
        chunk.reserve(chunk.size() + 1);
        std::vector<char> buf(chunk.begin(), chunk.end());
        buf.resize(chunk.size() + 1);
        size_t n = d.Decode(buf.data(), chunk.size(), buf.data());  // in place, as the transfer does
        out.append(buf.data(), n);
    }
    char tail;
    if (d.Finish(&tail))
        out += tail;
    return out;
}

std::string EncodeInPieces(const std::string& local, size_t piece)
{
    AsciiEncoder e;
    std::string out;
    for (size_t i = 0; i < local.size(); i += piece)
        e.Encode(local.data() + i, std::min(piece, local.size() - i), out);
    return out;
}

TEST(LineEnds, DecodesCrLfWhereverTheBufferSplits)
{
    struct Case {
        std::string wire, local;
    } cases[] = {
        {"a\r\nb\r\n", "a\nb\n"},
        {"lone\rcr\r", "lone\rcr\r"},
        {"\r\r\n\n", "\r\n\n"},
        {"x\r\n\r\n\r", "x\n\n\r"},
        {"", ""},
    };
    for (const Case& c : cases)
        for (size_t piece = 1; piece <= c.wire.size() + 1; ++piece)
            EXPECT_EQ(DecodeInPieces(c.wire, piece), c.local) << piece;
}

TEST(LineEnds, EncodesLfAndKeepsExistingCrLf)
{
    struct Case {
        std::string local, wire;
    } cases[] = {
        {"a\nb\n", "a\r\nb\r\n"},
        {"already\r\n", "already\r\n"},
        {"\n\n", "\r\n\r\n"},
        {"cr\ronly", "cr\ronly"},
    };
    for (const Case& c : cases)
        for (size_t piece = 1; piece <= c.local.size() + 1; ++piece)
            EXPECT_EQ(EncodeInPieces(c.local, piece), c.wire) << piece;
}

}  // namespace
}  // namespace netvo
