// File descriptors: how FTP rows are described to whoever receives them as
// file contents. The block is a 32-bit count, then one 332-byte record per
// item (little-endian, the layout of the desktop's single-byte file
// descriptor):
//
//   0 flags(4)  4 class id(16)  20 size(8)  28 point(8)  36 attributes(4)
//   40 created(8)  48 accessed(8)  56 written(8)  64 size high(4)
//   68 size low(4)  72 name(260, zero-terminated)
//
// g_FileDescList holds the descriptors of the last copy, cut or drag of FTP
// rows; each data source keeps its own copy, so an older one never hands
// out the files of a newer selection.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <string>
#include <vector>

struct FileListItem;
class IStream;

inline constexpr const char* kMimeFileGroupDescriptor = "application/x-tavo-filegroupdescriptor";
inline constexpr int kFileDescriptorSize = 332;
inline constexpr int kFileDescriptorNameSize = 260;

enum : std::uint32_t {
    kFdAttributes = 0x04,
    kFdWriteTime = 0x20,
    kFdFileSize = 0x40,
    kFdDefaultFlags = kFdAttributes | kFdWriteTime | kFdFileSize,  // 0x64
    kFileAttributeDirectory = 16,
    kFileAttributeNormal = 128,
};

struct FileDescriptor {
    std::uint32_t m_nFlags = kFdDefaultFlags;
    std::uint32_t m_nAttributes = kFileAttributeNormal;
    std::uint64_t m_nWriteTime = 0;  // 100-nanosecond units since 1601
    std::uint64_t m_nSize = 0;
    std::string m_strName;

    // Only attributes marked valid can make a folder.
    bool IsFolder() const;
    bool operator==(const FileDescriptor&) const = default;
};

struct CFileDescList {
    int m_nSession = 0;       // connection handle the records come from
    std::string m_strFolder;  // their folder, with its separator
    std::vector<FileDescriptor> m_aRecords;
    void Clear() { *this = CFileDescList(); }
};

extern CFileDescList g_FileDescList;

// Seconds since 1970 as 100-nanosecond units since 1601.
std::uint64_t FileTimeFromUnix(std::int64_t seconds);

// Rebuilds g_FileDescList from the selected rows of an FTP folder. A name
// too long for a record is left out with a message.
void CreateFileGroupDescriptor(int handle, const std::string& folder, const std::vector<const FileListItem*>& rows);
// The block of g_FileDescList.
QByteArray CreateFileGroupDescriptor();
QByteArray PackFileGroupDescriptor(const std::vector<FileDescriptor>& records);
// Reads a block back; false when it is malformed (it may come from another
// program). A name without its terminating zero reads as empty.
bool ParseFileGroupDescriptor(const QByteArray& block, std::vector<FileDescriptor>& records);

// A stream reading the record's file from its server, opened in the folder
// the records were taken from; nullptr (with a message) when it cannot be
// opened. The caller owns the one reference.
IStream* CreateIStream(const CFileDescList& list, int index);
// The same from g_FileDescList.
IStream* CreateIStream(int index);
