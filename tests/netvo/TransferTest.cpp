// File transfers, each in passive and active mode.
#include "TestSupport.h"

#include <filesystem>

namespace {

using namespace netvotest;
namespace fs = std::filesystem;

class Transfer : public FtpModeTest {};

TEST_P(Transfer, BinaryRoundTripIsByteExact)
{
    const std::string data = BinaryData(3 * 1024 * 1024 + 17);
    WriteFile(Local("up.bin"), data);
    ASSERT_EQ(ftp_put(h, "up.bin", "remote.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Remote("remote.bin")), data));
    ASSERT_EQ(ftp_get(h, "remote.bin", "down.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Local("down.bin")), data));
    // An empty file both ways.
    WriteFile(Local("empty"), "");
    ASSERT_EQ(ftp_put(h, "empty", nullptr), 0) << LastError();
    ASSERT_EQ(ftp_get(h, "empty", "empty.copy"), 0) << LastError();
    EXPECT_EQ(fs::file_size(Local("empty.copy")), 0u);
}

TEST_P(Transfer, AsciiConvertsLineEndsBothWays)
{
    ASSERT_EQ(ftp_setascii(h), 0);
    WriteFile(Local("text.txt"), "one\ntwo\n\nlast");
    ASSERT_EQ(ftp_put(h, "text.txt", "text.txt"), 0) << LastError();
    // The server stores what arrives with its own (LF) line ends, so CRLF on
    // the wire is checked by a binary get of what an ASCII get brings back.
    WriteFile(Remote("crlf.txt"), "a\r\nb\r\n\r\nc\rd\r\n");
    ASSERT_EQ(ftp_get(h, "crlf.txt", "crlf.txt"), 0) << LastError();
    EXPECT_EQ(ReadFile(Local("crlf.txt")), "a\nb\n\nc\rd\n");
    ASSERT_EQ(ftp_setbinary(h), 0);
    ASSERT_EQ(ftp_get(h, "text.txt", "text.bin"), 0);
    EXPECT_EQ(ReadFile(Local("text.bin")), ReadFile(Remote("text.txt")));
    auto commands = srv.Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "TYPE A"), commands.end());
}

TEST_P(Transfer, RestartAtAnOffsetAndWithTheOffsetFound)
{
    const std::string data = BinaryData(300000, 7);
    WriteFile(Remote("r.bin"), data);
    // Get: local holds a prefix (plus junk past the offset, which is cut).
    WriteFile(Local("r.bin"), data.substr(0, 1000) + "JUNK");
    ASSERT_EQ(ftp_RestartGetAt(h, "r.bin", "r.bin", 1000), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Local("r.bin")), data));
    WriteFile(Local("r2.bin"), data.substr(0, 123456));
    ASSERT_EQ(ftp_RestartGet(h, "r.bin", "r2.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Local("r2.bin")), data));
    ASSERT_EQ(ftp_RestartGetAt(h, "r.bin", "r3.bin", 0), 0) << LastError();  // offset 0: a full get
    EXPECT_TRUE(SameBytes(ReadFile(Local("r3.bin")), data));
    // A local file shorter than the offset would get a hole: refused.
    WriteFile(Local("short.bin"), "abc");
    EXPECT_EQ(ftp_RestartGetAt(h, "r.bin", "short.bin", 1000), NETVO_E_LOCALFILE);

    // Put: the server holds a prefix.
    WriteFile(Local("p.bin"), data);
    WriteFile(Remote("p.bin"), data.substr(0, 5000));
    ASSERT_EQ(ftp_RestartPut(h, "p.bin", "p.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Remote("p.bin")), data));
    WriteFile(Remote("p2.bin"), data.substr(0, 777));
    ASSERT_EQ(ftp_RestartPutAt(h, "p.bin", "p2.bin", 777), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Remote("p2.bin")), data));
    ASSERT_EQ(ftp_RestartPut(h, "p.bin", "new.bin"), 0) << LastError();  // nothing there yet
    EXPECT_TRUE(SameBytes(ReadFile(Remote("new.bin")), data));
    auto commands = srv.Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "REST 5000"), commands.end());
}

TEST_P(Transfer, AppendAndAppendFromAnOffset)
{
    WriteFile(Remote("log.txt"), "head-");
    WriteFile(Local("tail.txt"), "0123456789");
    ASSERT_EQ(ftp_append(h, "tail.txt", "log.txt"), 0) << LastError();
    EXPECT_EQ(ReadFile(Remote("log.txt")), "head-0123456789");
    ASSERT_EQ(ftp_RestartAppendAt(h, "tail.txt", "log.txt", 6), 0) << LastError();
    EXPECT_EQ(ReadFile(Remote("log.txt")), "head-0123456789" "6789");
}

TEST_P(Transfer, UniqueNamesOnBothSides)
{
    WriteFile(Remote("u.txt"), "server");
    WriteFile(Local("u.txt"), "mine");
    ASSERT_EQ(ftp_localunique(h), 0);
    ASSERT_EQ(ftp_get(h, "u.txt", nullptr), 0) << LastError();
    ASSERT_EQ(ftp_get(h, "u.txt", nullptr), 0) << LastError();
    EXPECT_EQ(ReadFile(Local("u.txt")), "mine");
    EXPECT_EQ(ReadFile(Local("u.txt.1")), "server");
    EXPECT_EQ(ReadFile(Local("u.txt.2")), "server");
    ASSERT_EQ(ftp_localunique(h), 0);  // off again
    ASSERT_EQ(ftp_get(h, "u.txt", nullptr), 0);
    EXPECT_EQ(ReadFile(Local("u.txt")), "server");

    ASSERT_EQ(ftp_storeunique(h), 0);
    WriteFile(Local("up.txt"), "new");
    ASSERT_EQ(ftp_put(h, "up.txt", "u.txt"), 0) << LastError();
    EXPECT_EQ(ReadFile(Remote("u.txt")), "server");  // untouched
    char reply[1024];
    ASSERT_GT(ftp_copyreplystr(h, reply, sizeof reply), 0);
    std::string text = reply;
    auto at = text.find("FILE: ");
    ASSERT_NE(at, std::string::npos) << text;
    std::string stored = text.substr(at + 6);
    EXPECT_EQ(ReadFile(Remote(fs::path(stored).filename())), "new") << stored;
}

TEST_P(Transfer, RefusedGetKeepsTheLocalFile)
{
    WriteFile(Local("keep.txt"), "precious");
    EXPECT_EQ(ftp_get(h, "missing.txt", "keep.txt"), 550);
    EXPECT_EQ(ReadFile(Local("keep.txt")), "precious");
    std::string error = LastError();
    EXPECT_NE(error.find("RETR missing.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("550"), std::string::npos) << error;
    EXPECT_EQ(ftp_put(h, "no-such-local", "x"), NETVO_E_LOCALFILE);
}

TEST_P(Transfer, DefaultLocalNameIsTheLastComponentInTheLocalPath)
{
    fs::create_directory(Remote("sub"));
    WriteFile(Remote("sub/deep.txt"), "deep");
    ASSERT_EQ(ftp_get(h, "sub/deep.txt", ""), 0) << LastError();
    EXPECT_EQ(ReadFile(Local("deep.txt")), "deep");
    fs::create_directory(Local("in"));
    ASSERT_EQ(ftp_get(h, "sub/deep.txt", "in/x.txt"), 0);  // relative to the local path
    EXPECT_EQ(ReadFile(Local("in/x.txt")), "deep");
    EXPECT_EQ(ftp_get(h, "..", nullptr), NETVO_E_BADARG);
}

TEST_P(Transfer, ListingsIntoFiles)
{
    WriteFile(Remote("a.txt"), "1");
    WriteFile(Remote("b.txt"), "22");
    ASSERT_EQ(ftp_ls(h, "", "names.txt"), 0) << LastError();
    std::string names = ReadFile(Local("names.txt"));
    EXPECT_EQ(names.find('\r'), std::string::npos);
    EXPECT_NE(names.find("a.txt\n"), std::string::npos) << names;
    EXPECT_NE(names.find("b.txt\n"), std::string::npos) << names;
    ASSERT_EQ(ftp_dir(h, nullptr, "long.txt"), 0) << LastError();
    std::string listing = ReadFile(Local("long.txt"));
    EXPECT_EQ(listing.find('\r'), std::string::npos);
    EXPECT_NE(listing.find("b.txt\n"), std::string::npos) << listing;
    EXPECT_EQ(ftp_dir(h, "missing-dir", "none.txt"), 550);
    EXPECT_FALSE(fs::exists(Local("none.txt")));
}

TEST_P(Transfer, MultipleGetsAndPuts)
{
    fs::create_directory(Local("out"));
    WriteFile(Local("out/x1.dat"), BinaryData(1000, 1));
    WriteFile(Local("out/x2.dat"), BinaryData(2000, 2));
    WriteFile(Local("out/y.txt"), "not matched");
    ASSERT_EQ(ftp_SetLocalPath(h, Local("out").c_str()), 0);
    ASSERT_EQ(ftp_mput(h, "x*.dat", 0), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Remote("x2.dat")), BinaryData(2000, 2)));
    EXPECT_FALSE(fs::exists(Remote("y.txt")));
    EXPECT_EQ(ftp_mput(h, "none*", 0), NETVO_E_NOMATCH);
    // A relative local path counts from the current folder, once.
    const fs::path before = fs::current_path();
    fs::current_path(local.Path());
    ASSERT_EQ(ftp_SetLocalPath(h, "out"), 0);
    const int relative = ftp_mput(h, "x1.dat", 0);
    fs::current_path(before);
    EXPECT_EQ(relative, 0) << LastError();

    fs::create_directory(Local("in"));
    ASSERT_EQ(ftp_SetLocalPath(h, Local("in").c_str()), 0);
    ASSERT_EQ(ftp_mget(h, "x*.dat"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Local("in/x1.dat")), BinaryData(1000, 1)));
    EXPECT_TRUE(SameBytes(ReadFile(Local("in/x2.dat")), BinaryData(2000, 2)));
}

