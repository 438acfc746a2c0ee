// The private clipboard block: its exact layout, and a reader that turns
// every malformed block into nothing instead of reading past its end.
#include "PrivateClip.h"

#include <gtest/gtest.h>

namespace {

QByteArray Int32(std::int32_t value)
{
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(static_cast<char>((static_cast<std::uint32_t>(value) >> shift) & 0xFF));
    return bytes;
}

QByteArray Header(std::int32_t count, const QByteArray& path, std::int32_t session = 0)
{
    return Int32(count) + QByteArray(1, '\0') + Int32(session) + Int32(static_cast<std::int32_t>(path.size())) + path;
}

QByteArray Item(const QByteArray& name, std::int32_t folder = 0)
{
    return Int32(folder) + Int32(0) + Int32(static_cast<std::int32_t>(name.size())) + name;
}

}  // namespace

TEST(PrivateClip, LayoutIsExactAndReadsBack)
{
    PrivateClipHeader header;
    header.m_bCut = true;
    header.m_nSession = 7;
    header.m_strPath = "/pub/";
    const std::vector<PrivateClipItem> items{{0, 1700000000, "a.txt"}, {1, 0, "bb"}};
    const QByteArray block = PackPrivateClip(header, items);
    ASSERT_EQ(block.size(), 13 + 5 + (12 + 5) + (12 + 2));
    EXPECT_EQ(block.left(13), Int32(2) + QByteArray(1, '\1') + Int32(7) + Int32(5));
    EXPECT_EQ(block.mid(18, 12), Int32(0) + Int32(1700000000) + Int32(5));

    const PrivateClip clip = ParsePrivateClip(block);
    ASSERT_EQ(clip.items.size(), 2u);
    EXPECT_EQ(clip.header.m_nCount, 2);
    EXPECT_TRUE(clip.header.m_bCut);
    EXPECT_EQ(clip.header.m_nSession, 7);
    EXPECT_EQ(clip.SourcePath(clip.items[0]), "/pub/a.txt");
    EXPECT_EQ(clip.items[0].m_tModified, 1700000000);
    EXPECT_EQ(clip.items[1].m_bIsDir, 1);
    EXPECT_EQ(clip.items[1].m_strName, "bb");
}

TEST(PrivateClip, MalformedBlocksReadAsEmpty)
{
    const QByteArray good = Header(1, "/tmp/") + Item("a");
    ASSERT_FALSE(ParsePrivateClip(good).IsEmpty());
    const struct {
        const char* what;
        QByteArray block;
    } cases[] = {
        {"nothing", QByteArray()},
        {"a cut header", good.left(10)},
        {"a cut item", good.left(good.size() - 1)},
        {"a byte too many", good + "x"},
        {"more items than fit", Header(2, "/tmp/") + Item("a")},
        {"a huge count", Header(0x7fffffff, "/tmp/") + Item("a")},
        {"a negative count", Header(-1, "/tmp/") + Item("a")},
        {"a path longer than the block", Header(1, "/tmp/").left(9) + Int32(1000) + "/tmp/" + Item("a")},
        {"a negative name length", Header(1, "/tmp/") + Int32(0) + Int32(0) + Int32(-5) + "a"},
        {"a relative local folder", Header(1, "tmp/") + Item("a")},
        {"a line break in the folder", Header(1, "/tmp\n/") + Item("a")},
        {"a name with a slash", Header(1, "/tmp/") + Item("../a")},
        {"a dot-dot name", Header(1, "/tmp/") + Item("..")},
        {"an empty name", Header(1, "/tmp/") + Item("")},
        {"a NUL in a name", Header(1, "/tmp/") + Item(QByteArray("a\0b", 3))},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(ParsePrivateClip(c.block).IsEmpty()) << c.what;
    // A server folder need not start with "/" (a DOS server's "C:\").
    EXPECT_FALSE(ParsePrivateClip(Header(1, "C:\\", 3) + Item("a")).IsEmpty());
}
