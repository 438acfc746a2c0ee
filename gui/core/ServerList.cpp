#include "ServerList.h"

#include "Profile.h"
#include "Settings.h"
#include "TraceLog.h"

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
