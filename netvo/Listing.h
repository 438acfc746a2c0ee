// Listings (LIST, NLST) into local files or name lists, and the multi-file
// transfers built on them.
#pragma once

#include "Session.h"

namespace netvo {

enum class ListKind { Long, Names };  // LIST or NLST

int ListToFile(Session& s, ListKind kind, const char* remote, const char* localFile);
// Lists the pattern's folder (NLST, bounded as ftp_mget documents) and gets
// the names that match.
int MultiGet(Session& s, const char* pattern);
int MultiPut(Session& s, const char* pattern);

}  // namespace netvo
