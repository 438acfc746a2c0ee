// The user's special folders by their shell numbers (CSIDL). The Send To
// folder (9) is the program's own: $XDG_DATA_HOME/Tavo/SendTo, holding
// launchers and links to programs.
#pragma once

#include <QString>

inline constexpr int kCsidlDesktop = 0;
inline constexpr int kCsidlPersonal = 5;
inline constexpr int kCsidlSendTo = 9;
inline constexpr int kCsidlDesktopDirectory = 16;
inline constexpr int kCsidlAppData = 26;

// The folder's path, or empty when the number is unknown or the folder does
// not exist.
QString SpecialFolderPath(int csidl);
