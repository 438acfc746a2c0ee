// The control connection: sends command lines and reads framed replies.
#pragma once

#include "ReplyParser.h"
#include "Socket.h"

#include <string>
#include <string_view>

namespace netvo {

class ControlConnection {
public:
    // Connects to one of the addresses and reads the greeting (waiting past
    // a 120 for the 220). 0, NETVO_E_REFUSED (greeting not 220) or a code.
    int Open(const std::vector<Address>& addresses, Op& op);
    void Close();
    bool IsOpen() const { return m_fd.Valid(); }
    int Fd() const { return m_fd.Get(); }
    const Address& Peer() const { return m_peer; }
    const Address& Local() const { return m_local; }

    // Sends "line\r\n". Lines with CR or LF are refused (NETVO_E_BADARG).
    // Replies that arrived unasked before the command (left over from an
    // abort) are dropped first.
    int Send(std::string_view line, Op& op);
    // Reads one reply (preliminary ones included). Closes the connection on
    // EOF, timeout or a stream that is not FTP.
    int Read(Reply& reply, Op& op);
    // Reads one reply, waiting at most `bound`; keeps the connection open on
    // a timeout (used while draining after an abort).
    int ReadWithin(Reply& reply, Op& op, std::chrono::milliseconds bound);
    // Send, then read replies until one that is not preliminary.
    int Command(std::string_view line, Reply& reply, Op& op);

    // Without sending anything: false when the server closed the connection
    // or announced it will (unsolicited 421).
    bool CheckAlive();

    const Reply& Last() const { return m_last; }
    void SetLast(Reply reply) { m_last = std::move(reply); }

private:
    int ReadInto(Reply& reply, Op& op, std::chrono::milliseconds bound, bool closeOnTimeout);
    // Reads what is there without waiting; false on EOF or error.
    bool PullAvailable();
    void DiscardStale();

    netvo::Fd m_fd;
    Address m_peer;
    Address m_local;
    ReplyFramer m_framer;
    Reply m_last;
};

}  // namespace netvo
