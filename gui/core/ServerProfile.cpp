#include "ServerProfile.h"

#include "PasswordScrambler.h"
#include "Profile.h"
#include "ServerList.h"
#include "Settings.h"
#include "TraceLog.h"

#include <string_view>

namespace {

// Written with "DataMode" since connections apply the mode. Profiles
// without it come from versions whose connections were passive whatever
// "DataMode" said (their login dialog stored active by default), so they
// stay passive rather than switching to active on an upgrade.
constexpr const char* kDataModeApplied = "DataModeApplied";
// The encryption a login asks for (a NETVO_SECURE_* mode). Profiles from
// before encryption existed have no value and get explicit TLS when the
// server offers it.
constexpr const char* kSecurity = "Security";
constexpr int kSecurityDefault = 1;  // NETVO_SECURE_AUTO

}  // namespace

const char* MaskedPassword(const std::string& password)
{
    return password.empty() ? "" : "********";
}

int ServerNamePort(const std::string& serverName)
{
    std::string_view text = serverName;
    std::string_view portText;
    if (!text.empty() && text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':')
            return 0;
        portText = text.substr(close + 2);
    } else {
        const size_t colon = text.find(':');
        // More than one colon: a bare IPv6 address.
        if (colon == std::string_view::npos || colon == 0 || text.find(':', colon + 1) != std::string_view::npos)
            return 0;
        portText = text.substr(colon + 1);
    }
    if (portText.empty() || portText.size() > 5)
        return 0;
    int port = 0;
    for (const char c : portText) {
        if (c < '0' || c > '9')
            return 0;
        port = port * 10 + (c - '0');
    }
    return port >= 1 && port <= 65535 ? port : 0;
}

CServerProfile::CServerProfile()
{
    SetDefaults();
}

CServerProfile::CServerProfile(const std::string& serverName)
{
    SetDefaults();
    Create(serverName);
}

void CServerProfile::SetDefaults()
{
    m_iOStype = 1;
    m_bPassive = 1;
    m_nSecurity = kSecurityDefault;
    m_bStatus = m_bDefStatus = g_Settings.m_bShowStatus;
    m_bAutoAscii = 1;
    m_bModified = 0;
    m_strServer.clear();
    m_strPass.clear();
    m_strUser.clear();
    m_strGatePass.clear();
    m_strGateServer.clear();
    m_strGateUser.clear();
    m_strNewDir.clear();
    m_iDataPort = 0;
    m_bOtherPort = 0;
    m_nFtpPort = 21;
    m_bKeepAlive = 0;
    m_nInterval = 4;
    m_bAutoConnect = 0;
}

bool CServerProfile::Create(const std::string& serverName)
{
    if (IsInServerList(serverName)) {
        m_strServer = serverName;
        g_TraceLog.Trace("Create: m_strServer = %s", m_strServer.c_str());
        LoadServerProfile(serverName);
        return true;
    }
    SetDefaults();
    m_strServer = serverName;
    TakePortFromName();
    return false;
}

void CServerProfile::TakePortFromName()
{
    if (const int port = ServerNamePort(m_strServer)) {
        m_bOtherPort = 1;
        m_nFtpPort = port;
    }
}

void CServerProfile::LoadServerProfile(const std::string& serverName)
{
    g_TraceLog.Trace("LoadServerProfile: Server = %s", serverName.c_str());
    const std::string& s = serverName;
    m_strUser = GetProfileString(s, "Userid", "");
    m_strPass = UnscramblePassword(GetProfileString(s, "Passwd", ""), m_strUser);
    m_strGateServer = GetProfileString(s, "GateHost", "");
    m_strGateUser = GetProfileString(s, "GateUser", "");
    m_strGatePass = UnscramblePassword(GetProfileString(s, "GatePasswd", ""), m_strUser);
    m_strNewDir = GetProfileString(s, "Dir", "");
    m_iOStype = GetProfileInt(s, "OSType", 1);
    m_bPassive = GetProfileInt(s, kDataModeApplied, 0) ? (GetProfileInt(s, "DataMode", 1) != 0 ? 1 : 0) : 1;
    m_nSecurity = GetProfileInt(s, kSecurity, kSecurityDefault);
    if (m_nSecurity < 0 || m_nSecurity > 3)
        m_nSecurity = kSecurityDefault;
    m_bStatus = GetProfileInt(s, "TransferStatus", m_bDefStatus);
    m_bAutoAscii = GetProfileInt(s, "AutoAscii", 1);
    m_bAutoConnect = GetProfileInt(s, "AutoConnect", 0);
    m_bKeepAlive = GetProfileInt(s, "KeepALive", 0);
    m_nInterval = GetProfileInt(s, "ALiveInterval", 4);
    m_iDataPort = GetProfileInt(s, "DataPort", 0);
    m_bOtherPort = GetProfileInt(s, "OtherFtpPort", 0);
    m_nFtpPort = GetProfileInt(s, "FtpPort", 21);
    TakePortFromName();
}

