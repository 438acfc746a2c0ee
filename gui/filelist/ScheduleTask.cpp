// Schedule... of the file list: a crontab task that runs the selected
// script with the console runner, in the script's folder, at the times the
// user sets.
#include "Crontab.h"
#include "FileView.h"
#include "Prompt.h"
#include "ScheduleDlg.h"
#include "ScriptRun.h"
#include "TaskNameDlg.h"
#include "TraceLog.h"

#include <optional>

namespace {

constexpr int kMaxSimilarNames = 20;

// A name is taken by a block of it, and also by a broken one (a begin
// marker without its end), which must not be written over blindly.
bool IsTaken(const CCrontabText& crontab, const std::string& name)
{
    return crontab.Find(name).has_value() || !crontab.IsIntact(name);
}

}  // namespace

void CFileView::ScheduleTask(const std::string& scriptPath)
{
    struct ExitTrace {
        ~ExitTrace() { g_TraceLog.Trace("CFileView::ScheduleTask: Exit"); }
    } exitTrace;

    g_TraceLog.Trace("CFileView::ScheduleTask: Schedule %s", scriptPath.c_str());
    const std::string folder = ScriptFolder(scriptPath);
    const size_t slash = scriptPath.rfind('/');
    const std::string baseName =
        (slash == std::string::npos ? scriptPath : scriptPath.substr(slash + 1)) + " Tavo Task";
    const std::string runner = ScriptRunner();
    g_TraceLog.Trace("CFileView::ScheduleTask: AppName = %s", runner.c_str());
    g_TraceLog.Trace("CFileView::ScheduleTask: Dir = %s", folder.c_str());
    // A crontab entry is one line.
    if (HasLineBreak(scriptPath) || HasLineBreak(runner)) {
        g_TraceLog.Message("Cannot schedule %s: a path with a line break cannot go into the crontab.",
                           scriptPath.c_str());
        return;
    }

    std::string bytes;
    QString error;
    if (ReadCrontab(bytes, error) != CrontabRead::Ok) {
        g_TraceLog.Message("%s", error.toUtf8().constData());
        return;
    }
    CCrontabText crontab(std::move(bytes));

    std::string name = baseName;
    g_TraceLog.Trace("CFileView::ScheduleTask: Activate %s", name.c_str());
    std::optional<CronBlock> existing;
    if (IsTaken(crontab, name)) {
        if (CTaskNameDlg::AskReplace(QString::fromStdString(name), window())) {
            g_TraceLog.Trace("CFileView::ScheduleTask: Replace %s contents.", name.c_str());
            if (!crontab.IsIntact(name)) {
                g_TraceLog.Message("The crontab holds the start of task %s without its end; "
                                   "mend it with crontab -e first. Nothing was changed.",
                                   name.c_str());
                return;
            }
            existing = crontab.Find(name);
        } else {
            bool found = false;
            int k = 1;
            for (; k <= kMaxSimilarNames; ++k) {
                name = baseName + " " + std::to_string(k);
                g_TraceLog.Trace("CFileView::ScheduleTask: New taskname %s", name.c_str());
                if (!IsTaken(crontab, name)) {
                    found = true;
                    break;
                }
            }
            if (!found) {
                g_TraceLog.Trace("CFileView::ScheduleTask: Too many similar tasks(%d).", k);
                CPrompt::Stop(QStringLiteral("Too many tasks with similar names.\nPlease delete some."),
                              QStringLiteral("Error Generating Task Name"));
                return;
            }
        }
    }
    if (!existing) {
        g_TraceLog.Trace("CFileView::ScheduleTask: %s task does not exist", name.c_str());
        g_TraceLog.Trace("CFileView::ScheduleTask: Create new work item %s", name.c_str());
    }

    g_TraceLog.Trace("CFileView::ScheduleTask: Set Schedule info.");
    const std::string command = CronTaskCommand(folder, runner, scriptPath);
    // The task's schedule is whatever the user leaves in the dialog; a
    // replaced task starts from the one it had.
    g_TraceLog.Trace("CFileView::ScheduleTask: Invoke edit work item.");
    CScheduleDlg dialog(QString::fromStdString(name), window());
    if (existing)
        dialog.SetSchedule(existing->schedule, existing->enabled);
    else
        dialog.SetSchedule(std::string(), true);
    if (dialog.Run() != QDialog::Accepted) {
        // Cancel leaves the crontab as it was, a new task unmade.
        g_TraceLog.Trace("CFileView::ScheduleTask: Schedule cancelled, crontab unchanged.");
        return;
    }
    crontab.SetTask(name, dialog.Schedule(), dialog.IsTaskEnabled(), command);

    g_TraceLog.Trace("CFileView::ScheduleTask: Save work item");
    if (!WriteCrontab(crontab.Text(), error)) {
        g_TraceLog.Trace("CFileView::ScheduleTask: Failed calling Save, error = %s", error.toUtf8().constData());
        g_TraceLog.Message("%s", error.toUtf8().constData());
        return;
    }
    g_TraceLog.Message("Task %s saved in the crontab%s.", name.c_str(),
                       dialog.IsTaskEnabled() ? "" : " (disabled)");
}
