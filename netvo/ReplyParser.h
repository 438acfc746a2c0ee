// Parsing of server replies: framing of (multi-line) replies from the byte
// stream and the parsers for the reply texts the client reads values from.
// Pure functions and a buffer; no sockets, so everything here is unit-tested
// and fuzzed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace netvo {

struct Reply {
    int code = 0;
    std::vector<std::string> lines;  // without line ends, code included

    std::string Text() const;        // lines joined with "\r\n"
    bool Preliminary() const { return code >= 100 && code < 200; }
};

// Cuts complete replies out of the control connection's byte stream.
class ReplyFramer {
public:
    static constexpr size_t kMaxLine = 64 * 1024;
    static constexpr size_t kMaxReply = 4 * 1024 * 1024;

    enum class Status { NeedMore, Ready, Error };

    void Append(const char* data, size_t size) { m_buffer.append(data, size); }
    // Ready: one reply moved into `out` and removed from the buffer.
    // Error: the stream is not FTP (bad code, line or reply too long); the
    // framer is unusable until Reset.
    Status Next(Reply& out);
    bool Empty() const { return m_buffer.empty(); }
    void Reset();

private:
    std::string m_buffer;
    size_t m_lineStart = 0;  // start of the first line not yet taken into m_pending
    Reply m_pending;
    bool m_inReply = false;
    size_t m_pendingBytes = 0;
};

// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)": the address and port.
struct PasvAddress {
    std::string host;  // dotted quad
    int port = 0;
};
std::optional<PasvAddress> ParsePasv(std::string_view text);
// "229 Entering Extended Passive Mode (|||port|)": the port.
std::optional<int> ParseEpsv(std::string_view text);
// "257 "/a ""quoted"" dir" is current": the folder.
std::optional<std::string> ParsePwd(std::string_view text);
// "213 20240131123456[.123]": the 14 digits, only when they name a real
// moment (a valid month, day, hour, minute and second).
std::optional<std::string> ParseMdtm(std::string_view text);
// "213 12345": the size.
std::optional<int64_t> ParseSize(std::string_view text);
// "150 Opening BINARY mode data connection for a (1234 bytes)": the size.
std::optional<int64_t> ParseTransferSize(std::string_view text);

struct Features {
    bool mlst = false;
    // Not from FEAT: the client asked for the MLSx facts it reads (OPTS
    // MLST) on this login; a new login parses FEAT afresh and clears it.
    bool mlstFactsChosen = false;
    bool size = false;
    bool mdtm = false;
    bool restStream = false;
    bool epsv = false;
    bool utf8 = false;
    bool sscn = false;  // may be the TLS client of a data connection
};
// The lines of a 211 FEAT reply.
Features ParseFeatures(const Reply& reply);

}  // namespace netvo
