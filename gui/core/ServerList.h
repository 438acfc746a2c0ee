// The list of stored servers: "Server0", "Server1", ... in the "ServerList"
// section, ending at the first empty value. A saved server keeps its slot,
// and "LastAccess" names the one saved last. Only the login dialog's Delete
// and Rename take a name out of the list or change it.
#pragma once

#include <string>
#include <vector>

// The stored names in list order, up to the first empty slot.
std::vector<std::string> GetServerList();
bool IsInServerList(const std::string& name);
// Adds the name to the first free slot unless it is listed already, and
// makes it the last accessed server.
void ProfileSave(const std::string& name);
// Takes the name out of the list; the names after it move up one slot so
// that the list does not end early. False when it was not listed.
bool RemoveFromServerList(const std::string& name);
// Puts newName in oldName's slot. False when oldName was not listed.
bool RenameInServerList(const std::string& oldName, const std::string& newName);
