// Command ids of the menu commands that the document handles or inserts.
#pragma once

inline constexpr int ID_VIEW_TRACE = 32775;        // View > T&race
inline constexpr int ID_FTP_BINARY_ON_ALL = 32787; // FTP > Transfer Mode > &Binary On All
inline constexpr int ID_FTP_ASCII_ON_ALL = 32788;  // FTP > Transfer Mode > &Ascii On All
inline constexpr int ID_FILE_OPEN_ITEM = 32804;    // "&Open" on a folder's context menu
inline constexpr int ID_FTP_DEFAULT_MODE = 32808;  // FTP > Transfer Mode > &Default

// Dynamic menu entries (Send To, file-type verbs) get ids above this one.
inline constexpr int kFirstDynamicCommand = 8193;
