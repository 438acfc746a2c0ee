#include "PrivateClip.h"

#include "ListingRules.h"

namespace {

void PutInt32(QByteArray& out, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((bits >> shift) & 0xFF));
}

void PutText(QByteArray& out, const std::string& text)
{
    PutInt32(out, static_cast<std::int32_t>(text.size()));
    out.append(text.data(), static_cast<qsizetype>(text.size()));
}

// A cursor over the block that refuses to read past its end.
class Reader {
public:
    explicit Reader(const QByteArray& block) : m_block(block) {}

    qsizetype Left() const { return m_block.size() - m_at; }

    bool Int32(std::int32_t& value)
    {
        if (Left() < 4)
            return false;
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(m_block[m_at + i])) << (8 * i);
        m_at += 4;
        value = static_cast<std::int32_t>(bits);
        return true;
    }

    bool Byte(std::int8_t& value)
    {
        if (Left() < 1)
            return false;
        value = static_cast<std::int8_t>(m_block[m_at++]);
        return true;
    }

    bool Text(std::string& text)
    {
        std::int32_t length = 0;
        if (!Int32(length) || length < 0 || length > Left())
            return false;
        text.assign(m_block.constData() + m_at, static_cast<size_t>(length));
        m_at += length;
        return true;
    }

private:
    const QByteArray& m_block;
    qsizetype m_at = 0;
};

}  // namespace

bool IsSafeName(const std::string& name)
{
    return !name.empty() && !IsDotName(name) && name.find_first_of(std::string("/\r\n\0", 4)) == std::string::npos;
}

QByteArray PackPrivateClip(const PrivateClipHeader& header, const std::vector<PrivateClipItem>& items)
{
    QByteArray block;
    qsizetype size = kPrivateClipHeaderSize + static_cast<qsizetype>(header.m_strPath.size());
    for (const PrivateClipItem& item : items)
        size += kPrivateClipItemSize + static_cast<qsizetype>(item.m_strName.size());
    block.reserve(size);
    PutInt32(block, static_cast<std::int32_t>(items.size()));
    block.append(static_cast<char>(header.m_bCut ? 1 : 0));
    PutInt32(block, header.m_nSession);
    PutText(block, header.m_strPath);
    for (const PrivateClipItem& item : items) {
        PutInt32(block, item.m_bIsDir ? 1 : 0);
        PutInt32(block, item.m_tModified);
        PutText(block, item.m_strName);
    }
    return block;
}

PrivateClip ParsePrivateClip(const QByteArray& block)
{
    PrivateClip clip;
    Reader reader(block);
    std::int32_t count = 0;
    std::int8_t cut = 0;
    std::int32_t session = 0;
    if (!reader.Int32(count) || !reader.Byte(cut) || !reader.Int32(session) || !reader.Text(clip.header.m_strPath))
        return {};
    // Each record takes at least its fixed part: a count beyond what is
    // left cannot be true, and must not size anything.
    if (count < 0 || count > reader.Left() / kPrivateClipItemSize)
        return {};
    // The folder is a full path: absolute when local, never a line break.
    const std::string& path = clip.header.m_strPath;
    if (path.empty() || path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos
        || (session <= 0 && path.front() != '/'))
        return {};
    clip.header.m_nCount = count;
    clip.header.m_bCut = cut != 0;
    clip.header.m_nSession = session;
    clip.items.reserve(static_cast<size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        PrivateClipItem item;
        std::int32_t folder = 0;
        if (!reader.Int32(folder) || !reader.Int32(item.m_tModified) || !reader.Text(item.m_strName))
            return {};
        if (!IsSafeName(item.m_strName))
            return {};
        item.m_bIsDir = folder != 0 ? 1 : 0;
        clip.items.push_back(std::move(item));
    }
    if (reader.Left() != 0)
        return {};
    return clip;
}
