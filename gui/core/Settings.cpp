#include "Settings.h"

#include "Profile.h"
#include "TraceLog.h"

CSettings g_Settings;

void CSettings::Load()
{
    LoadAsciiFileType();
    m_bShowStatus = GetProfileInt(kSectionPreferences, "ShowStatus", 1);
    m_bLocalPrompt = GetProfileInt(kSectionPreferences, "LocalPrompt", 0);
    m_bLocalUnique = GetProfileInt(kSectionPreferences, "LocalUnique", 1);
    m_bRemotePrompt = GetProfileInt(kSectionPreferences, "RemotePrompt", 0);
    m_bRemoteUnique = GetProfileInt(kSectionPreferences, "RemoteUnique", 0);
}

void CSettings::LoadAsciiFileType()
{
    m_lstAsciiExt.clear();
    const int count = GetProfileInt(kSectionAsciiExt, "Count", 0);
    g_TraceLog.Trace("CSettings::LoadAsciiFileType: Count = %d", count);
    for (int i = 0; i < count; ++i) {
        const std::string entry = "Ext" + std::to_string(i);
        const std::string pattern = GetProfileString(kSectionAsciiExt, entry, "");
        g_TraceLog.Trace("CSettings::LoadAsciiFileType: %s = %s", entry.c_str(), pattern.c_str());
        m_lstAsciiExt.push_back(pattern);
    }
}

void CSettings::SaveSettings(int showStatus, int localPrompt, int localUnique, int remotePrompt, int remoteUnique)
{
    m_bShowStatus = showStatus;
    m_bLocalPrompt = localPrompt;
    m_bLocalUnique = localUnique;
    m_bRemotePrompt = remotePrompt;
    m_bRemoteUnique = remoteUnique;
    WriteProfileInt(kSectionPreferences, "ShowStatus", showStatus);
    WriteProfileInt(kSectionPreferences, "LocalPrompt", localPrompt);
    WriteProfileInt(kSectionPreferences, "LocalUnique", localUnique);
    WriteProfileInt(kSectionPreferences, "RemotePrompt", remotePrompt);
    WriteProfileInt(kSectionPreferences, "RemoteUnique", remoteUnique);
}

SettingsValues CSettings::GetSettings() const
{
    return {m_bShowStatus, m_bLocalPrompt, m_bLocalUnique, m_bRemotePrompt, m_bRemoteUnique};
}

bool CSettings::IsAsciiFileType(const std::string& fileName) const
{
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return false;
    const auto listed = [this](const std::string& text) {
        for (const std::string& pattern : m_lstAsciiExt) {
            if (pattern == text)
                return true;
        }
        return false;
    };
    const std::string extension = "*" + fileName.substr(dot);
    g_TraceLog.Trace("CSettings::IsAsciiFileType: Find %s", extension.c_str());
    bool ascii = listed(extension);
    if (!ascii) {
        // Patterns may also name a whole file.
        size_t cut = fileName.rfind('/');
        if (cut == std::string::npos || cut == 0)
            cut = fileName.rfind('\\');
        const std::string name = (cut != std::string::npos && cut > 0) ? fileName.substr(cut + 1) : fileName;
        ascii = listed(name);
    }
    g_TraceLog.Trace("CSettings::IsAsciiFileType: Return %d", ascii ? 1 : 0);
    return ascii;
}

int CSettings::AsciiCallback(std::intptr_t data, const char* fileName)
{
    const auto* settings = reinterpret_cast<const CSettings*>(data);
    return settings && fileName && settings->IsAsciiFileType(fileName) ? 1 : 0;
}
