#include "RemoteFiles.h"

#include "Result.h"

namespace netvo {

int SimpleCommand(Session& s, const std::string& verb, const char* argument)
{
    std::string line = verb;
    if (argument) {
        if (!*argument || !SafeArgument(argument))
            return s.Fail(NETVO_E_BADARG, verb);
        line += std::string(" ") + argument;
    }
    Op op = s.MakeOp();
    return s.Run(line, op);
}

int Rename(Session& s, const char* from, const char* to)
{
    if (!from || !*from || !to || !*to || !SafeArgument(from) || !SafeArgument(to))
        return s.Fail(NETVO_E_BADARG, "RNFR");
    Op op = s.MakeOp();
    Reply reply;
    std::string line = std::string("RNFR ") + from;
    int rc = s.control.Command(line, reply, op);
    if (rc != 0)
        return s.Fail(rc, line);
    if (reply.code != 350)
        return s.Unexpected(reply, line);
    return s.Run(std::string("RNTO ") + to, op);
}

int PrintDirectory(Session& s, std::string& dir)
{
    Op op = s.MakeOp();
    Reply reply;
    int rc = s.Run("PWD", op, &reply);
    if (rc != 0)
        return rc;
    auto parsed = ParsePwd(reply.Text());
    if (reply.code != 257 || !parsed)
        return s.Fail(NETVO_E_PROTOCOL, "PWD");
    dir = *parsed;
    return 0;
}

int Exists(Session& s, const char* path)
{
    if (!path || !*path || !SafeArgument(path))
        return s.Fail(NETVO_E_BADARG, "exists");
    Op op = s.MakeOp();
    Reply reply;
    int rc;
    if (s.features.mlst) {
        rc = s.control.Command(std::string("MLST ") + path, reply, op);
        if (rc != 0)
            return s.Fail(rc, "MLST");
        return reply.code == 250 ? 1 : 0;
    }
    if (s.features.size) {
        // SIZE answers for files only; a folder still needs the CWD test.
        rc = s.EnsureType(false, op);
        if (rc != 0)
            return rc;
        rc = s.control.Command(std::string("SIZE ") + path, reply, op);
        if (rc != 0)
            return s.Fail(rc, "SIZE");
        if (reply.code == 213)
            return 1;
    }
    std::string here;
    rc = PrintDirectory(s, here);
    if (rc != 0)
        return rc;
    rc = s.control.Command(std::string("CWD ") + path, reply, op);
    if (rc != 0)
        return s.Fail(rc, "CWD");
    if (reply.code != 250 && reply.code != 200)
        return 0;
    if (!SafeArgument(here))
        return s.Fail(NETVO_E_PROTOCOL, "PWD");
    // It exists, even if the way back is refused.
    rc = s.Run("CWD " + here, op);
    return rc < 0 ? rc : 1;
}

int FileSize(Session& s, const char* path, long long& size)
{
    if (!path || !*path || !SafeArgument(path))
        return s.Fail(NETVO_E_BADARG, "SIZE");
    Op op = s.MakeOp();
    // Several servers refuse SIZE in ASCII mode (the size would depend on
    // the conversion), so ask in binary mode.
    int rc = s.EnsureType(false, op);
    if (rc != 0)
        return rc;
    Reply reply;
    std::string line = std::string("SIZE ") + path;
    rc = s.Run(line, op, &reply);
    if (rc != 0)
        return rc;
    auto parsed = ParseSize(reply.Text());
    if (reply.code != 213 || !parsed)
        return s.Fail(NETVO_E_PROTOCOL, line);
    size = *parsed;
    return 0;
}

int ResumeOffset(Session& s, Op& op, const std::string& name, long long& offset)
{
    // As above: SIZE is asked in binary mode.
    int rc = s.EnsureType(false, op);
    if (rc != 0)
        return rc;
    const std::string line = "SIZE " + name;
    Reply reply;
    rc = s.control.Command(line, reply, op);
    if (rc != 0)
        return s.Fail(rc, line);
    offset = 0;  // any refusal: no such file yet, so all of it goes
    if (reply.code != 213)
        return 0;
    auto size = ParseSize(reply.Text());
    if (!size)
        return s.Fail(NETVO_E_PROTOCOL, line);
    offset = *size;
    return 0;
}

int FileTime(Session& s, const char* path, std::string& stamp)
{
    if (!path || !*path || !SafeArgument(path))
        return s.Fail(NETVO_E_BADARG, "MDTM");
    Op op = s.MakeOp();
    Reply reply;
    std::string line = std::string("MDTM ") + path;
    int rc = s.Run(line, op, &reply);
    if (rc != 0)
        return rc;
    auto parsed = ParseMdtm(reply.Text());
    if (reply.code != 213 || !parsed)
        return s.Fail(NETVO_E_PROTOCOL, line);
    stamp = *parsed;
    return 0;
}

int Quote(Session& s, const char* line, std::string& text)
{
    text.clear();
    if (!line || !*line || !SafeArgument(line))
        return s.Fail(NETVO_E_BADARG, "quote");
    Op op = s.MakeOp();
    Reply reply;
    std::string_view raw(line);
    if (raw.size() >= 4 && (raw.substr(0, 4) == "TYPE" || raw.substr(0, 4) == "type"))
        s.ForgetType();
    int rc = s.control.Command(line, reply, op);
    if (rc != 0)
        return s.Fail(rc, line);
    text = reply.Text();
    if (reply.code < 400)
        return 0;
    return s.Fail(reply.code, line);
}

}  // namespace netvo
