// Listings (LIST, NLST) into local files or name lists, and the multi-file
// transfers built on them.
#pragma once

#include "Session.h"

#include <string>
#include <vector>

namespace netvo {

enum class ListKind { Long, Names };  // LIST or NLST

int ListToFile(Session& s, ListKind kind, const char* remote, const char* localFile);
int ListNames(Session& s, const char* remote, std::vector<std::string>& names);
int MultiGet(Session& s, const char* pattern);
int MultiPut(Session& s, const char* pattern);

}  // namespace netvo
