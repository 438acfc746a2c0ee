// Local copies of FTP items for other programs, which can only take files
// as paths: each item (folders with everything in them) is downloaded into
// a temporary folder of the data source that offers them. Every file lands
// under its real name only when complete.
#pragma once

#include "FileDescList.h"

#include <string>
#include <vector>

// A private temporary folder, removed with everything in it when the object
// goes, and at exit for any object still alive then.
class CRenderFolder {
public:
    CRenderFolder();
    ~CRenderFolder();
    CRenderFolder(const CRenderFolder&) = delete;
    CRenderFolder& operator=(const CRenderFolder&) = delete;
    // Empty when it could not be made (with a message).
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

// True while any session is inside a library call: the library takes one
// call at a time on a handle, and a rendering asked for from inside a wait
// would interleave with it.
bool AnyNetworkCallRunning();

// Downloads the described items into `folder` (ending in "/") and gives
// their local paths. All or nothing: false with a message, and whatever was
// fetched is removed again, when any item failed.
bool DownloadDescribed(const CFileDescList& list, const std::string& folder, std::vector<std::string>& paths);
