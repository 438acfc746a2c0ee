// The record behind each row of the file list: a local file or folder, or an
// entry of a remote listing.
#pragma once

#include <QString>

#include <cstdint>
#include <ctime>
#include <string>

struct FileListItem {
    int m_nSession = 0;          // connection handle; 0 for a local row
    int m_bIsDir = 0;
    std::string m_strName;       // name without any path (UTF-8 bytes as listed)
    // 64 bits: files of 4 GiB and more are common, on disk and on servers.
    std::int64_t m_nSize = 0;
    std::time_t m_tModified = 0; // local time
    // Local row: the full path. FTP row: the raw listing line the entry was
    // read from, byte for byte.
    std::string m_strPath;
    QString m_strType;           // text of the Type column
    // A symbolic link in a server listing: it may point to a folder, which
    // the listing cannot tell, so opening it tries it as a folder first.
    int m_bIsLink = 0;
    std::string m_strLinkTarget;  // where it points, as listed
};
