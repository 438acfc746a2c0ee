// File transfers between a local file and the server: get, put, append and
// their restart forms, plus the data pumps the other transfer kinds share.
#pragma once

#include "Session.h"

namespace netvo {

// offset < 0: resume from the local file's size; 0: a full get.
int Get(Session& s, const char* remote, const char* local, long long offset);

enum class PutMode { Store, Append };
// offset < 0: resume from the server's SIZE; 0: from the start.
int Put(Session& s, const char* local, const char* remote, PutMode mode, long long offset);
// The same with the local path already resolved (not joined to the local
// path again) and the remote name given.
int PutFile(Session& s, const std::string& path, const std::string& remoteName, PutMode mode, long long offset);

class DataConnection;
// Copies the data connection into a file descriptor until the end; with a
// limit (>= 0), more than `limit` bytes give NETVO_E_PROTOCOL.
int ReceiveToFd(DataConnection& dc, int fileFd, bool ascii, Op& op, long long limit = -1);
// Copies a file descriptor (from its current position) to the data connection.
int SendFromFd(int fileFd, DataConnection& dc, bool ascii, Op& op);

// Receives an opened data command into `file` (opened for `path`, or -1 when
// it could not be opened), closes the file and reads the final reply. A
// listing passes kMaxListingBytes as its limit.
int ReceiveIntoFile(Session& s, Op& op, DataConnection& dc, int file, const std::string& path, bool ascii,
                    const std::string& command, long long limit = -1);

// No real folder's listing comes near this; a server sending one without
// end would otherwise fill the disk, or keep a script reading for ever.
constexpr long long kMaxListingBytes = 256LL * 1024 * 1024;
// The failure text for a listing cut off there.
std::string ListingTooLarge();

}  // namespace netvo
