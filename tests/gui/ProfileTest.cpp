// Preferences, the server list and server profiles, on the temporary
// profile of the test program.
#include "GuiTestSupport.h"
#include "PasswordScrambler.h"
#include "Profile.h"
#include "ServerList.h"
#include "ServerProfile.h"
#include "Settings.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <cctype>

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Brenmar", "Tavo").clear();
        g_Settings = CSettings();
    }
};

bool IsUpperHex(const std::string& text)
{
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)) || std::islower(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

}  // namespace

TEST_F(ProfileTest, ProfileLivesInTheConfigFolder)
{
    WriteProfileString("Version 1.0", "Probe", "x");
    EXPECT_TRUE(std::filesystem::exists(guitest::ConfigHome() / "Brenmar" / "Tavo.conf"));
}

TEST_F(ProfileTest, PreferencesDefaultAndRoundTrip)
{
    g_Settings.Load();
    const SettingsValues defaults = g_Settings.GetSettings();
    EXPECT_EQ(defaults.showStatus, 1);
    EXPECT_EQ(defaults.localPrompt, 0);
    EXPECT_EQ(defaults.localUnique, 1);
    EXPECT_EQ(defaults.remotePrompt, 0);
    EXPECT_EQ(defaults.remoteUnique, 0);
    EXPECT_TRUE(g_Settings.m_lstAsciiExt.empty());

    g_Settings.SaveSettings(0, 1, 0, 1, 1);
    CSettings reread;
    reread.Load();
    const SettingsValues saved = reread.GetSettings();
    EXPECT_EQ(saved.showStatus, 0);
    EXPECT_EQ(saved.localPrompt, 1);
    EXPECT_EQ(saved.localUnique, 0);
    EXPECT_EQ(saved.remotePrompt, 1);
    EXPECT_EQ(saved.remoteUnique, 1);
}