TEST_P(Transfer, StreamsReadAndWrite)
{
    const std::string data = BinaryData(700000, 3);
    ASSERT_EQ(ftp_openwriteforput(h, "s.bin", 0), 0) << LastError();
    for (size_t off = 0; off < data.size(); off += 65536) {
        int n = static_cast<int>(std::min<size_t>(65536, data.size() - off));
        ASSERT_EQ(ftp_writedata(h, data.data() + off, n), n);
    }
    EXPECT_EQ(ftp_readdata(h, nullptr, 0), NETVO_E_STATE);  // a write stream is open
    ASSERT_EQ(ftp_closewrite(h), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(Remote("s.bin")), data));

    ASSERT_EQ(ftp_openreadforget(h, "s.bin"), 0) << LastError();
    std::string back;
    char buf[10000];
    int n;
    while ((n = ftp_readdata(h, buf, sizeof buf)) > 0)
        back.append(buf, static_cast<size_t>(n));
    EXPECT_EQ(n, 0);
    ASSERT_EQ(ftp_closeread(h), 0) << LastError();
    EXPECT_TRUE(SameBytes(back, data));

    ASSERT_EQ(ftp_openreadforlist(h, ""), 0);
    std::string names;
    while ((n = ftp_readdata(h, buf, sizeof buf)) > 0)
        names.append(buf, static_cast<size_t>(n));
    ASSERT_EQ(ftp_closeread(h), 0);
    EXPECT_EQ(names, "s.bin\n");

    ASSERT_EQ(ftp_openreadfordir(h, ""), 0);
    std::string listing;
    while ((n = ftp_readdata(h, buf, sizeof buf)) > 0)
        listing.append(buf, static_cast<size_t>(n));
    ASSERT_EQ(ftp_closeread(h), 0);
    EXPECT_NE(listing.find("s.bin\n"), std::string::npos);
    EXPECT_EQ(listing.find('\r'), std::string::npos);
    EXPECT_EQ(ftp_openreadforget(h, "missing"), 550);
    EXPECT_EQ(ftp_closeread(h), NETVO_E_STATE);
}

