// Small value types shared by the session object and its callers.
#pragma once

// Kind of server, derived from the form of its current folder and stored in
// the server profile; it selects the listing rules and the path separator.
enum SessionOSType : int {
    OsUnknown = 0,
    OsUnix = 1,
    OsDos = 2,
    OsNt = 3,
    OsNtUnix = 4,  // "NT (Unix Style)"
};

// Transfer type argument of the transfer calls.
enum TransferType : int {
    TransferAuto = 0,    // by the file name when the session asks a callback
    TransferAscii = 1,
    TransferBinary = 2,
};

// Session results that do not come from the FTP library.
inline constexpr int kSessionNotTried = -99;  // no connection to try it on
inline constexpr int kSessionFailed = -1;     // Login and SetPwd