TEST_F(ProfileTest, AsciiFileTypes)
{
    WriteProfileInt("AsciiFileExt", "Count", 3);
    WriteProfileString("AsciiFileExt", "Ext0", "*.txt");
    WriteProfileString("AsciiFileExt", "Ext1", "Makefile");
    WriteProfileString("AsciiFileExt", "Ext2", "read.me");
    guitest::TraceCapture capture;
    g_Settings.LoadAsciiFileType();
    EXPECT_TRUE(capture.Has("CSettings::LoadAsciiFileType: Count = 3"));
    EXPECT_TRUE(capture.Has("CSettings::LoadAsciiFileType: Ext1 = Makefile"));
    ASSERT_EQ(g_Settings.m_lstAsciiExt.size(), 3u);

    struct Case {
        const char* name;
        bool ascii;
    };
    const std::vector<Case> cases = {
        {"notes.txt", true},
        {"/pub/docs/notes.txt", true},
        {"NOTES.TXT", false},           // compared with case
        {"/pub/NOTES.TXT", false},
        {"Makefile", false},            // no dot: never ASCII, even when listed
        {"/src.d/Makefile", true},      // a whole name, after the folder
        {"/pub/read.me", true},
        {"archive.tar.gz", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(g_Settings.IsAsciiFileType(c.name), c.ascii);
        EXPECT_EQ(CSettings::AsciiCallback(reinterpret_cast<std::intptr_t>(&g_Settings), c.name), c.ascii ? 1 : 0);
    }
    EXPECT_TRUE(capture.Has("CSettings::IsAsciiFileType: Find *.txt"));
    EXPECT_TRUE(capture.Has("CSettings::IsAsciiFileType: Return 1"));
}

TEST_F(ProfileTest, ServerListEndsAtTheFirstGapAndSaveFillsIt)
{
    WriteProfileString("ServerList", "Server0", "alpha");
    WriteProfileString("ServerList", "Server2", "gamma");
    EXPECT_EQ(GetServerList(), std::vector<std::string>{"alpha"});
    EXPECT_TRUE(IsInServerList("alpha"));
    EXPECT_FALSE(IsInServerList("Alpha"));
    EXPECT_FALSE(IsInServerList("gamma"));

    guitest::TraceCapture capture;
    ProfileSave("gamma");
    EXPECT_EQ(GetProfileString("ServerList", "Server1", ""), "gamma");
    EXPECT_EQ(GetProfileString("ServerList", "LastAccess", ""), "gamma");
    EXPECT_TRUE(capture.Has("ProfileSave: Profile gamma saved in Tavo, regkey = Brenmar"));

    // Saving a listed server again only makes it the last one used.
    ProfileSave("alpha");
    EXPECT_EQ(GetServerList(), (std::vector<std::string>{"alpha", "gamma", "gamma"}));
    EXPECT_EQ(GetProfileString("ServerList", "LastAccess", ""), "alpha");
}

TEST_F(ProfileTest, UnknownServerGetsTheDefaults)
{
    g_Settings.m_bShowStatus = 0;
    CServerProfile profile("nowhere.example");
    EXPECT_EQ(profile.m_strServer, "nowhere.example");
    EXPECT_EQ(profile.m_iOStype, 1);
    EXPECT_EQ(profile.m_bPassive, 1);
    EXPECT_EQ(profile.m_bStatus, 0);
    EXPECT_EQ(profile.m_bAutoAscii, 1);
    EXPECT_EQ(profile.m_nFtpPort, 21);
    EXPECT_EQ(profile.m_nInterval, 4);
    EXPECT_TRUE(profile.m_strUser.empty());
}

TEST_F(ProfileTest, SaveAllAndLoadAgain)
{
    CServerProfile profile("ftp.example.org");
    profile.m_strUser = "anonymous-user";
    profile.m_strPass = "pa55 w\xC3\xB6rd";
    profile.m_strGateServer = "gate.example.org";
    profile.m_strGateUser = "fw";
    profile.m_strGatePass = "fwsecret";
    profile.m_strNewDir = "/pub/My Files";
    profile.m_bPassive = 1;
    profile.m_bStatus = 0;
    profile.m_bAutoAscii = 0;
    profile.m_iOStype = 3;
    profile.m_bAutoConnect = 1;
    profile.m_bKeepAlive = 1;
    profile.m_nInterval = 7;
    profile.m_iDataPort = 20020;
    profile.m_bOtherPort = 1;
    profile.m_nFtpPort = 2121;
    profile.m_bModified = 1;
    profile.SaveAll();
    EXPECT_EQ(profile.m_bModified, 0);
    EXPECT_TRUE(IsInServerList("ftp.example.org"));
    EXPECT_EQ(GetProfileString("ftp.example.org", "Host", ""), "ftp.example.org");

    CServerProfile loaded("ftp.example.org");
    EXPECT_EQ(loaded.m_strUser, "anonymous-user");
    EXPECT_EQ(loaded.m_strPass, "pa55 w\xC3\xB6rd");
    EXPECT_EQ(loaded.m_strGateServer, "gate.example.org");
    EXPECT_EQ(loaded.m_strGateUser, "fw");
    EXPECT_EQ(loaded.m_strGatePass, "fwsecret");
    EXPECT_EQ(loaded.m_strNewDir, "/pub/My Files");
    EXPECT_EQ(loaded.m_bPassive, 1);
    EXPECT_EQ(loaded.m_bStatus, 0);
    EXPECT_EQ(loaded.m_bAutoAscii, 0);
    EXPECT_EQ(loaded.m_iOStype, 3);
    EXPECT_EQ(loaded.m_bAutoConnect, 1);
    EXPECT_EQ(loaded.m_bKeepAlive, 1);
    EXPECT_EQ(loaded.m_nInterval, 7);
    EXPECT_EQ(loaded.m_iDataPort, 20020);
    EXPECT_EQ(loaded.m_bOtherPort, 1);
    EXPECT_EQ(loaded.m_nFtpPort, 2121);
}

TEST_F(ProfileTest, ProfilesFromBeforeTheModeWasAppliedStayPassive)
{
    // Those connections ran passive whatever "DataMode" said; only a mode
    // written since it is applied is taken as chosen.
    struct Case {
        const char* dataMode;  // nullptr: not stored
        const char* applied;
        int passive;
    } const cases[] = {
        {nullptr, nullptr, 1}, {"0", nullptr, 1}, {"1", nullptr, 1},
        {"0", "1", 0},         {"1", "1", 1},     {nullptr, "1", 1},
    };
    for (const Case& c : cases) {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Brenmar", "Tavo").clear();
        ProfileSave("old.example");
        WriteProfileString("old.example", "Userid", "u");
        if (c.dataMode)
            WriteProfileString("old.example", "DataMode", c.dataMode);
        if (c.applied)
            WriteProfileString("old.example", "DataModeApplied", c.applied);
        EXPECT_EQ(CServerProfile("old.example").m_bPassive, c.passive) << &c - cases;
    }
}

TEST_F(ProfileTest, APortInTheServerNameIsTheProfilesPort)
{
    struct Case {
        const char* name;
        int port;
    } const cases[] = {
        {"127.0.0.1:2121", 2121}, {"[::1]:990", 990}, {"ftp.example.org", 0}, {"fe80::1:21", 0},
        {"[::1]", 0},             {"host:", 0},       {"host:0", 0},          {"host:65536", 0},
        {"host:12a", 0},          {"[::1]x:21", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ServerNamePort(c.name), c.port) << c.name;

    // The name's port wins over a stored one: it is the one connected to.
    ProfileSave("127.0.0.1:2121");
    WriteProfileInt("127.0.0.1:2121", "FtpPort", 4000);
    const CServerProfile stored("127.0.0.1:2121");
    EXPECT_EQ(stored.m_bOtherPort, 1);
    EXPECT_EQ(stored.m_nFtpPort, 2121);
}

TEST_F(ProfileTest, ServerNamesWithSlashesStayTheirOwnSection)
{
    CServerProfile profile("host/with\\slashes");
    profile.SetUser("u", "p");
    profile.SaveAll();
    CServerProfile loaded("host/with\\slashes");
    EXPECT_EQ(loaded.m_strUser, "u");
    EXPECT_EQ(loaded.m_strPass, "p");
    EXPECT_EQ(GetProfileString("host", "with", "none"), "none");
}

TEST_F(ProfileTest, TransferStatusFallsBackToShowStatus)
{
    ProfileSave("quiet");
    WriteProfileString("quiet", "Userid", "u");
    g_Settings.m_bShowStatus = 0;
    EXPECT_EQ(CServerProfile("quiet").m_bStatus, 0);
    g_Settings.m_bShowStatus = 1;
    EXPECT_EQ(CServerProfile("quiet").m_bStatus, 1);
    WriteProfileInt("quiet", "TransferStatus", 0);
    EXPECT_EQ(CServerProfile("quiet").m_bStatus, 0);
}

TEST_F(ProfileTest, StoredPasswordsAreScrambled)
{
    CServerProfile profile("scrambled");
    profile.SetUser("someone", "secret password");
    const std::string stored = GetProfileString("scrambled", "Passwd", "");
    EXPECT_EQ(stored.size(), 32u);  // 15 bytes, two blocks
    EXPECT_TRUE(IsUpperHex(stored));
    EXPECT_EQ(stored.find("secret"), std::string::npos);
    EXPECT_EQ(UnscramblePassword(stored, "someone"), "secret password");

    // An empty password is stored empty.
    profile.SetUser("someone", "");
    EXPECT_EQ(GetProfileString("scrambled", "Passwd", "x"), "");
}

TEST(PasswordScrambler, KeyedByTheFirstEightBytesOfTheUserName)
{
    struct Case {
        std::string password;
        std::string user;
    };
    const std::vector<Case> cases = {
        {"a", "bob"},
        {"exactly8", "longer-user-name"},
        {"seventeen chars!!", ""},
        {std::string("\xFF\x01\x7F", 3), "\xC3\xBC" "ser"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password + " / " + c.user);
        const std::string stored = ScramblePassword(c.password, c.user);
        EXPECT_EQ(stored.size(), (c.password.size() + 7) / 8 * 16);
        EXPECT_TRUE(IsUpperHex(stored));
        EXPECT_EQ(UnscramblePassword(stored, c.user), c.password);
        // A longer user name changes the key only within its first eight bytes.
        const std::string other = UnscramblePassword(stored, c.user + "x");
        if (c.user.size() >= 8)
            EXPECT_EQ(other, c.password);
        else
            EXPECT_NE(other, c.password);
    }
    // Only the first eight bytes of the user name count.
    const std::string stored = ScramblePassword("pw", "12345678-ignored");
    EXPECT_EQ(UnscramblePassword(stored, "12345678"), "pw");
    EXPECT_EQ(UnscramblePassword(stored, "12345678-other"), "pw");
    // Another user name cannot read it back.
    EXPECT_NE(UnscramblePassword(stored, "12345679"), "pw");
    EXPECT_NE(UnscramblePassword(ScramblePassword("secret", "alice"), "alicf"), "secret");
    // The same password scrambles differently for different users.
    EXPECT_NE(ScramblePassword("secret", "alice"), ScramblePassword("secret", "bob"));
    // What is not the stored form reads as no password.
    EXPECT_EQ(UnscramblePassword("XYZ", "alice"), "");
    EXPECT_EQ(UnscramblePassword("0123456789ABCDEG", "alice"), "");
}

TEST_F(ProfileTest, ChangingTheUserNameMakesStoredPasswordsUnreadable)
{
    CServerProfile profile("renamed");
    profile.SetUser("olduser", "topsecret");
    profile.SaveAll();
    WriteProfileString("renamed", "Userid", "newuser");
    EXPECT_NE(CServerProfile("renamed").m_strPass, "topsecret");
}

TEST_F(ProfileTest, FirewallPasswordFollowsAChangedUserName)
{
    ProfileSave("gated");
    CServerProfile profile("gated");
    profile.SetUser("first", "pw");
    profile.SetGateway("gate", "fw", "fwpw");
    profile.SetUser("second", "pw2");
    const CServerProfile loaded("gated");
    EXPECT_EQ(loaded.m_strGatePass, "fwpw");
}

TEST_F(ProfileTest, SavesTraceEveryValueButNoPassword)
{
    CServerProfile profile("traced");
    profile.m_strUser = "tuser";
    profile.m_strPass = "plain-secret";
    profile.m_strGatePass = "gate-secret";
    profile.m_strGateServer = "gw";
    profile.m_strGateUser = "gwuser";
    guitest::TraceCapture capture;
    profile.SaveAll();
    const std::vector<std::string> expected = {
        "SaveUser: m_strServer = traced",
        "SaveUser: m_strUser = tuser",
        "SaveUser: m_strPass = ********",
        "SaveGateway: m_strServer = traced, m_strGateServer = gw",
        "SaveGateway: m_strGatePass = ********",
        "SaveGateway: m_strGateUser = gwuser",
        "SaveDataMode: m_strServer =traced, m_bPassive = 1",
        "SaveTransferStatus: m_strServer =traced, m_bStatus = 1",
        "SaveAutoAscii: m_strServer =traced, m_bAutoAscii = 1",
        "SaveOStype: m_strServer =traced, m_iOStype = 1",
        "SaveNewDir: m_strServer = traced, m_strNewDir = ",
        "SaveAutoConnect: m_strServer =traced, m_bAutoConnect = 0",
        "SaveKeepalive: m_strServer =traced, bKeepalive = 0, interval = 4",
        "SaveDataPort: m_strServer =traced, iDataPort = 0",
        "SaveServerPort: m_strServer =traced, bSwitch = 0, port = 21",
        "ProfileSave: Profile traced saved in Tavo, regkey = Brenmar",
    };
    EXPECT_EQ(capture.Texts(), expected);
    EXPECT_EQ(capture.Count("secret"), 0);
}
