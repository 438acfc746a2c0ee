#include "Stream.h"

#include "Result.h"
#include "Transfer.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace netvo {

int OpenStream(Session& s, StreamKind kind, const char* remote)
{
    if (s.stream)
        return s.Fail(NETVO_E_STATE, "open stream");
    bool needsName = kind == StreamKind::Get || kind == StreamKind::Put || kind == StreamKind::Append;
    if ((needsName && (!remote || !*remote)) || (remote && !SafeArgument(remote)))
        return s.Fail(NETVO_E_BADARG, "open stream");
    static const char* const verbs[] = {"LIST", "NLST", "RETR", "STOR", "APPE"};
    std::string command = verbs[static_cast<int>(kind)];
    if (remote && *remote)
        command += std::string(" ") + remote;

    auto stream = std::make_unique<Stream>();
    stream->command = command;
    stream->writing = kind == StreamKind::Put || kind == StreamKind::Append;
    const bool listing = kind == StreamKind::List || kind == StreamKind::NameList;
    stream->listing = listing;
    stream->convert = listing || s.settings.ascii;
    Op op = s.MakeOp();
    if (!listing) {
        int rc = s.EnsureType(s.settings.ascii, op);
        if (rc != 0)
            return rc;
    }
    int rc = OpenDataCommand(s, op, command, 0, stream->dc);
    if (rc != 0)
        return rc;
    stream->atEnd = stream->dc.Completed();
    s.stream = std::move(stream);
    return 0;
}

int ReadStream(Session& s, char* buffer, int size)
{
    Stream* st = s.stream.get();
    if (!st || st->writing)
        return s.Fail(NETVO_E_STATE, "read");
    if (!buffer || size <= 0)
        return s.Fail(NETVO_E_BADARG, "read");
    Op op = s.MakeOp();
    op.SetDone(st->done);
    const auto lost = [&](long code) {
        const std::string command = st->command;
        const int rc = AbortDataCommand(s, op, st->dc, static_cast<int>(code));
        s.stream.reset();
        return s.Fail(rc, command);
    };
    if (!st->convert) {
        // Binary: straight into the caller's buffer.
        if (st->atEnd)
            return 0;
        const long n = st->dc.Receive(buffer, static_cast<size_t>(size), op);
        if (n < 0)
            return lost(n);
        st->atEnd = n == 0;
        st->done += n;
        return static_cast<int>(n);
    }
    std::vector<char> raw;
    while (st->pending.empty() && !st->atEnd) {
        raw.resize(static_cast<size_t>(std::max(size, 4096)) + 1);  // + a CR held back
        const long n = st->dc.Receive(raw.data(), raw.size() - 1, op);
        if (n < 0)
            return lost(n);
        if (n == 0) {
            st->atEnd = true;
            char tail;
            if (st->decoder.Finish(&tail))
                st->pending += tail;
            break;
        }
        st->done += n;
        if (st->listing && st->done > kMaxListingBytes) {
            const std::string command = st->command;
            const int rc = AbortDataCommand(s, op, st->dc, NETVO_E_PROTOCOL);
            s.stream.reset();
            return s.Fail(rc, command, ListingTooLarge());
        }
        const size_t out = st->decoder.Decode(raw.data(), static_cast<size_t>(n), raw.data());
        st->pending.append(raw.data(), out);
    }
    size_t take = std::min(st->pending.size(), static_cast<size_t>(size));
    std::memcpy(buffer, st->pending.data(), take);
    st->pending.erase(0, take);
    return static_cast<int>(take);
}

int WriteStream(Session& s, const char* buffer, int size)
{
    Stream* st = s.stream.get();
    if (!st || !st->writing)
        return s.Fail(NETVO_E_STATE, "write");
    if (size < 0 || (!buffer && size > 0))
        return s.Fail(NETVO_E_BADARG, "write");
    if (st->atEnd)
        return s.Fail(NETVO_E_CLOSED, st->command);
    Op op = s.MakeOp();
    int rc;
    if (st->convert) {
        std::string wire;
        st->encoder.Encode(buffer, static_cast<size_t>(size), wire);
        rc = st->dc.Send(wire.data(), wire.size(), op);
    } else {
        rc = st->dc.Send(buffer, static_cast<size_t>(size), op);
    }
    if (rc != 0) {
        std::string command = st->command;
        if (rc == NETVO_E_CLOSED) {
            int final = CloseDataCommand(s, op, st->dc);
            rc = final != 0 ? final : NETVO_E_CLOSED;
        } else {
            rc = AbortDataCommand(s, op, st->dc, rc);
        }
        s.stream.reset();
        return s.Fail(rc, command);
    }
    st->done += size;
    return size;
}

int CloseStream(Session& s, bool writing)
{
    Stream* st = s.stream.get();
    if (!st || st->writing != writing)
        return s.Fail(NETVO_E_STATE, writing ? "close write" : "close read");
    std::unique_ptr<Stream> owned = std::move(s.stream);
    Op op = s.MakeOp();
    if (!writing && !st->atEnd) {
        // Stopped early: abort so the control connection stays in step.
        AbortDataCommand(s, op, st->dc, NETVO_E_ABORTED);
        return 0;
    }
    int rc = CloseDataCommand(s, op, st->dc);
    return rc != 0 ? s.Fail(rc, st->command) : 0;
}

}  // namespace netvo
