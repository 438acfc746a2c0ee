// Server-to-server copies over TLS-protected data connections. Between two
// servers neither is the TLS client of the data connection unless one is
// told to be: with SSCN ON, the server that connects out starts the
// handshake and the listening one stays the TLS server it always is.
#pragma once

#include "Session.h"

namespace netvo {

// 0 when both or neither of the two protect their data connections;
// otherwise NETVO_E_TLS, recorded on the protected side: a TLS end and a
// clear one cannot meet, and lowering protection behind the user's back is
// not an option.
int CheckCopyProtection(Session& src, Session& dest);

// Makes one server the TLS client of its data connections for one copy
// and puts it back when the copy ends, however it ends: the server must be
// the TLS server again for the handle's own transfers, where this library
// is the client.
class TlsClientRole {
public:
    TlsClientRole() = default;
    ~TlsClientRole() { Release(); }
    TlsClientRole(const TlsClientRole&) = delete;
    TlsClientRole& operator=(const TlsClientRole&) = delete;

    // SSCN ON, asked only of a server whose FEAT lists SSCN. 0 with
    // `accepted` telling whether it agreed (a refusal is no failure: the
    // other server may agree), or a code when the connection broke.
    int Take(Session& s, Op& op, bool& accepted);
    // SSCN OFF, when Take succeeded. Keeps the last reply and error as the
    // copy left them. A server that does not agree has its connection
    // closed: every later protected transfer would fail in a handshake
    // between two clients, which tells the user nothing.
    void Release();

private:
    Session* m_session = nullptr;
};

}  // namespace netvo