void CServerProfile::SetUser(const std::string& user, const std::string& password)
{
    m_strUser = user;
    m_strPass = password;
    SaveUser();
}

void CServerProfile::SetGateway(const std::string& host, const std::string& user, const std::string& password)
{
    m_strGateServer = host;
    m_strGateUser = user;
    m_strGatePass = password;
    SaveGateway();
}

void CServerProfile::SetDataMode(bool passive)
{
    m_bPassive = passive ? 1 : 0;
    SaveDataMode();
}

void CServerProfile::SetTransferStatus(bool status)
{
    m_bStatus = status ? 1 : 0;
    SaveTransferStatus();
}

void CServerProfile::SetAutoAscii(bool autoAscii)
{
    m_bAutoAscii = autoAscii ? 1 : 0;
    SaveAutoAscii();
}

void CServerProfile::SetOStype(int osType)
{
    m_iOStype = osType;
    SaveOStype();
}

void CServerProfile::SetAutoConnect(bool autoConnect)
{
    m_bAutoConnect = autoConnect ? 1 : 0;
    SaveAutoConnect();
}

void CServerProfile::SetKeepalive(bool keepAlive, int minutes)
{
    m_bKeepAlive = keepAlive ? 1 : 0;
    m_nInterval = minutes;
    SaveKeepalive();
}

void CServerProfile::SetDataPort(int port)
{
    m_iDataPort = port;
    SaveDataPort();
}

void CServerProfile::SetServerPort(bool otherPort, int port)
{
    m_bOtherPort = otherPort ? 1 : 0;
    m_nFtpPort = port;
    SaveServerPort();
}

void CServerProfile::SetNewDir(const std::string& dir)
{
    m_strNewDir = dir;
    SaveNewDir();
}

void CServerProfile::SaveUser()
{
    const std::string& s = m_strServer;
    WriteProfileString(s, "Host", m_strServer);
    WriteProfileString(s, "Userid", m_strUser);
    WriteProfileString(s, "Passwd", ScramblePassword(m_strPass, m_strUser));
    // The firewall password is keyed by the user name too: store it again
    // under the new key, or a changed user name would lose it.
    if (!m_strGatePass.empty())
        WriteProfileString(s, "GatePasswd", ScramblePassword(m_strGatePass, m_strUser));
    g_TraceLog.Trace("SaveUser: m_strServer = %s", m_strServer.c_str());
    g_TraceLog.Trace("SaveUser: m_strUser = %s", m_strUser.c_str());
    g_TraceLog.Trace("SaveUser: m_strPass = %s", MaskedPassword(m_strPass));
}

void CServerProfile::SaveGateway()
{
    const std::string& s = m_strServer;
    WriteProfileString(s, "GateHost", m_strGateServer);
    WriteProfileString(s, "GateUser", m_strGateUser);
    WriteProfileString(s, "GatePasswd", ScramblePassword(m_strGatePass, m_strUser));
    g_TraceLog.Trace("SaveGateway: m_strServer = %s, m_strGateServer = %s", m_strServer.c_str(),
                     m_strGateServer.c_str());
    g_TraceLog.Trace("SaveGateway: m_strGatePass = %s", MaskedPassword(m_strGatePass));
    g_TraceLog.Trace("SaveGateway: m_strGateUser = %s", m_strGateUser.c_str());
}

void CServerProfile::SaveDataMode()
{
    WriteProfileInt(m_strServer, "DataMode", m_bPassive ? 1 : 0);
    WriteProfileInt(m_strServer, kDataModeApplied, 1);
    g_TraceLog.Trace("SaveDataMode: m_strServer =%s, m_bPassive = %d", m_strServer.c_str(), m_bPassive);
}

