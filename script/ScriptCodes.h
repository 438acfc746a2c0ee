// Completion codes of the script engine itself. FTP statements also pass on
// the codes of the FTP library unchanged.
#pragma once

namespace script_code {

inline constexpr int kOk = 0;
inline constexpr int kFailed = -1;          // file not opened or not read, call refused, query failed
inline constexpr int kUnknownWord = -98;    // unknown statement word
inline constexpr int kNoSession = -99;      // no logged-in session or connection
inline constexpr int kSyntaxError = -999;   // syntax message echoed; also an over-long script line
inline constexpr int kElseLine = 711;       // the line was "else"
inline constexpr int kEndifLine = 712;      // the line was "endif"

}  // namespace script_code
