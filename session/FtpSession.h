// CSession: one logged-in FTP connection over a netvo32 handle. It keeps
// what is needed to rebuild the connection after it drops (login data,
// firewall logins, modes, current folder), checks the link before most
// operations when it has been idle, and can keep it alive with a NOOP on a
// timer. Every library call made through a session raises m_nBusy, so that a
// keep-alive tick never interrupts a running command.
//
// The same source is compiled into the GUI and, with TAVO_MARLO32 defined,
// into the script library. Marlo_ExecLine2 hands a GUI session to the
// library's copy of this code, so the data members must be identical in both
// builds: only member functions differ between them, and there are no
// virtual functions.
#pragma once

#include "SessionTypes.h"
#include "TimerHost.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// File-type callback: nonzero when the named file is to be sent as ASCII.
// The data is wide enough for a pointer, since hosts pass their settings.
using SessionAsciiCallback = int (*)(std::intptr_t data, const char* fileName);

// The name of a session that wraps a connection owned by someone else; such a
// session never quits its connection.
inline constexpr const char* kCallerSessionName = " ";

class CSession {
public:
    CSession();
    ~CSession();
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    // --- Connection ---------------------------------------------------------
    int Login(const std::string& host, const std::string& user, const std::string& password,
              const std::string& account, bool bNoSave, bool bPassive);
    int GateLogin(const std::string& host, const std::string& user, const std::string& password,
                  const std::string& account, bool bNoSave, bool bPassive);
    void AddGateLogin(const std::string& host, const std::string& user, const std::string& password,
                      const std::string& account);
    int Reconnect();
    int Disconnect();
    int CheckConnection();
    bool EnsureAlive();
    int GetFtpHandle();

    // --- Modes --------------------------------------------------------------
    int SetAscii();
    int SetBinary();
    int SetPassive(int flag);
    int SetDataPort(int port);
    int SetReceiveTimeout(int seconds);
    int SetStatusBox(bool flag);
    int SetLocalPath(const std::string& path);
    // The encryption the next login asks for (a NETVO_SECURE_* mode).
    int SetSecurity(int mode);
    // 0 plain, 1 commands encrypted, 2 commands and data encrypted.
    int GetSecurityState();
    int IsAsciiFile(const std::string& name) const;

    // --- Folders and files --------------------------------------------------
    int Cd(const std::string& dir, bool bRefresh);
    int Cdup();
    int SetPwd();
    int FtpRename(const std::string& oldName, const std::string& newName);
    int FtpExists(const std::string& path);
    std::string GetReplyString();
    std::string GetLastErrorString();

    // --- Transfers (type: TransferType) -------------------------------------
    int GetFile(const std::string& remote, const std::string& local, int type);
    int PutFile(const std::string& local, const std::string& remote, int type);
    int AppendFile(const std::string& local, const std::string& remote, int type);
    int RestartPutFile(const std::string& local, const std::string& remote, long long offset, int type);
    int RestartGetFile(const std::string& remote, const std::string& local, long long offset, int type);

    // --- Keep-alive ---------------------------------------------------------
    void SetKeepALive(ITimerHost* window, int minutes);
    void ChangeInterval(int minutes);
    void StopTimer();

#ifdef TAVO_MARLO32
    // --- Script library only --------------------------------------------------
    void SetOnFailed(int retry, int sleep);
    int SetLocalUnique(bool flag);
    int SetStoreUnique(bool flag);
    int LoginAgain();
#else
    // --- GUI only -------------------------------------------------------------
    int IsConnected();
    void SetPort(int port);
    void SetAsciiCallback(std::intptr_t data, SessionAsciiCallback callback, bool bAuto);
    void SetOSType(int type);
    void VerifyOSType();
    std::string GetSeparator() const { return m_strSeparator; }
    void SetClosing() { m_bClosing = true; }
    void ClearClosing() { m_bClosing = false; }
    bool IsClosing() const { return m_bClosing; }
    int RestoreCurrentDir();
    int ChangeRoot(const std::string& dir);
    int FtpMkDir(const std::string& path);
    int FtpDelete(const std::string& path);
    int FtpRmDir(const std::string& path);
    int FtpSite(const std::string& text);
    int FtpChmod(const std::string& path, unsigned mode);
    int DirToFile(const std::string& remote, const std::string& localFile);
    // MLSD: exact sizes, UTC times and types. Offered while the server
    // lists MLST in FEAT and has not refused MLSD as unknown since.
    bool HasMachineListing();
    int MachineDirToFile(const std::string& remote, const std::string& localFile);
    int RemotePutFile(int destHandle, const std::string& source, const std::string& dest, int type);
    void SendNOOP();
#endif

