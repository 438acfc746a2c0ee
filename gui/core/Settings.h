// CSettings: the program-wide preferences and the list of file patterns that
// are sent as ASCII. One global instance, g_Settings; the main window loads
// it once, the preferences sheet writes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SettingsValues {
    int showStatus = 1;
    int localPrompt = 0;
    int localUnique = 1;
    int remotePrompt = 0;
    int remoteUnique = 0;
};

class CSettings {
public:
    void Load();
    void LoadAsciiFileType();
    void SaveSettings(int showStatus, int localPrompt, int localUnique, int remotePrompt, int remoteUnique);
    SettingsValues GetSettings() const;

    // True when the file is sent as ASCII: its extension ("*.txt") or its
    // whole name is in the list, compared with case. Names without a dot
    // are never ASCII.
    bool IsAsciiFileType(const std::string& fileName) const;
    // The session's file-type callback; data is the CSettings object.
    static int AsciiCallback(std::intptr_t data, const char* fileName);

    int m_bShowStatus = 1;
    int m_bLocalPrompt = 0;
    int m_bLocalUnique = 1;
    int m_bRemotePrompt = 0;
    int m_bRemoteUnique = 0;
    std::vector<std::string> m_lstAsciiExt;
};

extern CSettings g_Settings;

// Profile sections and values shared by the settings and the profiles.
inline constexpr const char* kSectionPreferences = "Version 1.0";
inline constexpr const char* kSectionAsciiExt = "AsciiFileExt";
inline constexpr const char* kSectionServerList = "ServerList";
