// The private clipboard block: what Tavo hands to itself on copy, cut and
// drag. A header names the source folder, its connection handle and whether
// the items were cut; one record per item follows. All integers are 32-bit
// little-endian, with no padding and no terminating zero:
//
//   header: count(4) cut(1, signed) session(4) n(4) path(n)
//   item:   folder(4) modified(4) m(4) name(m)
//
// The path ends with its separator; a name is one path component.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <string>
#include <vector>

struct PrivateClipHeader {
    int m_nCount = 0;
    bool m_bCut = false;
    int m_nSession = 0;      // connection handle; 0 for a local folder
    std::string m_strPath;   // source folder, with its separator
};

struct PrivateClipItem {
    int m_bIsDir = 0;
    std::int32_t m_tModified = 0;  // seconds; 0 from the tree
    std::string m_strName;
};

struct PrivateClip {
    PrivateClipHeader header;
    std::vector<PrivateClipItem> items;

    bool IsEmpty() const { return items.empty(); }
    // Full source path of an item: the header path and the item's name.
    std::string SourcePath(const PrivateClipItem& item) const { return header.m_strPath + item.m_strName; }
};

inline constexpr int kPrivateClipHeaderSize = 13;
inline constexpr int kPrivateClipItemSize = 12;

// The block for a header and its items; the count is the items' number.
QByteArray PackPrivateClip(const PrivateClipHeader& header, const std::vector<PrivateClipItem>& items);

// Reads a block back. Anything malformed (short, over-long, a count or a
// length that does not fit, a name that is not one path component) gives an
// empty clip: the block may come from another program.
PrivateClip ParsePrivateClip(const QByteArray& block);

// A name another program or a server gave, usable as one path component:
// not empty, not "." or "..", no "/", no CR or LF, no NUL.
bool IsSafeName(const std::string& name);
