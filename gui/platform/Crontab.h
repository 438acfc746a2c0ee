// The user's crontab as the place where scheduled script runs live. Each
// task is one marked block:
//
//   # >>> Tavo task: NAME
//   0 2 * * * cd 'DIR' && 'MARLO' 'SCRIPT'
//   # <<< Tavo task: NAME
//
// with the command line commented out ("# ") while the task is disabled.
// The text functions work on the crontab's bytes and leave every line
// outside the block they change exactly as it was. The command functions
// run the crontab program (the setting "CrontabCommand", "crontab" by
// default) with a time bound.
#pragma once

#include <QString>

#include <optional>
#include <string>

// Shell word for cron: single quotes, a ' inside as '\'', then every % as
// \% (cron turns a bare % into a newline).
std::string CronQuote(const std::string& text);
// True when the text holds a CR or LF, which no crontab line can carry.
bool HasLineBreak(const std::string& text);
// The command of a task: cd 'DIR' && 'RUNNER' 'SCRIPT'.
std::string CronTaskCommand(const std::string& folder, const std::string& runner, const std::string& script);
// True for exactly five fields, separated by blanks or tabs, each made of
// digits and , - * / only.
bool IsValidCronSchedule(const std::string& fields);

// A task block found in a crontab.
struct CronBlock {
    std::string schedule;  // the five fields; empty when the line was unreadable
    bool enabled = false;  // the command line was not commented out
};

class CCrontabText {
public:
    explicit CCrontabText(std::string bytes = std::string()) : m_strText(std::move(bytes)) {}

    // The block of that task, or nothing when there is none.
    std::optional<CronBlock> Find(const std::string& name) const;
    // False when a begin marker of that name has no end marker after it:
    // such a crontab is not changed.
    bool IsIntact(const std::string& name) const;
    // Writes the task's block in place of the old one, or at the end. The
    // bytes around it stay as they were; the text ends with a newline.
    void SetTask(const std::string& name, const std::string& schedule, bool enabled, const std::string& command);
    const std::string& Text() const { return m_strText; }

private:
    // Byte range [begin, end) of the block's lines; false when absent.
    bool Locate(const std::string& name, size_t& begin, size_t& end) const;

    std::string m_strText;
};

// What a read of the crontab gave.
enum class CrontabRead { Ok, Failed };

// The command that reads and writes the crontab.
QString CrontabProgram();
// `crontab -l`: the bytes in `text`. No crontab yet counts as empty. On
// failure `error` says why in words for the message pane.
CrontabRead ReadCrontab(std::string& text, QString& error);
// `crontab -` with `text` on its input; false with `error` on failure.
bool WriteCrontab(const std::string& text, QString& error);
// Milliseconds a crontab command may take before it is killed.
void SetCrontabTimeout(int milliseconds);
