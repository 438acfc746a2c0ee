// Reply framing and the value parsers, fed with what real servers send.
#include "ReplyParser.h"

#include <gtest/gtest.h>

namespace netvo {
namespace {

std::vector<Reply> FrameAll(const std::string& bytes, ReplyFramer::Status* last = nullptr)
{
    ReplyFramer framer;
    framer.Append(bytes.data(), bytes.size());
    std::vector<Reply> replies;
    Reply r;
    ReplyFramer::Status st;
    while ((st = framer.Next(r)) == ReplyFramer::Status::Ready)
        replies.push_back(r);
    if (last)
        *last = st;
    return replies;
}

TEST(ReplyFramer, FramesSingleAndMultiLineReplies)
{
    struct Case {
        std::string wire;
        std::vector<int> codes;
        size_t linesOfFirst;
    } cases[] = {
        {"220 Ready\r\n", {220}, 1},
        {"220 Ready\n", {220}, 1},                          // bare LF
        {"230-Welcome\r\n230 Done\r\n", {230}, 2},
        {"211-Features:\r\n MDTM\r\n SIZE\r\n211 End\r\n", {211}, 4},
        // inner lines may start with digits or another code
        {"214-Help\r\n200 not the end\r\n214x neither\r\n214 End\r\n", {214}, 4},
        {"150 Opening\r\n226 Done\r\n", {150, 226}, 1},
        {"200\r\n", {200}, 1},                              // code only
        {"220-a\r\n220\r\n331 Pass\r\n", {220, 331}, 2},
    };
    for (const Case& c : cases) {
        auto replies = FrameAll(c.wire);
        ASSERT_EQ(replies.size(), c.codes.size()) << c.wire;
        for (size_t i = 0; i < replies.size(); ++i)
            EXPECT_EQ(replies[i].code, c.codes[i]) << c.wire;
        EXPECT_EQ(replies[0].lines.size(), c.linesOfFirst) << c.wire;
    }
}

TEST(ReplyFramer, ReassemblesAcrossArbitrarySplits)
{
    const std::string wire = "230-Line one\r\n230-Line two\r\n230 Last\r\n200 ok\r\n";
    for (size_t split = 0; split <= wire.size(); ++split) {
        ReplyFramer framer;
        std::vector<Reply> got;
        Reply r;
        framer.Append(wire.data(), split);
        while (framer.Next(r) == ReplyFramer::Status::Ready)
            got.push_back(r);
        framer.Append(wire.data() + split, wire.size() - split);
        while (framer.Next(r) == ReplyFramer::Status::Ready)
            got.push_back(r);
        ASSERT_EQ(got.size(), 2u) << split;
        EXPECT_EQ(got[0].Text(), "230-Line one\r\n230-Line two\r\n230 Last");
        EXPECT_EQ(got[1].code, 200);
    }
}

TEST(ReplyFramer, RejectsGarbageAndOversizedLines)
{
    ReplyFramer::Status st;
    for (std::string bad : {"hello\r\n", "99 x\r\n", "650 x\r\n", "2x0 x\r\n"}) {
        FrameAll(bad, &st);
        EXPECT_EQ(st, ReplyFramer::Status::Error) << bad;
    }
    FrameAll(std::string(ReplyFramer::kMaxLine + 10, 'a'), &st);  // no line end at all
    EXPECT_EQ(st, ReplyFramer::Status::Error);
    FrameAll("220-x\r\n" + std::string(ReplyFramer::kMaxLine + 10, 'b') + "\r\n", &st);
    EXPECT_EQ(st, ReplyFramer::Status::Error);
    FrameAll("220 partial reply without end", &st);
    EXPECT_EQ(st, ReplyFramer::Status::NeedMore);
}

TEST(ReplyFramer, BoundsTheSizeOfOneReply)
{
    std::string wire = "220-start\r\n";
    while (wire.size() < ReplyFramer::kMaxReply + 100)
        wire += "220-more text that never ends\r\n";
    ReplyFramer::Status st;
    FrameAll(wire, &st);
    EXPECT_EQ(st, ReplyFramer::Status::Error);
}

TEST(ReplyParsers, Pasv)
{
    struct Case {
        const char* text;
        const char* host;
        int port;
    } cases[] = {
        {"227 Entering Passive Mode (127,0,0,1,4,210)", "127.0.0.1", 1234},
        {"227 Entering Passive Mode 10,1,2,3,0,21", "10.1.2.3", 21},  // no parentheses
        {"227 =192,168,1,2,255,255", "192.168.1.2", 65535},
        {"227 (1,2,3,4,5,6) trailing", "1.2.3.4", 1286},
    };
    for (const Case& c : cases) {
        auto p = ParsePasv(c.text);
        ASSERT_TRUE(p) << c.text;
        EXPECT_EQ(p->host, c.host);
        EXPECT_EQ(p->port, c.port);
    }
    for (const char* bad : {"227 Entering Passive Mode", "227 (256,0,0,1,4,210)", "227 (1,2,3,4,5)",
                            "227 (1,2,3,4,0,0)", "227 (1,2,3,4,1000,1)", "227"})
        EXPECT_FALSE(ParsePasv(bad)) << bad;
}

TEST(ReplyParsers, Epsv)
{
    EXPECT_EQ(ParseEpsv("229 Entering Extended Passive Mode (|||6446|)"), 6446);
    EXPECT_EQ(ParseEpsv("229 (!!!21!)"), 21);
    for (const char* bad : {"229 (|||0|)", "229 (|||65536|)", "229 (||6446|)", "229 (|||6446)", "229 (|1|2|3|)",
                            "229", "229 (111211)"})
        EXPECT_FALSE(ParseEpsv(bad)) << bad;
}

TEST(ReplyParsers, Pwd)
{
    EXPECT_EQ(ParsePwd("257 \"/home/tavo\" is current directory"), "/home/tavo");
    EXPECT_EQ(ParsePwd("257 \"/a \"\"quoted\"\" dir\" here"), "/a \"quoted\" dir");
    EXPECT_EQ(ParsePwd("257 \"\""), "");
    EXPECT_EQ(ParsePwd("257 /unquoted is current"), "/unquoted");  // quirk: no quotes at all
    EXPECT_FALSE(ParsePwd("257 \"/never closed"));
    EXPECT_FALSE(ParsePwd("257"));
}

TEST(ReplyParsers, MdtmAndSizes)
{
    EXPECT_EQ(ParseMdtm("213 20240131235959"), "20240131235959");
    EXPECT_EQ(ParseMdtm("213 20240131235959.123"), "20240131235959");
    EXPECT_FALSE(ParseMdtm("213 2024013123595"));
    EXPECT_FALSE(ParseMdtm("213 2024013123595x"));
    EXPECT_FALSE(ParseMdtm("213 20240131235959 GMT"));
    // Fourteen digits that name no moment are refused, the edges kept.
    const struct {
        const char* stamp;
        bool valid;
    } times[] = {
        {"20241231235960", true},   // a leap second
        {"20240229120000", true},   // a leap year
        {"20000229000000", true},   // divisible by 400
        {"20241399000000", false},  // month 13, day 99
        {"20240001000000", false},  // month 0
        {"20240100000000", false},  // day 0
        {"20240230000000", false},  // 30 February
        {"20230229000000", false},  // 29 February of a common year
        {"19000229000000", false},  // divisible by 100, not by 400
        {"20240431000000", false},  // 31 April
        {"20240101250000", false},  // hour 25
        {"20240101246100", false},  // hour 24, minute 61
        {"20240101006100", false},  // minute 61
        {"20240101000061", false},  // second 61
    };
    for (const auto& t : times)
        EXPECT_EQ(ParseMdtm(std::string("213 ") + t.stamp).has_value(), t.valid) << t.stamp;

    EXPECT_EQ(ParseSize("213 0"), 0);
    EXPECT_EQ(ParseSize("213 5368709120"), 5368709120LL);  // past 4 GiB
    EXPECT_FALSE(ParseSize("213 -1"));
    EXPECT_FALSE(ParseSize("213 12a"));
    EXPECT_FALSE(ParseSize("213 99999999999999999999999"));  // would overflow

    EXPECT_EQ(ParseTransferSize("150 Opening BINARY mode data connection for a.bin (1234 bytes)"), 1234);
    EXPECT_FALSE(ParseTransferSize("150 File status okay."));
}

TEST(ReplyParsers, Features)
{
    Reply feat{211, {"211-Features:", " MDTM", " MLST type*;size*;modify*;", " REST STREAM", " SIZE",
                     " EPSV", " UTF8", " SSCN", "211 End"}};
    Features f = ParseFeatures(feat);
    EXPECT_TRUE(f.mdtm && f.mlst && f.restStream && f.size && f.epsv && f.utf8 && f.sscn);
    Features none = ParseFeatures(Reply{500, {"500 Unknown command"}});
    EXPECT_FALSE(none.mdtm || none.mlst || none.size || none.epsv || none.utf8 || none.restStream || none.sscn);
}

}  // namespace
}  // namespace netvo
