// Streams: a transfer the caller drives piece by piece (open, read or write,
// close). One per handle.
#pragma once

#include "DataConnection.h"
#include "LineEnds.h"
#include "Session.h"

#include <string>

namespace netvo {

enum class StreamKind { List, NameList, Get, Put, Append };

struct Stream {
    DataConnection dc;
    std::string command;
    bool writing = false;
    bool convert = false;  // CRLF <-> LF
    bool listing = false;  // LIST or NLST: bounded by kMaxListingBytes
    bool atEnd = false;
    long long done = 0;
    AsciiDecoder decoder;
    AsciiEncoder encoder;
    std::string pending;  // converted bytes not yet handed out
};

int OpenStream(Session& s, StreamKind kind, const char* remote);
// Bytes read, 0 at the end, or a negative code.
int ReadStream(Session& s, char* buffer, int size);
// `size` on success, or a negative code.
int WriteStream(Session& s, const char* buffer, int size);
// Reads the final reply; before the end of a read this aborts the transfer.
int CloseStream(Session& s, bool writing);

}  // namespace netvo
