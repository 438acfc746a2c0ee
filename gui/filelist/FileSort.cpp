// The order of the file list's rows. A sort code names the column (0 name,
// 1 size, 2 type, 3 last modified); adding 10 compares the two records the
// other way round, which reverses the whole order, folder placement included.
#include "FileListModel.h"
#include "FileView.h"

#include <QString>

namespace {

// Compares two UTF-8 names without regard to case. Plain ASCII names (by far
// the most) are compared byte by byte; past the first non-ASCII difference
// the whole names are compared as Unicode text, so "Été" and "été" are equal too.
int CompareNoCase(const std::string& a, const std::string& b)
{
    const size_t length = std::min(a.size(), b.size());
    for (size_t i = 0; i < length; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca == cb)
            continue;
        if (ca >= 0x80 || cb >= 0x80)
            return QString::compare(QString::fromUtf8(a), QString::fromUtf8(b), Qt::CaseInsensitive);
        const int la = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
        const int lb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
        if (la != lb)
            return la - lb;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

int Sign(long long value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

}  // namespace

int CompareFileListItems(const FileListItem& first, const FileListItem& second, int sortType)
{
    const bool reversed = sortType >= kSortReversed;
    const FileListItem& a = reversed ? second : first;
    const FileListItem& b = reversed ? first : second;
    const int column = reversed ? sortType - kSortReversed : sortType;

    if (a.m_bIsDir != b.m_bIsDir) {
        // Name and size keep folders above the files; type and date below.
        const bool foldersFirst = column == kSortName || column == kSortSize;
        const bool aFirst = a.m_bIsDir ? foldersFirst : !foldersFirst;
        return aFirst ? -1 : 1;
    }
    switch (column) {
    case kSortName:
        return CompareNoCase(a.m_strName, b.m_strName);
    case kSortSize:
        // Compared, not subtracted: sizes of 2 GiB and more would overflow
        // a difference and come out in the wrong order.
        return Sign(a.m_nSize < b.m_nSize ? -1 : (a.m_nSize > b.m_nSize ? 1 : 0));
    case kSortType:
        if (a.m_strType != b.m_strType)
            return a.m_strType.compare(b.m_strType, Qt::CaseInsensitive);
        return CompareNoCase(a.m_strName, b.m_strName);
    case kSortModified:
        return Sign(static_cast<long long>(a.m_tModified) - static_cast<long long>(b.m_tModified));
    default:
        return 0;
    }
}

int CFileView::CompareItems(const FileListItem& a, const FileListItem& b, int sortType)
{
    return CompareFileListItems(a, b, sortType);
}
