#include "ServerToServer.h"

#include "DataConnection.h"
#include "LocalFiles.h"
#include "RemoteFiles.h"
#include "Result.h"
#include "SecureCopy.h"

namespace netvo {

namespace {

// Neither side's data is visible from here, so the wait for the final
// replies cannot be an inactivity bound; it gets a generous fixed one.
constexpr int kFinalWaitFactor = 60;

// One server listens, the other connects to it.
int Connect(Session& passive, Op& passiveOp, Session& active, Op& activeOp)
{
    Address target;
    int rc = RequestPassive(passive, passiveOp, target);
    if (rc != 0)
        return rc;
    return SendPort(active, activeOp, target);
}

// Source passive first; when either server refuses its part, the other way
// round. Over TLS the connecting server must first agree to be the TLS
// client (`role`); a way round whose connecting server does not is passed
// over.
int ConnectServers(Session& src, Op& srcOp, Session& dest, Op& destOp, bool secure, TlsClientRole& role,
                   bool& sourceListens)
{
    int rc = 0;
    bool tried = false;
    for (bool srcPassive : {true, false}) {
        Session& passive = srcPassive ? src : dest;
        Session& active = srcPassive ? dest : src;
        Op& passiveOp = srcPassive ? srcOp : destOp;
        Op& activeOp = srcPassive ? destOp : srcOp;
        if (secure) {
            bool accepted = false;
            const int asked = role.Take(active, activeOp, accepted);
            if (asked != 0)
                return asked;
            if (!accepted)  // `rc` keeps the failure of the way tried before
                continue;
        }
        tried = true;
        sourceListens = srcPassive;
        rc = Connect(passive, passiveOp, active, activeOp);
        if (rc == 0)
            return 0;
        role.Release();
        if (!src.control.IsOpen() || !dest.control.IsOpen())
            return rc;
    }
    if (!tried)
        return src.Fail(NETVO_E_TLS, "server to server",
                        "neither server supports TLS-protected server-to-server copies (SSCN)");
    return rc;
}

// Reads replies until a final one; 0 for 1xx..2xx (`final` set when done).
int Await(Session& s, Op& op, const std::string& command, bool& final, std::chrono::milliseconds bound)
{
    Reply reply;
    int rc = s.control.ReadWithin(reply, op, bound);
    if (rc == NETVO_E_TIMEOUT)
        s.control.Close();
    if (rc != 0)
        return s.Fail(rc, command);
    final = !reply.Preliminary();
    if (reply.code < 300)
        return 0;
    return s.Unexpected(reply, command);
}

}  // namespace

int RemoteCopy(Session& src, Session& dest, const char* source, const char* destName, bool binary,
               RemoteMode mode, long long offset)
{
    if (!source || !*source || !SafeArgument(source) || (destName && !SafeArgument(destName)))
        return src.Fail(NETVO_E_BADARG, "server to server");
    std::string target = destName && *destName ? destName : SafeLastComponent(source);
    if (target.empty())
        return src.Fail(NETVO_E_BADARG, "server to server");
    int rc = CheckCopyProtection(src, dest);
    if (rc != 0)
        return rc;
    const bool secure = src.DataTls();
    Op srcOp = src.MakeOp();
    Op destOp = dest.MakeOp();
    if (offset < 0 && binary) {
        rc = ResumeOffset(dest, destOp, target, offset);
    } else if (offset < 0) {
        // A text copy is sent whole: the two servers may store line ends
        // differently, so no byte count on one side names a place on the
        // other (and many servers refuse REST in text mode).
        offset = 0;
    }
    if (rc == 0)
        rc = src.EnsureType(!binary, srcOp);
    if (rc == 0)
        rc = dest.EnsureType(!binary, destOp);
    if (rc != 0)
        return rc;

    // Declared before the copy's steps so that the server is put back
    // after every one of them, failed ones included.
    TlsClientRole role;
    bool sourceListens = true;
    rc = ConnectServers(src, srcOp, dest, destOp, secure, role, sourceListens);
    if (rc != 0)
        return rc;

    rc = SendRest(src, srcOp, offset);
    if (rc == 0 && mode == RemoteMode::Store)
        rc = SendRest(dest, destOp, offset);
    if (rc != 0)
        return rc;

    std::string storeCommand = (mode == RemoteMode::Append ? "APPE " : "STOR ") + target;
    std::string retrCommand = std::string("RETR ") + source;
    // Both commands go out before any reply is awaited: some servers answer
    // 150 only once the data connection stands, which needs the other one.
    rc = dest.control.Send(storeCommand, destOp);
    if (rc != 0)
        return dest.Fail(rc, storeCommand);
    rc = src.control.Send(retrCommand, srcOp);
    if (rc != 0) {
        AbortAndDrain(dest, destOp);
        return src.Fail(rc, retrCommand);
    }

    bool destDone = false;
    bool srcDone = false;
    rc = Await(dest, destOp, storeCommand, destDone, destOp.Timeout());
    if (rc != 0) {
        AbortAndDrain(src, srcOp);
        return rc;
    }
    rc = Await(src, srcOp, retrCommand, srcDone, srcOp.Timeout());
    if (rc != 0) {
        // The source refused, but the destination has its STOR and may
        // already hold a data connection to the source, which only ends
        // when the source drops it: servers that do not read the control
        // connection while they receive (vsftpd) answer the ABOR only then.
        // So the source is told first; it answers at once. Some sources
        // (pure-ftpd) keep their passive port, and the connection to it,
        // even then, and let go of it only for a new one: when the
        // destination is still silent, the source is asked for one. Its
        // refusal stays its last reply.
        const Reply refusal = src.control.Last();
        AbortAndDrain(src, srcOp);
        if (!AbortAndDrain(dest, destOp) && sourceListens && dest.control.IsOpen() && src.control.IsOpen()) {
            Reply ignored;
            src.control.Command(src.epsvRefused ? "PASV" : "EPSV", ignored, srcOp);
        }
        src.control.SetLast(refusal);
        return rc;
    }
    auto longWait = srcOp.Timeout() * kFinalWaitFactor;
    while (rc == 0 && !srcDone)
        rc = Await(src, srcOp, retrCommand, srcDone, longWait);
    if (rc != 0) {
        AbortAndDrain(dest, destOp);
        return rc;
    }
    while (rc == 0 && !destDone)
        rc = Await(dest, destOp, storeCommand, destDone, longWait);
    return rc;
}

}  // namespace netvo