void CServerProfile::SaveTransferStatus()
{
    WriteProfileInt(m_strServer, "TransferStatus", m_bStatus ? 1 : 0);
    g_TraceLog.Trace("SaveTransferStatus: m_strServer =%s, m_bStatus = %d", m_strServer.c_str(), m_bStatus);
}

void CServerProfile::SaveAutoAscii()
{
    WriteProfileInt(m_strServer, "AutoAscii", m_bAutoAscii);
    g_TraceLog.Trace("SaveAutoAscii: m_strServer =%s, m_bAutoAscii = %d", m_strServer.c_str(), m_bAutoAscii);
}

void CServerProfile::SaveOStype()
{
    WriteProfileInt(m_strServer, "OSType", m_iOStype);
    g_TraceLog.Trace("SaveOStype: m_strServer =%s, m_iOStype = %d", m_strServer.c_str(), m_iOStype);
}

void CServerProfile::SaveNewDir()
{
    WriteProfileString(m_strServer, "Dir", m_strNewDir);
    g_TraceLog.Trace("SaveNewDir: m_strServer = %s, m_strNewDir = %s", m_strServer.c_str(), m_strNewDir.c_str());
}

void CServerProfile::SaveAutoConnect()
{
    WriteProfileInt(m_strServer, "AutoConnect", m_bAutoConnect);
    g_TraceLog.Trace("SaveAutoConnect: m_strServer =%s, m_bAutoConnect = %d", m_strServer.c_str(), m_bAutoConnect);
}

void CServerProfile::SaveKeepalive()
{
    WriteProfileInt(m_strServer, "KeepALive", m_bKeepAlive);
    WriteProfileInt(m_strServer, "ALiveInterval", m_nInterval);
    g_TraceLog.Trace("SaveKeepalive: m_strServer =%s, bKeepalive = %d, interval = %d", m_strServer.c_str(),
                     m_bKeepAlive, m_nInterval);
}

void CServerProfile::SaveDataPort()
{
    WriteProfileInt(m_strServer, "DataPort", m_iDataPort);
    g_TraceLog.Trace("SaveDataPort: m_strServer =%s, iDataPort = %d", m_strServer.c_str(), m_iDataPort);
}

void CServerProfile::SetSecurity(int mode)
{
    m_nSecurity = mode;
    SaveSecurity();
}

void CServerProfile::SaveSecurity()
{
    WriteProfileInt(m_strServer, kSecurity, m_nSecurity);
}

void CServerProfile::SaveServerPort()
{
    WriteProfileInt(m_strServer, "OtherFtpPort", m_bOtherPort);
    WriteProfileInt(m_strServer, "FtpPort", m_nFtpPort);
    g_TraceLog.Trace("SaveServerPort: m_strServer =%s, bSwitch = %d, port = %d", m_strServer.c_str(), m_bOtherPort,
                     m_nFtpPort);
}

void CServerProfile::SaveAll()
{
    SaveValues();
    ProfileSave(m_strServer);
    m_bModified = 0;
}

void CServerProfile::SaveValues()
{
    SaveUser();
    SaveGateway();
    SaveDataMode();
    SaveSecurity();
    SaveTransferStatus();
    SaveAutoAscii();
    SaveOStype();
    SaveNewDir();
    SaveAutoConnect();
    SaveKeepalive();
    SaveDataPort();
    SaveServerPort();
}

bool DeleteServerProfile(const std::string& serverName)
{
    if (!RemoveFromServerList(serverName))
        return false;
    DeleteProfileSection(serverName);
    g_TraceLog.Trace("DeleteServerProfile: %s deleted", serverName.c_str());
    return true;
}

ERenameServer RenameServerProfile(const std::string& oldName, const std::string& newName)
{
    if (newName.empty())
        return ERenameServer::EmptyName;
    if (!IsInServerList(oldName))
        return ERenameServer::NotStored;
    if (IsInServerList(newName))
        return ERenameServer::NameTaken;
    CServerProfile profile(oldName);
    profile.m_strServer = newName;
    // The new section first: whatever stops half-way, the server keeps a
    // complete profile under one of its names.
    DeleteProfileSection(newName);  // leftovers of a server once deleted
    profile.SaveValues();
    RenameInServerList(oldName, newName);
    DeleteProfileSection(oldName);
    g_TraceLog.Trace("RenameServerProfile: %s renamed to %s", oldName.c_str(), newName.c_str());
    return ERenameServer::Renamed;
}
