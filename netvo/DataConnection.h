// Data connections, passive (EPSV, then PASV) or active (EPRT/PORT), and the
// command sequence around them: open, send the command, expect 1xx, transfer,
// close, read the final reply.
#pragma once

#include "Session.h"
#include "Tls.h"

#include <memory>
#include <string>

namespace netvo {

class DataConnection {
public:
    int Fd() const { return m_data.Get(); }
    // The server answered the command with a final 2xx at once: no data.
    bool Completed() const { return m_completed; }
    const Reply& Preliminary() const { return m_preliminary; }
    // Null on a clear-text data connection.
    Tls* TlsLayer() const { return m_tls.get(); }

    // Reads up to `size` bytes: > 0 bytes, 0 at the end, or a negative code.
    long Receive(char* buffer, size_t size, Op& op);
    // Sends all of `data`: 0 or a code.
    int Send(const char* data, size_t size, Op& op);

private:
    friend int OpenDataCommand(Session&, Op&, const std::string&, long long, DataConnection&);
    friend int CloseDataCommand(Session&, Op&, DataConnection&);
    friend int AbortDataCommand(Session&, Op&, DataConnection&, int);

    // Ends TLS (close_notify, bounded) and closes the socket; after an
    // upload (`drain`) reads until the server's end first, as closing with
    // its unread TLS messages (session tickets) queued would reset the
    // connection and could cost the server the file's last bytes.
    void CloseData(Op& op, bool drain);

    netvo::Fd m_data;
    std::unique_ptr<Tls> m_tls;
    netvo::Fd m_listen;
    bool m_completed = false;
    Reply m_preliminary;
};

// The server's passive address: EPSV (unless refused before), else PASV.
// The host is always the control connection's peer.
int RequestPassive(Session& s, Op& op, Address& out);
// Tells the server to connect to `target` (EPRT for IPv6, PORT for IPv4).
int SendPort(Session& s, Op& op, const Address& target);

// Sends "REST offset" when offset > 0: 0 when the server takes it.
int SendRest(Session& s, Op& op, long long offset);
// Sends ABOR and reads what answers it, each read bounded by two seconds
// (at most the receive timeout): one reply, and a second only when the
// first was a failed transfer's (4xx, 5xx). When a reply may still be owed
// (none came in time, or the first was a 226 that may be followed by
// another) the connection stays open and the next command first brings the
// reply stream back in step. False when the server sent nothing at all.
bool AbortAndDrain(Session& s, const Op& op);

// Sets up the data connection, sends "REST rest" when rest > 0, then the
// command, and reads the 1xx reply (accepting the server's connection in
// active mode). On failure everything is closed and the code returned.
int OpenDataCommand(Session& s, Op& op, const std::string& command, long long rest, DataConnection& dc);
// Closes the data connection and reads the final reply: 0 for 2xx.
int CloseDataCommand(Session& s, Op& op, DataConnection& dc);
// Closes the data connection and, unless the transfer's final reply has
// already arrived, sends ABOR and drains the replies with a short bound so
// the control connection stays usable. Returns `reason`.
int AbortDataCommand(Session& s, Op& op, DataConnection& dc, int reason);


}  // namespace netvo