TEST_P(Transfer, ClosingAReadEarlyKeepsTheConnectionUsable)
{
    WriteFile(Remote("big.bin"), "");
    fs::resize_file(Remote("big.bin"), 1LL * 1024 * 1024 * 1024);  // sparse
    ASSERT_EQ(ftp_openreadforget(h, "big.bin"), 0) << LastError();
    char buf[4096];
    ASSERT_GT(ftp_readdata(h, buf, sizeof buf), 0);
    // Until the stream is closed, the next reply is the stream's: other
    // commands wait, and the stream still reads.
    EXPECT_EQ(ftp_noop(h), NETVO_E_STATE);
    EXPECT_EQ(ftp_setbinary(h), NETVO_E_STATE);
    EXPECT_EQ(ftp_get(h, "big.bin", nullptr), NETVO_E_STATE);
    ASSERT_GT(ftp_readdata(h, buf, sizeof buf), 0);
    ASSERT_EQ(ftp_closeread(h), 0);
    EXPECT_EQ(ftp_noop(h), 0) << LastError();
    WriteFile(Remote("small.txt"), "ok");
    ASSERT_EQ(ftp_get(h, "small.txt", nullptr), 0) << LastError();
    EXPECT_EQ(ReadFile(Local("small.txt")), "ok");
}

