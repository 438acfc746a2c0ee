// The control connection: sends command lines and reads framed replies.
#pragma once

#include "ReplyParser.h"
#include "Socket.h"
#include "Tls.h"

#include <memory>
#include <string>
#include <string_view>

namespace netvo {

class ControlConnection {
public:
    // Preliminary (1xx) replies taken for one command, or 120s before the
    // greeting; real servers send one or two. More is a server that talks
    // without ever answering.
    static constexpr int kMaxPreliminary = 16;
    // Once a reply has begun, it must end within this many timeouts, however
    // steadily its bytes or lines keep coming.
    static constexpr int kReplyTimeouts = 2;

    // Connects to one of the addresses and reads the greeting (waiting past
    // a 120 for the 220). 0, NETVO_E_REFUSED (greeting not 220) or a code.
    // With `implicitTls`, TLS starts before the greeting (sent as SNI:
    // `serverName`).
    int Open(const std::vector<Address>& addresses, Op& op, bool implicitTls = false,
             const std::string& serverName = {});
    // Starts TLS on the open connection (after the server accepted AUTH TLS).
    // 0 or a code; Failure() says why.
    int StartTls(const std::string& serverName, Op& op);
    // The connection's TLS, null while it is plain.
    const Tls* TlsLayer() const { return m_tls.get(); }
    void Close();
    bool IsOpen() const { return m_fd.Valid(); }
    int Fd() const { return m_fd.Get(); }
    const Address& Peer() const { return m_peer; }
    const Address& Local() const { return m_local; }

    // Sends "line\r\n". Lines with CR or LF are refused (NETVO_E_BADARG).
    // Replies that arrived unasked before the command (left over from an
    // abort) are dropped first; when more may still come (SetUnsure), the
    // stream is brought back in step first (Resync).
    int Send(std::string_view line, Op& op);
    // Sends ABOR as it is: no dropping, no resync (it may be sent while a
    // transfer's reply is still owed).
    int SendAbort(Op& op);
    // Reads one reply (preliminary ones included). Closes the connection on
    // EOF, timeout, a stream that is not FTP, a reply that does not end in
    // time, or too many preliminary replies.
    int Read(Reply& reply, Op& op);
    // Reads one reply, waiting at most `bound` for it to begin; keeps the
    // connection open when nothing came (used while draining after an
    // abort).
    int ReadWithin(Reply& reply, Op& op, std::chrono::milliseconds bound);
    // Takes a complete reply that has already arrived, without waiting:
    // true and the reply, or false (nothing complete there, or the
    // connection broke, which closes it).
    bool TakeArrived(Reply& reply);
    // Send, then read replies until one that is not preliminary.
    int Command(std::string_view line, Reply& reply, Op& op);

    // After an abort whose replies did not all come (or may yet be followed
    // by another): the next command first sends NOOP and drops every reply
    // before the NOOP's 200.
    void SetUnsure() { m_unsure = true; }

    // Without sending anything: false when the server closed the connection
    // or announced it will (unsolicited 421).
    bool CheckAlive();
    // The same without taking anything from the connection (while a stream
    // is open its replies must stay): false when the server closed it.
    bool PeekAlive() const;

    const Reply& Last() const { return m_last; }
    void SetLast(Reply reply) { m_last = std::move(reply); }

    // Why the connection gave up when its code alone does not say ("the
    // server kept the reply going for more than 4 s"); empty otherwise.
    const std::string& Failure() const { return m_failure; }
    void ClearFailure() { m_failure.clear(); }

private:
    int ReadInto(Reply& reply, Op& op, std::chrono::milliseconds bound, bool closeOnTimeout);
    int SendLine(std::string_view line, Op& op);
    int Resync(Op& op);
    // Closes the connection, records why, returns code.
    int GiveUp(int code, std::string why);
    // Reads what is there without waiting (a bounded amount); false on EOF
    // or error.
    bool PullAvailable();
    void DiscardStale();
    // recv() or TLS: > 0 bytes, 0 at the end, -1 with errno (EAGAIN: wait
    // for WaitEvents()).
    long Receive(char* buffer, size_t size);
    short WaitEvents() const { return m_tls ? m_tls->Wanted() : POLLIN; }

    netvo::Fd m_fd;
    std::unique_ptr<Tls> m_tls;  // null while the connection is plain
    Address m_peer;
    Address m_local;
    ReplyFramer m_framer;
    Reply m_last;
    int m_preliminaries = 0;  // 1xx replies read since the last command
    bool m_unsure = false;
    std::string m_failure;
};

}  // namespace netvo
