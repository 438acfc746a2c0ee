// Copies between two test-bed servers, the data going straight from one to
// the other.
#include "TestSupport.h"

namespace {

using namespace netvotest;

class ServerToServer : public TwoServerTest {};

TEST_F(ServerToServer, CopiesByteExact)
{
    const std::string data = BinaryData(2 * 1024 * 1024 + 5, 21);
    WriteFile(Remote("src.bin"), data);
    ASSERT_EQ(ftp_RemotePut(h, dest, "src.bin", "copy.bin", 1, 0), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(other.Root() / "copy.bin"), data));
    ASSERT_EQ(ftp_RemotePut(h, dest, "src.bin", "", 1, 0), 0) << LastError();  // the source's name
    EXPECT_TRUE(SameBytes(ReadFile(other.Root() / "src.bin"), data));
}

TEST_F(ServerToServer, ResumesAndAppends)
{
    const std::string data = BinaryData(500000, 22);
    WriteFile(Remote("src.bin"), data);
    WriteFile(other.Root() / "part.bin", data.substr(0, 123456));
    ASSERT_EQ(ftp_RemotePut(h, dest, "src.bin", "part.bin", 1, 1), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(other.Root() / "part.bin"), data));

    WriteFile(other.Root() / "at.bin", data.substr(0, 1000));
    ASSERT_EQ(ftp_RestartRemotePutAt(h, dest, "src.bin", "at.bin", 1000, 1), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(other.Root() / "at.bin"), data));

    WriteFile(other.Root() / "log.bin", "head");
    ASSERT_EQ(ftp_RemoteAppend(h, dest, "src.bin", "log.bin", 1), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(other.Root() / "log.bin"), "head" + data));

    // A text copy asked to resume is sent whole: byte counts of one server
    // name no place in the other's line ends.
    const std::string text = "line one\nline two\n";
    WriteFile(Remote("src.txt"), text);
    WriteFile(other.Root() / "part.txt", text.substr(0, 9));
    ASSERT_EQ(ftp_RemotePut(h, dest, "src.txt", "part.txt", 0, 1), 0) << LastError();
    EXPECT_EQ(ReadFile(other.Root() / "part.txt"), text);

    WriteFile(other.Root() / "tail.bin", "x");
    ASSERT_EQ(ftp_RestartRemoteAppendAt(h, dest, "src.bin", "tail.bin", 499990, 1), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(other.Root() / "tail.bin"), "x" + data.substr(499990)));
}

TEST_F(ServerToServer, TurnsAroundWhenTheSourceRefusesPassive)
{
    srv.RefuseEpsv(true);
    srv.FailCommand("PASV", 1, 502);
    WriteFile(Remote("src.txt"), "the other way");
    ASSERT_EQ(ftp_RemotePut(h, dest, "src.txt", "dst.txt", 1, 0), 0) << LastError();
    EXPECT_EQ(ReadFile(other.Root() / "dst.txt"), "the other way");
    auto commands = srv.Commands();
    EXPECT_TRUE(std::any_of(commands.begin(), commands.end(), [](const std::string& c) { return c.rfind("PORT ", 0) == 0; }));
}

TEST_F(ServerToServer, FailuresOnEitherSideComeBack)
{
    EXPECT_EQ(ftp_RemotePut(h, dest, "missing", "x", 1, 0), 550);
    EXPECT_EQ(ftp_noop(h), 0);
    EXPECT_EQ(ftp_noop(dest), 0) << LastError();
    EXPECT_EQ(ftp_RemotePut(h, h, "a", "b", 1, 0), NETVO_E_BADARG);
    EXPECT_EQ(ftp_RemotePut(h, 999999, "a", "b", 1, 0), NETVO_E_BADHANDLE);
}

}  // namespace
