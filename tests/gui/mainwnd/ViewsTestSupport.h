// Shared by the main-window tests: folders with known entries, and a main
// window with an FTP server selected in its tree.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

class CFileView;
class CMainFrame;
class CSession;
class CTavoDoc;
namespace testbed {
class TestFtpServer;
}

namespace viewtest {

struct Entry {
    std::string name;
    bool folder = false;
    std::size_t size = 0;     // files: bytes of content
    std::time_t modified = 0; // 0: leave the time as it is
};

// Writes the entries into `folder`.
void MakeEntries(const std::filesystem::path& folder, const std::vector<Entry>& entries);
// A time in UTC.
std::time_t UtcTime(int year, int month, int day, int hour, int minute);
// The names of the view's rows in display order.
std::vector<std::string> RowNames(const CFileView& view);
// The texts of one row in Details, as shown: name, size, type, date.
std::vector<std::string> RowTexts(const CFileView& view, int row);
// The row of a name, or -1.
int RowOf(const CFileView& view, const std::string& name);

// Logs a session named `name` in to the server and adds its server item to
// the frame's tree, selected, as a login from the dialog leaves it.
CSession* ConnectServer(CMainFrame& frame, CTavoDoc& doc, const testbed::TestFtpServer& server,
                        const std::string& name = "testbed");

}  // namespace viewtest
