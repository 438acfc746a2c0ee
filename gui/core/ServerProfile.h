// CServerProfile: the stored settings of one FTP server, a section named
// after the server in the profile. Each setter stores the field and writes
// it at once; SaveAll writes everything and adds the server to the list.
// Passwords are plain in memory and scrambled in the profile.
#pragma once

#include <string>

class CServerProfile {
public:
    CServerProfile();
    explicit CServerProfile(const std::string& serverName);

    void SetDefaults();
    // Loads the profile when the name is a stored server; otherwise a
    // default profile for that name. True when it was found.
    bool Create(const std::string& serverName);
    void LoadServerProfile(const std::string& serverName);

    void SetUser(const std::string& user, const std::string& password);
    void SetGateway(const std::string& host, const std::string& user, const std::string& password);
    void SetDataMode(bool passive);
    void SetSecurity(int mode);
    void SetTransferStatus(bool status);
    void SetAutoAscii(bool autoAscii);
    void SetOStype(int osType);
    void SetAutoConnect(bool autoConnect);
    void SetKeepalive(bool keepAlive, int minutes);
    void SetDataPort(int port);
    void SetServerPort(bool otherPort, int port);
    void SetNewDir(const std::string& dir);

    void SaveUser();
    void SaveGateway();
    void SaveDataMode();
    void SaveSecurity();
    void SaveTransferStatus();
    void SaveAutoAscii();
    void SaveOStype();
    void SaveNewDir();
    void SaveAutoConnect();
    void SaveKeepalive();
    void SaveDataPort();
    void SaveServerPort();
    // Every value of the profile, without touching the server list.
    void SaveValues();
    void SaveAll();

    int m_nFtpPort = 21;
    int m_bOtherPort = 0;
    int m_iDataPort = 0;
    int m_bKeepAlive = 0;
    int m_nInterval = 4;
    int m_bAutoConnect = 0;
    int m_bModified = 0;   // set by the property pages, cleared by SaveAll
    int m_bDefStatus = 1;  // the "ShowStatus" preference when the profile was made
    int m_bAutoAscii = 1;
    int m_bStatus = 1;
    int m_bPassive = 1;  // passive: active connections fail behind NAT and firewalls
    int m_iOStype = 1;
    int m_nSecurity = 1;  // NETVO_SECURE_*: explicit TLS when offered
    std::string m_strServer;  // the section name
    std::string m_strPass;
    std::string m_strUser;
    std::string m_strGatePass;
    std::string m_strGateServer;
    std::string m_strGateUser;
    std::string m_strNewDir;

private:
    // A name that carries its port ("host:2121", "[::1]:2121") connects to
    // that port whatever else is stored; the profile says so.
    void TakePortFromName();
};

// The port in a server name as "host:port" or "[v6 address]:port", or 0 when
// it names none (a bare IPv6 address has no port).
int ServerNamePort(const std::string& serverName);

// Why RenameServerProfile refused, or Renamed.
enum class ERenameServer { Renamed, EmptyName, NameTaken, NotStored };

// Removes a stored server: its slot in the server list and every value of
// its profile, the passwords included. False when it was not stored.
bool DeleteServerProfile(const std::string& serverName);
// Moves a stored server's profile, with all its values, to a new name in
// the same slot of the server list. The new name must be free.
ERenameServer RenameServerProfile(const std::string& oldName, const std::string& newName);

// How a password appears in trace lines, which end up in the message pane
// and in saved logs.
const char* MaskedPassword(const std::string& password);
