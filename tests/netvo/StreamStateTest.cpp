// While a stream is open its replies own the control connection: every call
// that would talk to the server is refused with NETVO_E_STATE and sends
// nothing; the calls that do not talk work, and the stream ends intact.
#include "TestSupport.h"

#include <filesystem>

namespace {

using namespace netvotest;

class StreamState : public FtpTest {
protected:
    void SetUp() override
    {
        FtpTest::SetUp();
        other = Login(srv);
    }
    void TearDown() override
    {
        netvo_release(other);
        FtpTest::TearDown();
    }
    int other = 0;
};

TEST_F(StreamState, OnlyCallsThatDoNotTalkRunWhileAStreamIsOpen)
{
    const std::string data = BinaryData(300000, 41);
    WriteFile(Remote("s.bin"), data);
    WriteFile(Local("l.txt"), "local");
    char buf[256];
    const char* user = srv.User().c_str();
    const char* pass = srv.Password().c_str();
    // A stream read to its end: the transfer's final reply is waiting on the
    // control connection, which nothing but ftp_closeread may take.
    ASSERT_EQ(ftp_openreadforget(h, "s.bin"), 0) << LastError();
    std::string received;
    for (int n; (n = ftp_readdata(h, buf, sizeof buf)) > 0;)
        received.append(buf, static_cast<size_t>(n));
    ASSERT_TRUE(SameBytes(received, data));
    const size_t commandsBefore = srv.Commands().size();
    struct Case {
        const char* call;
        std::function<int()> run;
        int expected;
    } cases[] = {
        {"ftp_relogin", [&] { return ftp_relogin(h, user, pass, ""); }, NETVO_E_STATE},
        {"ftp_gatelogin", [&] { return ftp_gatelogin(h, srv.HostPort().c_str(), user, pass, ""); }, NETVO_E_STATE},
        {"ftp_GetFileSize", [&] { return ftp_GetFileSize(h, "s.bin") == 0 ? NETVO_E_STATE : 0; }, NETVO_E_STATE},
        {"ftp_GetFileDateTime", [&] { return ftp_GetFileDateTime(h, "s.bin", buf, sizeof buf, ""); }, NETVO_E_STATE},
        {"ftp_Exists", [&] { return ftp_Exists(h, "s.bin") == 0 ? NETVO_E_STATE : 0; }, NETVO_E_STATE},
        {"ftp_setascii", [&] { return ftp_setascii(h); }, NETVO_E_STATE},
        {"ftp_setbinary", [&] { return ftp_setbinary(h); }, NETVO_E_STATE},
        {"ftp_cd", [&] { return ftp_cd(h, "/"); }, NETVO_E_STATE},
        {"ftp_cdup", [&] { return ftp_cdup(h); }, NETVO_E_STATE},
        {"ftp_pwd", [&] { return ftp_pwd(h, buf, sizeof buf); }, NETVO_E_STATE},
        {"ftp_mkdir", [&] { return ftp_mkdir(h, "d"); }, NETVO_E_STATE},
        {"ftp_rmdir", [&] { return ftp_rmdir(h, "d"); }, NETVO_E_STATE},
        {"ftp_delete", [&] { return ftp_delete(h, "s.bin"); }, NETVO_E_STATE},
        {"ftp_rename", [&] { return ftp_rename(h, "s.bin", "t.bin"); }, NETVO_E_STATE},
        {"ftp_site", [&] { return ftp_site(h, "HELP"); }, NETVO_E_STATE},
        {"ftp_noop", [&] { return ftp_noop(h); }, NETVO_E_STATE},
        {"ftp_quote", [&] { return ftp_quote(h, "NOOP", buf, sizeof buf); }, NETVO_E_STATE},
        {"ftp_get", [&] { return ftp_get(h, "s.bin", "g.bin"); }, NETVO_E_STATE},
        {"ftp_put", [&] { return ftp_put(h, "l.txt", "p.txt"); }, NETVO_E_STATE},
        {"ftp_append", [&] { return ftp_append(h, "l.txt", "p.txt"); }, NETVO_E_STATE},
        {"ftp_RestartGet", [&] { return ftp_RestartGet(h, "s.bin", "g.bin"); }, NETVO_E_STATE},
        {"ftp_RestartPut", [&] { return ftp_RestartPut(h, "l.txt", "p.txt"); }, NETVO_E_STATE},
        {"ftp_RestartGetAt", [&] { return ftp_RestartGetAt(h, "s.bin", "g.bin", 0); }, NETVO_E_STATE},
        {"ftp_RestartPutAt", [&] { return ftp_RestartPutAt(h, "l.txt", "p.txt", 0); }, NETVO_E_STATE},
        {"ftp_RestartAppendAt", [&] { return ftp_RestartAppendAt(h, "l.txt", "p.txt", 0); }, NETVO_E_STATE},
        {"ftp_RemotePut from", [&] { return ftp_RemotePut(h, other, "s.bin", "c.bin", 1, 0); }, NETVO_E_STATE},
        {"ftp_RemotePut to", [&] { return ftp_RemotePut(other, h, "s.bin", "c.bin", 1, 0); }, NETVO_E_STATE},
        {"ftp_RemoteAppend", [&] { return ftp_RemoteAppend(h, other, "s.bin", "c.bin", 1); }, NETVO_E_STATE},
        {"ftp_RestartRemotePutAt", [&] { return ftp_RestartRemotePutAt(h, other, "s.bin", "c.bin", 0, 1); },
         NETVO_E_STATE},
        {"ftp_RestartRemoteAppendAt", [&] { return ftp_RestartRemoteAppendAt(h, other, "s.bin", "c.bin", 0, 1); },
         NETVO_E_STATE},
        {"ftp_dir", [&] { return ftp_dir(h, "", "dir.txt"); }, NETVO_E_STATE},
        {"ftp_ls", [&] { return ftp_ls(h, "", "ls.txt"); }, NETVO_E_STATE},
        {"ftp_mget", [&] { return ftp_mget(h, "*"); }, NETVO_E_STATE},
        {"ftp_mput", [&] { return ftp_mput(h, "*.txt", 0); }, NETVO_E_STATE},
        {"ftp_openreadfordir", [&] { return ftp_openreadfordir(h, ""); }, NETVO_E_STATE},
        {"ftp_openreadforlist", [&] { return ftp_openreadforlist(h, ""); }, NETVO_E_STATE},
        {"ftp_openreadforget", [&] { return ftp_openreadforget(h, "s.bin"); }, NETVO_E_STATE},
        {"ftp_openwriteforput", [&] { return ftp_openwriteforput(h, "w.bin", 0); }, NETVO_E_STATE},
        // These do not talk to the server.
        {"ftp_isconnected", [&] { return ftp_isconnected(h); }, 1},
        {"ftp_copyreplystr", [&] { return ftp_copyreplystr(h, buf, sizeof buf) > 0 ? 0 : -1; }, 0},
        {"ftp_SetPassive", [&] { return ftp_SetPassive(h, 1); }, 0},
        {"ftp_SetDataPort", [&] { return ftp_SetDataPort(h, 0); }, 0},
        {"ftp_setreceivetimeout", [&] { return ftp_setreceivetimeout(h, 2); }, 0},
        {"ftp_statusbox", [&] { return ftp_statusbox(h, 0); }, 0},
        {"ftp_SetLocalPath", [&] { return ftp_SetLocalPath(h, local.Path().c_str()); }, 0},
        {"ftp_localunique", [&] { return ftp_localunique(h) == 0 ? ftp_localunique(h) : -1; }, 0},
        {"ftp_storeunique", [&] { return ftp_storeunique(h) == 0 ? ftp_storeunique(h) : -1; }, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.run(), c.expected) << c.call << ": " << LastError();
        if (c.expected == NETVO_E_STATE) {
            EXPECT_NE(LastError().find("stream is open"), std::string::npos) << c.call << ": " << LastError();
        }
    }
    EXPECT_EQ(srv.Commands().size(), commandsBefore);
    EXPECT_EQ(ftp_readdata(h, buf, sizeof buf), 0);
    EXPECT_EQ(ftp_closeread(h), 0) << LastError();
    EXPECT_EQ(ftp_noop(h), 0) << LastError();
    EXPECT_FALSE(std::filesystem::exists(Local("g.bin")));
}

}  // namespace
