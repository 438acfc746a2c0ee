// The per-user application profile: named values in sections, kept in the
// INI file of QSettings("Brenmar", "Tavo") under $XDG_CONFIG_HOME. Every
// setting of the program is read and written through these four calls,
// each with section, value name and a default.
#pragma once

#include <string>

// Organization and application of the profile; also shown in trace lines.
inline constexpr const char* kProfileCompany = "Brenmar";
inline constexpr const char* kProfileApplication = "Tavo";

std::string GetProfileString(const std::string& section, const std::string& entry, const std::string& defaultValue);
int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue);
// Both write through at once; false when the profile could not be written.
bool WriteProfileString(const std::string& section, const std::string& entry, const std::string& value);
bool WriteProfileInt(const std::string& section, const std::string& entry, int value);
// Removes a whole section with every value in it; false when the profile
// could not be written.
bool DeleteProfileSection(const std::string& section);
