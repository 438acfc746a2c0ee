// Listings (LIST, NLST, MLSD) into local files or name lists, and the multi-file
// transfers built on them.
#pragma once

#include "Session.h"

namespace netvo {

enum class ListKind { Long, Names, Machine };  // LIST, NLST or MLSD

int ListToFile(Session& s, ListKind kind, const char* remote, const char* localFile);
// Whether MLSD is worth sending: FEAT listed MLST and no MLSD was refused as
// unknown since the login.
bool OffersMachineListing(const Session& s);
// Lists the pattern's folder (NLST, bounded as ftp_mget documents) and gets
// the names that match.
int MultiGet(Session& s, const char* pattern);
int MultiPut(Session& s, const char* pattern);

}  // namespace netvo
