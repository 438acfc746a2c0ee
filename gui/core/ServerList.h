// The list of stored servers: "Server0", "Server1", ... in the "ServerList"
// section, ending at the first empty value. It only grows; a saved server
// keeps its slot, and "LastAccess" names the one saved last.
#pragma once

#include <string>
#include <vector>

// The stored names in list order, up to the first empty slot.
std::vector<std::string> GetServerList();
bool IsInServerList(const std::string& name);
// Adds the name to the first free slot unless it is listed already, and
// makes it the last accessed server.
void ProfileSave(const std::string& name);
