#include "Crontab.h"

#include "Profile.h"
#include "Settings.h"

#include <QProcess>

#include <sstream>
#include <vector>

namespace {

int g_nTimeoutMs = 10000;

std::string BeginMarker(const std::string& name)
{
    return "# >>> Tavo task: " + name;
}

std::string EndMarker(const std::string& name)
{
    return "# <<< Tavo task: " + name;
}

// The line starting at `pos` without its newline (nor a CR before it), and
// the offset after its newline in `next`.
std::string LineAt(const std::string& text, size_t pos, size_t& next)
{
    size_t end = text.find('\n', pos);
    next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos)
        end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// Offset of the first line equal to `wanted` at or after `from`, or npos.
size_t FindLine(const std::string& text, const std::string& wanted, size_t from)
{
    for (size_t pos = from; pos < text.size();) {
        size_t next = 0;
        if (LineAt(text, pos, next) == wanted)
            return pos;
        pos = next;
    }
    return std::string::npos;
}

bool IsFieldChar(char c)
{
    return (c >= '0' && c <= '9') || c == ',' || c == '-' || c == '*' || c == '/';
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

struct RunResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
    QString startError;
};

// Runs the crontab program with `arguments`, `input` on its standard input,
// within the time bound; killed (its own pid) when it takes longer.
RunResult RunCrontab(const QStringList& arguments, const QByteArray* input)
{
    RunResult result;
    QProcess process;
    process.setProgram(CrontabProgram());
    process.setArguments(arguments);
    process.start();
    if (!process.waitForStarted(g_nTimeoutMs)) {
        result.startError = process.errorString();
        return result;
    }
    result.started = true;
    if (input)
        process.write(*input);
    process.closeWriteChannel();
    if (!process.waitForFinished(g_nTimeoutMs)) {
        result.timedOut = true;
        process.kill();
        process.waitForFinished(1000);
        return result;
    }
    result.crashed = process.exitStatus() != QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// The reason a run failed, for the message pane.
QString FailureText(const RunResult& result, const QString& what)
{
    const QString program = CrontabProgram();
    if (!result.started)
        return QStringLiteral("Cannot %1: the command %2 could not be started (%3).")
            .arg(what, program, result.startError);
    if (result.timedOut)
        return QStringLiteral("Cannot %1: the command %2 did not finish within %3 seconds and was stopped.")
            .arg(what, program)
            .arg(g_nTimeoutMs / 1000);
    if (result.crashed)
        return QStringLiteral("Cannot %1: the command %2 crashed.").arg(what, program);
    const QString detail = QString::fromLocal8Bit(result.err).trimmed();
    return QStringLiteral("Cannot %1: %2 ended with code %3%4")
        .arg(what, program)
        .arg(result.exitCode)
        .arg(detail.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + detail);
}

}  // namespace

std::string CronQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    std::string result;
    for (char c : quoted) {
        if (c == '%')
            result += '\\';
        result += c;
    }
    return result;
}

bool HasLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

std::string CronTaskCommand(const std::string& folder, const std::string& runner, const std::string& script)
{
    return "cd " + CronQuote(folder) + " && " + CronQuote(runner) + " " + CronQuote(script);
}

bool IsValidCronSchedule(const std::string& fields)
{
    for (char c : fields) {
        if (c != ' ' && c != '\t' && !IsFieldChar(c))
            return false;
    }
    return Words(fields).size() == 5;
}

bool CCrontabText::Locate(const std::string& name, size_t& begin, size_t& end) const
{
    begin = FindLine(m_strText, BeginMarker(name), 0);
    if (begin == std::string::npos)
        return false;
    size_t afterBegin = 0;
    LineAt(m_strText, begin, afterBegin);
    const size_t endLine = FindLine(m_strText, EndMarker(name), afterBegin);
    if (endLine == std::string::npos)
        return false;
    LineAt(m_strText, endLine, end);
    return true;
}

bool CCrontabText::IsIntact(const std::string& name) const
{
    size_t begin = 0;
    size_t end = 0;
    return FindLine(m_strText, BeginMarker(name), 0) == std::string::npos || Locate(name, begin, end);
}

std::optional<CronBlock> CCrontabText::Find(const std::string& name) const
{
    size_t begin = 0;
    size_t end = 0;
    if (!Locate(name, begin, end))
        return std::nullopt;
    CronBlock block;
    size_t pos = 0;
    LineAt(m_strText, begin, pos);
    while (pos < end) {
        size_t next = 0;
        std::string line = LineAt(m_strText, pos, next);
        pos = next;
        if (line == EndMarker(name))
            break;
        bool enabled = true;
        if (line.rfind("#", 0) == 0) {
            enabled = false;
            line.erase(0, line.rfind("# ", 0) == 0 ? 2 : 1);
        }
        const std::vector<std::string> words = Words(line);
        if (words.size() < 6)
            continue;
        std::string schedule = words[0];
        for (int i = 1; i < 5; ++i)
            schedule += " " + words[static_cast<size_t>(i)];
        if (!IsValidCronSchedule(schedule))
            continue;
        block.schedule = schedule;
        block.enabled = enabled;
        break;
    }
    return block;
}

void CCrontabText::SetTask(const std::string& name, const std::string& schedule, bool enabled,
                           const std::string& command)
{
    const std::string block = BeginMarker(name) + "\n" + (enabled ? "" : "# ") + schedule + " " + command + "\n" +
                              EndMarker(name) + "\n";
    size_t begin = 0;
    size_t end = 0;
    if (Locate(name, begin, end)) {
        m_strText.replace(begin, end - begin, block);
        return;
    }
    // crontab refuses a last line without its newline.
    if (!m_strText.empty() && m_strText.back() != '\n')
        m_strText += '\n';
    m_strText += block;
}

QString CrontabProgram()
{
    const std::string program = GetProfileString(kSectionPreferences, "CrontabCommand", "crontab");
    return QString::fromStdString(program.empty() ? std::string("crontab") : program);
}

CrontabRead ReadCrontab(std::string& text, QString& error)
{
    text.clear();
    const RunResult result = RunCrontab({QStringLiteral("-l")}, nullptr);
    if (result.started && !result.timedOut && !result.crashed) {
        if (result.exitCode == 0) {
            text.assign(result.out.constData(), static_cast<size_t>(result.out.size()));
            return CrontabRead::Ok;
        }
        // A user without a crontab yet.
        if (result.err.contains("no crontab for"))
            return CrontabRead::Ok;
    }
    error = FailureText(result, QStringLiteral("read the crontab"));
    return CrontabRead::Failed;
}

bool WriteCrontab(const std::string& text, QString& error)
{
    const QByteArray input(text.data(), static_cast<qsizetype>(text.size()));
    const RunResult result = RunCrontab({QStringLiteral("-")}, &input);
    if (result.started && !result.timedOut && !result.crashed && result.exitCode == 0)
        return true;
    error = FailureText(result, QStringLiteral("write the crontab"));
    return false;
}

void SetCrontabTimeout(int milliseconds)
{
    g_nTimeoutMs = milliseconds > 0 ? milliseconds : 10000;
}
