// Feeds arbitrary bytes to the reply framer (in pieces, as a socket would
// deliver them) and to every reply value parser.
#include "ReplyParser.h"

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);

    // The first byte picks the piece size, so splits land everywhere.
    size_t piece = size ? (data[0] % 64) + 1 : 1;
    netvo::ReplyFramer framer;
    netvo::Reply reply;
    for (size_t off = 0; off < size; off += piece) {
        size_t n = std::min(piece, size - off);
        framer.Append(input.data() + off, n);
        netvo::ReplyFramer::Status st;
        while ((st = framer.Next(reply)) == netvo::ReplyFramer::Status::Ready) {
            std::string text = reply.Text();
            netvo::ParsePasv(text);
            netvo::ParseEpsv(text);
            netvo::ParsePwd(text);
            netvo::ParseMdtm(text);
            netvo::ParseSize(text);
            netvo::ParseTransferSize(text);
            netvo::ParseFeatures(reply);
            if (reply.code < 100 || reply.code > 599 || reply.lines.empty())
                __builtin_trap();
        }
        if (st == netvo::ReplyFramer::Status::Error)
            break;
    }

    netvo::ParsePasv(input);
    netvo::ParseEpsv(input);
    netvo::ParsePwd(input);
    netvo::ParseMdtm(input);
    netvo::ParseSize(input);
    netvo::ParseTransferSize(input);
    return 0;
}