    // --- Data ---------------------------------------------------------------
    // Public like the rest of the session state: the views and the script
    // engine read them directly. The comments give the meaning; the values
    // here are the initial ones (the constructor sets the times to now).
    bool m_bUsePort = false;  // Login opens with m_nPort (SetPort)
    int m_nPort = 0;
    unsigned m_nTimerID = 0;           // keep-alive timer id: the handle at the first start
    std::time_t m_tLastCheck = 0;      // last time the link was known to be alive
    std::time_t m_tConnected = 0;
    std::time_t m_tCreated = 0;
    std::intptr_t m_nCallbackData = 0;  // first argument of m_pfnIsAscii
    int m_nReceiveTimeout = -1;         // -1: never set
    bool m_bAutoAscii = false;          // with TransferAuto, ask m_pfnIsAscii
    bool m_bStatusBox = false;
    std::string m_strRoot;              // root folder: first SetPwd, or ChangeRoot
    bool m_bClosing = false;            // the tree entry is being emptied
    int m_nOSType = OsUnknown;
    bool m_bPassive = false;
    // Explicit TLS when the server offers it: passwords then never go out
    // in clear text, and servers without TLS still work.
    int m_nSecurity = 1;                // NETVO_SECURE_AUTO
    int m_nSleep = 0;                   // copy of the script's retry rule
    int m_nRetry = 0;
    bool m_bRetry = false;
    std::string m_strCurDir;            // as ftp_pwd gave it
    bool m_bBinary = false;             // last type set successfully
    int m_nGateCount = 0;               // remembered firewall logins, in order
    std::vector<std::string> m_aGateAccount;
    std::vector<std::string> m_aGatePassword;
    std::vector<std::string> m_aGateUser;
    std::vector<std::string> m_aGateHost;
    std::string m_strAccount;           // login data kept for Reconnect
    std::string m_strPassword;
    std::string m_strUser;
    std::string m_strHost;
    std::string m_strLocalPath;         // local receive folder
    bool m_bStoreUnique = false;        // modes to switch on again after a reconnect
    bool m_bLocalUnique = false;
    std::string m_strName;
    // The server's reply to the last successful login or firewall login,
    // kept as it came: the session's own commands after a login (modes,
    // folder, kind of server) replace the connection's last reply, and a
    // login is to be reported by its own answer. Empty after a failure.
    std::string m_strLoginReply;
    int m_nFtpHandle = 0;               // 0 or less: not connected
    std::string m_strSeparator = "/";   // "/" or "\\"
    int m_nDataPort = 0;                // 0: none
    int m_nBusy = 0;                    // depth of library calls in progress
    ITimerHost* m_hTimerWnd = nullptr;  // owner of the keep-alive timer
    int m_nIdleLimit = 120;             // seconds of idleness before EnsureAlive checks
    int m_nKeepAlive = 0;               // minutes; 0 = off
    SessionAsciiCallback m_pfnIsAscii = nullptr;
    // Set while CheckConnection rebuilds the connection: the restore steps
    // call operations that check the link themselves, and a link that drops
    // again meanwhile must not start a second rebuild inside the first.
    bool m_bRebuilding = false;

private:
    // The remembered firewall logins, in order, on a fresh login; the
    // first failure disconnects and is returned.
    int ReplayGateLogins();
    void RestoreAfterReconnect(int& cc);
    bool SelectTransferType(int type, const std::string& name);
};

// Raises a session's busy count for the lifetime of the object.
class CBusyBracket {
public:
    explicit CBusyBracket(CSession& session) : m_nBusy(session.m_nBusy) { ++m_nBusy; }
    ~CBusyBracket() { --m_nBusy; }
    CBusyBracket(const CBusyBracket&) = delete;
    CBusyBracket& operator=(const CBusyBracket&) = delete;

private:
    int& m_nBusy;
};
