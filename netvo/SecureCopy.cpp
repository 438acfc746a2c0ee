#include "SecureCopy.h"

#include "Result.h"

namespace netvo {

int CheckCopyProtection(Session& src, Session& dest)
{
    if (src.DataTls() == dest.DataTls())
        return 0;
    Session& secure = src.DataTls() ? src : dest;
    return secure.Fail(NETVO_E_TLS, "server to server",
                       std::string(&secure == &src ? "the source" : "the destination") +
                           " protects its data connections (PROT P) and the other server does not; a copy needs "
                           "TLS on both sides or on neither");
}

int TlsClientRole::Take(Session& s, Op& op, bool& accepted)
{
    accepted = false;
    if (!s.features.sscn)
        return 0;
    Reply reply;
    const int rc = s.control.Command("SSCN ON", reply, op);
    if (rc != 0)
        return s.Fail(rc, "SSCN ON");
    accepted = reply.code >= 200 && reply.code < 300;
    if (accepted)
        m_session = &s;
    return 0;
}

void TlsClientRole::Release()
{
    Session* s = m_session;
    m_session = nullptr;
    if (!s || !s->control.IsOpen())
        return;  // a new connection starts with the server as TLS server
    // Also after the user aborted the copy: the hook's answer must not cut
    // this short, or the handle would be left broken.
    Op op = s->MakeOp();
    op.IgnoreAbort();
    const Reply last = s->control.Last();
    Reply reply;
    const int rc = s->control.Command("SSCN OFF", reply, op);
    if (rc == 0 && (reply.code < 200 || reply.code >= 300))
        s->control.Close();
    s->control.SetLast(last);
}

}  // namespace netvo
