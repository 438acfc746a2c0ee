#include "ServerList.h"

#include "Profile.h"
#include "Settings.h"
#include "TraceLog.h"

#include <algorithm>

namespace {

std::string SlotName(int index)
{
    return "Server" + std::to_string(index);
}

}  // namespace

std::vector<std::string> GetServerList()
{
    std::vector<std::string> names;
    for (int i = 0;; ++i) {
        std::string name = GetProfileString(kSectionServerList, SlotName(i), "");
        if (name.empty())
            return names;
        names.push_back(std::move(name));
    }
}

bool IsInServerList(const std::string& name)
{
    for (const std::string& listed : GetServerList()) {
        if (listed == name)
            return true;
    }
    return false;
}

void ProfileSave(const std::string& name)
{
    int slot = 0;
    std::string listed;
    for (;; ++slot) {
        listed = GetProfileString(kSectionServerList, SlotName(slot), "");
        if (listed.empty() || listed == name)
            break;
    }
    // An empty name would end the list where it is written.
    if (listed.empty() && !name.empty()) {
        if (WriteProfileString(kSectionServerList, SlotName(slot), name))
            g_TraceLog.Trace("ProfileSave: Profile %s saved in %s, regkey = %s", name.c_str(), kProfileApplication,
                             kProfileCompany);
        else
            g_TraceLog.Trace("ProfileSave: Error saving %s to profile", name.c_str());
    }
    WriteProfileString(kSectionServerList, "LastAccess", name);
}

bool RemoveFromServerList(const std::string& name)
{
    std::vector<std::string> names = GetServerList();
    const auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end())
        return false;
    names.erase(found);
    for (size_t i = 0; i < names.size(); ++i)
        WriteProfileString(kSectionServerList, SlotName(static_cast<int>(i)), names[i]);
    // The old last slot ends the list now.
    WriteProfileString(kSectionServerList, SlotName(static_cast<int>(names.size())), "");
    if (GetProfileString(kSectionServerList, "LastAccess", "") == name)
        WriteProfileString(kSectionServerList, "LastAccess", "");
    g_TraceLog.Trace("RemoveFromServerList: %s removed", name.c_str());
    return true;
}

bool RenameInServerList(const std::string& oldName, const std::string& newName)
{
    const std::vector<std::string> names = GetServerList();
    const auto found = std::find(names.begin(), names.end(), oldName);
    if (found == names.end() || newName.empty())
        return false;
    WriteProfileString(kSectionServerList, SlotName(static_cast<int>(found - names.begin())), newName);
    if (GetProfileString(kSectionServerList, "LastAccess", "") == oldName)
        WriteProfileString(kSectionServerList, "LastAccess", newName);
    g_TraceLog.Trace("RenameInServerList: %s renamed to %s", oldName.c_str(), newName.c_str());
    return true;
}