TEST_P(Transfer, AsciiStreamsConvert)
{
    ASSERT_EQ(ftp_setascii(h), 0);
    ASSERT_EQ(ftp_openwriteforput(h, "t.txt", 0), 0);
    const char text[] = "l1\nl2\r\nl3\n";
    ASSERT_EQ(ftp_writedata(h, text, sizeof text - 1), static_cast<int>(sizeof text - 1));
    ASSERT_EQ(ftp_closewrite(h), 0) << LastError();
    EXPECT_EQ(ReadFile(Remote("t.txt")), "l1\nl2\nl3\n");
    WriteFile(Remote("w.txt"), "x\r\ny\r\n");
    ASSERT_EQ(ftp_openreadforget(h, "w.txt"), 0);
    std::string got;
    char c[1];
    while (ftp_readdata(h, c, 1) == 1)  // one byte at a time: CR LF split everywhere
        got += c[0];
    ASSERT_EQ(ftp_closeread(h), 0);
    EXPECT_EQ(got, "x\ny\n");
}

INSTANTIATE_TEST_SUITE_P(Modes, Transfer, ::testing::Bool(), ModeName);

// Over IPv6 only EPSV and EPRT can name the data connection (PASV and PORT
// carry IPv4 addresses), in both directions and for listings.
class Ipv6Transfer : public ::testing::TestWithParam<bool> {};

TEST_P(Ipv6Transfer, RoundTripAndListing)
{
    testbed::ServerOptions options;
    options.host = "::1";
    testbed::TestFtpServer server(options);
    TempFolder local;
    const int h = ftp_open(server.HostPort().c_str());
    ASSERT_GT(h, 0) << LastError();
    ASSERT_EQ(ftp_relogin(h, server.User().c_str(), server.Password().c_str(), ""), 0) << LastError();
    ftp_SetLocalPath(h, local.Path().c_str());
    ftp_SetPassive(h, GetParam() ? 1 : 0);
    const std::string data = BinaryData(300 * 1024, 5);
    WriteFile(local.Path() / "up.bin", data);
    ASSERT_EQ(ftp_put(h, "up.bin", "v6.bin"), 0) << LastError();
    ASSERT_EQ(ftp_get(h, "v6.bin", "down.bin"), 0) << LastError();
    EXPECT_TRUE(SameBytes(ReadFile(local.Path() / "down.bin"), data));
    ASSERT_EQ(ftp_ls(h, "", "names.txt"), 0) << LastError();
    EXPECT_NE(ReadFile(local.Path() / "names.txt").find("v6.bin"), std::string::npos);
    const std::string wanted = GetParam() ? "EPSV" : "EPRT |2|::1|";
    int dataCommands = 0;
    for (const std::string& command : server.Commands()) {
        if (command.rfind("EPSV", 0) == 0 || command.rfind("EPRT", 0) == 0) {
            EXPECT_EQ(command.rfind(wanted, 0), 0u) << command;
            ++dataCommands;
        }
        EXPECT_NE(command.rfind("PASV", 0), 0u) << command;
        EXPECT_NE(command.rfind("PORT", 0), 0u) << command;
    }
    EXPECT_EQ(dataCommands, 3);
    netvo_release(h);
}

INSTANTIATE_TEST_SUITE_P(Modes, Ipv6Transfer, ::testing::Bool(), ModeName);

}  // namespace
