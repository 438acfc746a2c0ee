#include "DirFile.h"

#include "FtpSession.h"
#include "SessionRegistry.h"
#include "TraceLog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

CDirFile::CDirFile(const std::string& sessionName)
{
    Initialize();
    GetSession(sessionName);
    if (m_pSession)
        m_nOSType = m_pSession->m_nOSType;
}

CDirFile::CDirFile(int handle)
{
    Initialize();
    GetSession(handle);
    if (m_pSession)
        m_nOSType = m_pSession->m_nOSType;
}

CDirFile::~CDirFile()
{
    CloseListing();
    g_TraceLog.Trace("~CDirFile: Delete %s file", m_szTempFile);
    if (m_szTempFile[0] != '\0')
        std::remove(m_szTempFile);
    if (m_bDidCd && m_pSession)
        m_pSession->RestoreCurrentDir();
}

void CDirFile::Initialize()
{
    m_bOpen = false;
    m_nOSType = 0;
    m_bDidCd = false;
    m_clock = CListingClock(std::time(nullptr));

    // A new, private file: mkstemp creates it for this process only, so no
    // other user can slip a listing of their own in.
    std::error_code error;
    std::string folder = std::filesystem::temp_directory_path(error).string();
    if (error || folder.empty())
        folder = "/tmp";
    const std::string pattern = folder + (folder.back() == '/' ? "" : "/") + "ftpXXXXXX";
    if (pattern.size() < sizeof m_szTempFile) {
        std::memcpy(m_szTempFile, pattern.c_str(), pattern.size() + 1);
        const int fd = mkstemp(m_szTempFile);
        if (fd >= 0)
            close(fd);
        else
            m_szTempFile[0] = '\0';
    }
    g_TraceLog.Trace("CDirFile.Initialize: Tempfile = %s", m_szTempFile);
}

void CDirFile::GetSession(const std::string& name)
{
    g_TraceLog.Trace("CDirFile.GetSession: Get session %s.", name.c_str());
    m_pSession = g_GetSession(name);
    if (m_pSession)
        g_TraceLog.Trace("CDirFile.GetSession: Session %s found.", m_pSession->m_strName.c_str());
}

void CDirFile::GetSession(int handle)
{
    g_TraceLog.Trace("CDirFile.GetSession: Get session %d.", handle);
    m_pSession = g_GetSession(handle);
    if (m_pSession)
        g_TraceLog.Trace("CDirFile.GetSession: Session %s found.", m_pSession->m_strName.c_str());
}

void CDirFile::CloseListing()
{
    if (m_file.is_open())
        m_file.close();
    m_bOpen = false;
}

bool CDirFile::CreateDir(const std::string& dir)
{
    if (!m_pSession || m_pSession->IsClosing())
        return false;
    m_pSession->GetFtpHandle();
    CloseListing();
    g_TraceLog.Trace("CDirFile.CreateDir: Dir = %s", dir.c_str());
    m_pSession->CheckConnection();

    // A folder whose name holds a blank is not handed to the listing
    // command (servers split its argument at blanks): change into it and
    // list the current folder instead.
    std::string folder = dir.substr(std::min(dir.find_first_not_of(" \t\r\n"), dir.size()));
    const size_t blank = folder.find(' ');
    if (blank != std::string::npos && blank > 0) {
        // The destructor changes back to the recorded folder; make sure
        // there is one to go back to.
        if (m_pSession->m_strCurDir.empty())
            m_pSession->SetPwd();
        g_TraceLog.Trace("CDirFile.CreateDir: cd to %s", folder.c_str());
        if (m_pSession->Cd(folder, false) == 0) {
            folder.clear();
            m_bDidCd = true;
        }
    }

    if (m_szTempFile[0] != '\0' && ListInto(folder)) {
        m_file.open(m_szTempFile, std::ios::in);
        m_bOpen = m_file.is_open();
    }
    return m_bOpen;
}

bool CDirFile::ListInto(const std::string& folder)
{
    m_bMachine = false;
    if (m_pSession->HasMachineListing()) {
        if (m_pSession->MachineDirToFile(folder, m_szTempFile) == 0) {
            m_bMachine = true;
            return true;
        }
        // A refusal of MLSD as unknown withdraws the offer for this login;
        // any other failure (no such folder) LIST would only repeat.
        if (m_pSession->HasMachineListing())
            return false;
        g_TraceLog.Trace("CDirFile.CreateDir: MLSD refused, listing with LIST");
    }
    return m_pSession->DirToFile(folder, m_szTempFile) == 0;
}

ListingEntry CDirFile::Parse(const std::string& line, ListingRule& rule) const
{
    if (m_bMachine) {
        std::optional<MlsdEntry> machine = ParseMlsdLine(line);
        return machine ? std::move(machine->entry) : ListingEntry{};
    }
    ListingEntry entry = ReadListingLine(line, m_nOSType, rule);
    if (rule == ListingRule::Unix)
        g_TraceLog.Trace("CDirFile.GetFileNameNTUnix: strFile = %s", entry.name.c_str());
    return entry;
}

ListingEntry CDirFile::Parse(const std::string& line) const
{
    ListingRule rule = ListingRule::Unix;
    return Parse(line, rule);
}

bool CDirFile::GetNextDir(std::string& line)
{
    line.clear();
    m_strLine.clear();
    m_entry = ListingEntry{};
    if (!m_bOpen)
        return false;
    std::string read;
    while (std::getline(m_file, read)) {
        if (!read.empty() && read.back() == '\r')
            read.pop_back();
        g_TraceLog.Trace("CDirFile.GetNextDir: %s", read.c_str());
        if (read.empty()) {
            CloseListing();  // an empty line ends the listing, for good
            return false;
        }
        if (m_bMachine) {
            std::optional<MlsdEntry> machine = ParseMlsdLine(read);
            if (!machine)
                continue;
            m_strLine = read;
            m_entry = std::move(machine->entry);
            m_tModified = machine->hasTime ? machine->modified : 0;
            line = m_strLine;
            return true;
        }
        ListingRule rule = ListingRule::Unix;
        ListingEntry entry = Parse(read, rule);
        if (IsSkippedListingLine(read, m_nOSType, entry.name))
            continue;
        m_strLine = read;
        m_rule = rule;
        m_entry = std::move(entry);
        line = m_strLine;
        return true;
    }
    return false;
}

bool CDirFile::IsDir(const std::string& line) const
{
    return Parse(line).isDir;
}

bool CDirFile::IsFile() const
{
    return !m_strLine.empty() && !m_entry.isDir && !IsDotName(m_entry.name);
}

bool CDirFile::IsFile(const std::string& line) const
{
    const ListingEntry entry = Parse(line);
    return !entry.isDir && !IsDotName(entry.name);
}

std::string CDirFile::GetFileName(const std::string& line) const
{
    return Parse(line).name;
}

std::string CDirFile::GetFileNameNTUnix(const std::string& line) const
{
    ListingEntry entry = ParseUnixLine(line);
    g_TraceLog.Trace("CDirFile.GetFileNameNTUnix: strFile = %s", entry.name.c_str());
    return entry.name;
}

std::time_t CDirFile::GetTime() const
{
    if (m_strLine.empty())
        return 0;
    if (m_bMachine)
        return m_tModified;
    return ListingEntryTime(m_entry, m_rule, m_clock);
}
