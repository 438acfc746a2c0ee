// Run Script and Run Script Background of the file list: a local script
// file run in this process through the script library, or by the console
// runner in a process of its own.
#include "ScriptRun.h"

#include "CommandEcho.h"
#include "FileListModel.h"
#include "FileView.h"
#include "MainFrame.h"
#include "Marlo32.h"
#include "MsgView.h"
#include "TraceLog.h"
#include "WaitHook.h"
#include "netvo32.h"

#include <QProcess>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Command lines the script shows, each ending its line.
int ClientEcho(std::intptr_t /*userData*/, const char* text)
{
    if (!g_pMsgView || !text)
        return 0;
    // The pane (and a saved log) never shows a login's password.
    std::string line = text;
    if (line.rfind("C> ", 0) == 0)
        line = "C> " + MaskedScriptLine(line.substr(3));
    QString shown = QString::fromStdString(line);
    if (!shown.endsWith(QLatin1String("\r\n")))
        shown += QLatin1String("\r\n");
    g_pMsgView->AddText(shown);
    return 0;
}

// What the server answered, as it came.
int ServerEcho(std::intptr_t /*userData*/, const char* text)
{
    if (g_pMsgView && text)
        g_pMsgView->AddText(text);
    return 0;
}

// Moves the process into a folder for its lifetime and back afterwards. The
// way back is held open as a descriptor, so that it works even when the
// old folder was renamed meanwhile, or is not readable.
class CWorkingFolderScope {
public:
    CWorkingFolderScope() : m_nOld(::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC)) {}
    ~CWorkingFolderScope()
    {
        if (m_bMoved && ::fchdir(m_nOld) != 0)
            g_TraceLog.Message("Cannot go back to the working folder: %s", std::strerror(errno));
        if (m_nOld >= 0)
            ::close(m_nOld);
    }
    CWorkingFolderScope(const CWorkingFolderScope&) = delete;
    CWorkingFolderScope& operator=(const CWorkingFolderScope&) = delete;

    // False with the reason when the process cannot go there (or could not
    // come back).
    bool Enter(const std::string& folder, std::string& error)
    {
        if (m_nOld < 0) {
            error = std::string("the current working folder cannot be kept: ") + std::strerror(errno);
            return false;
        }
        if (::chdir(folder.c_str()) != 0) {
            error = folder + ": " + std::strerror(errno);
            return false;
        }
        m_bMoved = true;
        return true;
    }

private:
    int m_nOld = -1;
    bool m_bMoved = false;
};

// The file name part of a path.
std::string BaseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ScriptFolder(const std::string& scriptPath)
{
    const size_t slash = scriptPath.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return scriptPath.substr(0, slash);
}

std::string ScriptRunner()
{
    std::string runner;
    if (g_pMainFrame)
        runner = g_pMainFrame->GetAppRegValue(QStringLiteral("marlo")).toStdString();
    if (runner.empty())
        runner = g_strProgramFolder + "marlo";
    return runner;
}

bool CFileView::CanRunScript() const
{
    const FileListItem* item = GetSelectedItem();
    return item && m_nFtpHandle <= 0 && item->m_nSession <= 0 && !item->m_bIsDir;
}

bool CFileView::CanSchedule() const
{
    return CanRunScript() && GetSelectedItems().size() == 1;
}

int CFileView::OnFtpRunscript()
{
    if (!CanRunScript())
        return -1;
    const std::string script = GetSelectedFileName();
    g_TraceLog.Trace("CFileView::OnFtpRunscript: Run %s", script.c_str());
    CWaitCursor wait;
    // Relative paths in the script mean its own folder, wherever the
    // program stands; the program's own folder is the same afterwards.
    CWorkingFolderScope folder;
    std::string error;
    if (!folder.Enter(ScriptFolder(script), error)) {
        g_TraceLog.Message("Cannot run the script %s: %s", script.c_str(), error.c_str());
        return -1;
    }
    // Pauses of the script's retry rules show the progress window, whose
    // Cancel ends the run.
    CWaitHook::SetText(QStringLiteral("Running script %1").arg(QString::fromStdString(BaseName(script))));
    const int result = Marlo_Execute2(script.c_str(), 0, &ClientEcho, &ServerEcho);
    CWaitHook::SetText(QString());
    g_TraceLog.Trace("CFileView::OnFtpRunscript: %s returns %d", script.c_str(), result);
    // The dialogue shows the failing statement; this line says the run
    // stopped there, and why, when the dialogue would not.
    if (result == NETVO_E_ABORTED)
        g_TraceLog.Message("Script %s was cancelled.", script.c_str());
    else if (result == -1)
        g_TraceLog.Message("Script %s could not be read.", script.c_str());
    else if (result != 0)
        g_TraceLog.Message("Script %s stopped with code %d.", script.c_str(), result);
    // What the script fetched into the shown folder appears at once.
    if (m_nFtpHandle <= 0) {
        const std::string shownFolder = m_strCurPath;
        ShowLocalFolder(shownFolder);
    }
    return result;
}

bool CFileView::OnFtpRunscriptbg()
{
    if (!CanRunScript())
        return false;
    const std::string script = GetSelectedFileName();
    const std::string runner = ScriptRunner();
    g_TraceLog.Trace("CFileView::OnFtpRunscriptbg: Execute %s %s", runner.c_str(), script.c_str());
    // The path is one argument as it stands: no shell sees it.
    QProcess process;
    process.setProgram(QString::fromStdString(runner));
    process.setArguments({QString::fromStdString(script)});
    process.setWorkingDirectory(QString::fromStdString(ScriptFolder(script)));
    process.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        g_TraceLog.Message("Cannot start the script runner %s: %s", runner.c_str(),
                           process.errorString().toUtf8().constData());
        return false;
    }
    g_TraceLog.Trace("CFileView::OnFtpRunscriptbg: started process %lld", static_cast<long long>(pid));
    g_TraceLog.Message("Execute (%s) script background", script.c_str());
    return true;
}

void CFileView::OnFtpSchedule()
{
    if (CanSchedule())
        ScheduleTask(GetSelectedFileName());
}
