// CDirFile: one remote folder listing. It fetches the listing through the
// session into a temporary file (MLSD where the server offers it, for exact
// sizes and times, else the long listing) and hands out its entries one line at a
// time; for the current line it tells the name, whether it is a folder, the
// size and the modification time. It lives on the stack of one listing
// operation: construct, CreateDir, loop over GetNextDir, destroy.
#pragma once

#include "ListingClock.h"
#include "ListingRules.h"
#include "MlsdListing.h"

#include <cstdint>
#include <ctime>
#include <fstream>
#include <string>

class CSession;

class CDirFile {
public:
    explicit CDirFile(const std::string& sessionName);
    explicit CDirFile(int handle);
    ~CDirFile();
    CDirFile(const CDirFile&) = delete;
    CDirFile& operator=(const CDirFile&) = delete;

    // Lists `dir` into the temporary file; true when it is ready to read.
    bool CreateDir(const std::string& dir);
    // The next entry line; false at the end, at an empty line, or when
    // nothing was listed. Lines that name no entry are passed over.
    bool GetNextDir(std::string& line);

    // A link is no folder (IsDir is false): the listing cannot tell what it
    // points to, and walks that recurse must not leave their tree through it.
    bool IsDir() const { return m_entry.isDir; }
    bool IsLink() const { return m_entry.isLink; }
    // The name is the link's own; this is where it points, as listed.
    std::string GetLinkTarget() const { return m_entry.linkTarget; }
    bool IsDir(const std::string& line) const;
    bool IsFile() const;
    bool IsFile(const std::string& line) const;
    std::string GetFileName() const { return m_entry.name; }
    std::string GetFileName(const std::string& line) const;
    std::string GetFileNameNTUnix(const std::string& line) const;
    std::int64_t GetSize() const { return m_entry.size; }
    std::time_t GetTime() const;
    // The lines are MLSD facts and name ("type=file;size=5; a.txt"), not a
    // listing the server formatted.
    bool IsMachineListing() const { return m_bMachine; }

    CSession* GetSessionObject() const { return m_pSession; }
    const char* GetTempFileName() const { return m_szTempFile; }

private:
    void Initialize();
    void GetSession(const std::string& name);
    void GetSession(int handle);
    ListingEntry Parse(const std::string& line, ListingRule& rule) const;
    ListingEntry Parse(const std::string& line) const;
    void CloseListing();
    bool ListInto(const std::string& folder);

    bool m_bDidCd = false;  // CreateDir changed the server's folder: restore it
    int m_nOSType = 0;      // SessionOSType of the session
    CSession* m_pSession = nullptr;
    std::string m_strLine;  // the current listing line
    bool m_bOpen = false;
    char m_szTempFile[4096] = "";
    std::ifstream m_file;

    ListingRule m_rule = ListingRule::Unix;  // the rule m_strLine was read by
    ListingEntry m_entry;                    // m_strLine, parsed once
    mutable CListingClock m_clock{0};        // local times; "now" for recent Unix entries
    bool m_bMachine = false;                 // the file holds MLSD lines
    std::time_t m_tModified = 0;             // the MLSD entry's time; 0 when not given
};
