#include "ViewsTestSupport.h"

#include "DriveView.h"
#include "FileListModel.h"
#include "FileView.h"
#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace viewtest {

void MakeEntries(const std::filesystem::path& folder, const std::vector<Entry>& entries)
{
    std::filesystem::create_directories(folder);
    for (const Entry& entry : entries) {
        const std::filesystem::path path = folder / entry.name;
        if (entry.folder)
            std::filesystem::create_directories(path);
        else
            guitest::WriteFile(path, std::string(entry.size, 'x'));
        if (entry.modified != 0) {
            const auto time = std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(entry.modified));
            std::filesystem::last_write_time(path, time);
        }
    }
}

std::time_t UtcTime(int year, int month, int day, int hour, int minute)
{
    struct tm fields {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    return timegm(&fields);
}

std::vector<std::string> RowNames(const CFileView& view)
{
    std::vector<std::string> names;
    for (int row = 0; row < view.GetItemCount(); ++row)
        names.push_back(view.GetItem(row)->m_strName);
    return names;
}

std::vector<std::string> RowTexts(const CFileView& view, int row)
{
    std::vector<std::string> texts;
    const CFileListModel* model = view.GetModel();
    for (int column = 0; column < CFileListModel::ColCount; ++column)
        texts.push_back(model->data(model->index(row, column)).toString().toStdString());
    return texts;
}

int RowOf(const CFileView& view, const std::string& name)
{
    for (int row = 0; row < view.GetItemCount(); ++row) {
        if (view.GetItem(row)->m_strName == name)
            return row;
    }
    return -1;
}

CSession* ConnectServer(CMainFrame& frame, CTavoDoc& doc, const testbed::TestFtpServer& server,
                        const std::string& name)
{
    CSession* session = guitest::LoginSession(doc, server, name);
    EXPECT_NE(frame.GetDriveView(), nullptr);
    if (!session || !frame.GetDriveView())
        return session;
    EXPECT_TRUE(frame.GetDriveView()->AddFtpServerToTree(session->m_strName, true));
    return session;
}

}  // namespace viewtest
