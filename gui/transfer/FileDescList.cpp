#include "FileDescList.h"

#include "FileListItem.h"
#include "ImpIStream.h"
#include "PrivateClip.h"
#include "TraceLog.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

CFileDescList g_FileDescList;

namespace {

constexpr int kFlagsAt = 0;
constexpr int kAttributesAt = 36;
constexpr int kWriteTimeAt = 56;
constexpr int kSizeHighAt = 64;
constexpr int kSizeLowAt = 68;
constexpr int kNameAt = 72;
// More records than any selection: a block claiming more is not ours.
constexpr std::uint32_t kMaxRecords = 1u << 20;

void Put32(char* at, std::uint32_t value)
{
    qToLittleEndian(value, at);
}

std::uint32_t Get32(const char* at)
{
    return qFromLittleEndian<std::uint32_t>(at);
}

}  // namespace

bool FileDescriptor::IsFolder() const
{
    if (!(m_nFlags & kFdAttributes))
        return false;
    return !(m_nAttributes & kFileAttributeNormal) && (m_nAttributes & kFileAttributeDirectory);
}

std::uint64_t FileTimeFromUnix(std::int64_t seconds)
{
    return static_cast<std::uint64_t>(seconds + 11644473600LL) * 10000000ULL;
}

void CreateFileGroupDescriptor(int handle, const std::string& folder, const std::vector<const FileListItem*>& rows)
{
    g_TraceLog.Trace("CFileView::CreateFileGroupDescriptor");
    g_FileDescList.Clear();
    g_FileDescList.m_nSession = handle;
    g_FileDescList.m_strFolder = folder;
    int index = 0;
    for (const FileListItem* row : rows) {
        g_TraceLog.Trace("CFileView.CreateFileGroupDescriptor: Pack Item %d, mask = %u", index, 0u);
        g_TraceLog.Trace("CFileView.CreateFileGroupDescriptor: Item %d was selected!", index);
        ++index;
        if (row->m_strName.size() >= kFileDescriptorNameSize || !IsSafeName(row->m_strName)) {
            g_TraceLog.Message("%s is not offered to other programs: its name is too long", row->m_strName.c_str());
            continue;
        }
        g_TraceLog.Trace("CFileView.CreateFileGroupDescriptor: Pack %s", row->m_strName.c_str());
        FileDescriptor record;
        record.m_nAttributes = row->m_bIsDir ? kFileAttributeDirectory : kFileAttributeNormal;
        record.m_nSize = row->m_nSize > 0 ? static_cast<std::uint64_t>(row->m_nSize) : 0;
        record.m_nWriteTime = FileTimeFromUnix(row->m_tModified);
        record.m_strName = row->m_strName;
        g_FileDescList.m_aRecords.push_back(record);
    }
}

QByteArray PackFileGroupDescriptor(const std::vector<FileDescriptor>& records)
{
    QByteArray block(4 + kFileDescriptorSize * static_cast<qsizetype>(records.size()), '\0');
    Put32(block.data(), static_cast<std::uint32_t>(records.size()));
    char* at = block.data() + 4;
    for (const FileDescriptor& record : records) {
        Put32(at + kFlagsAt, record.m_nFlags);
        Put32(at + kAttributesAt, record.m_nAttributes);
        Put32(at + kWriteTimeAt, static_cast<std::uint32_t>(record.m_nWriteTime));
        Put32(at + kWriteTimeAt + 4, static_cast<std::uint32_t>(record.m_nWriteTime >> 32));
        Put32(at + kSizeHighAt, static_cast<std::uint32_t>(record.m_nSize >> 32));
        Put32(at + kSizeLowAt, static_cast<std::uint32_t>(record.m_nSize));
        std::memcpy(at + kNameAt, record.m_strName.data(),
                    std::min<size_t>(record.m_strName.size(), kFileDescriptorNameSize - 1));
        at += kFileDescriptorSize;
    }
    return block;
}

QByteArray CreateFileGroupDescriptor()
{
    g_TraceLog.Trace("CFileView::CreateFileGroupDescriptor: Total items = %d",
                     static_cast<int>(g_FileDescList.m_aRecords.size()));
    return PackFileGroupDescriptor(g_FileDescList.m_aRecords);
}

bool ParseFileGroupDescriptor(const QByteArray& block, std::vector<FileDescriptor>& records)
{
    records.clear();
    if (block.size() < 4)
        return false;
    const std::uint32_t count = Get32(block.constData());
    if (count > kMaxRecords || block.size() != 4 + qsizetype(count) * kFileDescriptorSize)
        return false;
    const char* at = block.constData() + 4;
    for (std::uint32_t i = 0; i < count; ++i, at += kFileDescriptorSize) {
        FileDescriptor record;
        record.m_nFlags = Get32(at + kFlagsAt);
        record.m_nAttributes = Get32(at + kAttributesAt);
        record.m_nWriteTime = Get32(at + kWriteTimeAt) | std::uint64_t(Get32(at + kWriteTimeAt + 4)) << 32;
        record.m_nSize = Get32(at + kSizeLowAt) | std::uint64_t(Get32(at + kSizeHighAt)) << 32;
        const char* name = at + kNameAt;
        const void* end = std::memchr(name, '\0', kFileDescriptorNameSize);
        if (end)
            record.m_strName.assign(name, static_cast<const char*>(end));
        records.push_back(std::move(record));
    }
    return true;
}

IStream* CreateIStream(const CFileDescList& list, int index)
{
    g_TraceLog.Trace("CFileView::CreateIStream for index %d", index);
    if (index < 0 || static_cast<size_t>(index) >= list.m_aRecords.size())
        return nullptr;
    auto* stream = new CImpIStream;
    if (!stream->Open(list.m_strFolder + list.m_aRecords[index].m_strName, list.m_nSession, false, 0)) {
        g_TraceLog.Trace("CFileView::CreateIStream: FTP failed. Cleanup");
        stream->Release();
        return nullptr;
    }
    return stream;
}

IStream* CreateIStream(int index)
{
    return CreateIStream(g_FileDescList, index);
}
