// One file's transfer for a paste, with what a user expects of a file
// manager: a download lands under its real name only when it is complete
// (an existing file there stays as it was until then), and a failed upload
// or server-to-server copy does not leave a piece of a file under a name
// that was free before. Results are the session's: 0 for success.
#pragma once

#include <string>

class CSession;

namespace paste {

int DownloadFile(CSession& source, const std::string& remote, const std::string& local, int type);
// `newName`: the remote name did not exist before, so whatever a failed
// transfer left there is removed.
int UploadFile(CSession& target, const std::string& local, const std::string& remote, int type, bool newName);
int CopyBetweenServers(CSession& source, CSession& target, const std::string& from, const std::string& to, int type,
                       bool newName);

// The transfer ended because the user pressed Cancel.
bool IsCancel(int result);

}  // namespace paste
