// Schedule... against a fake crontab command that keeps its table in a
// file: the task's block among lines that stay byte for byte, its quoting,
// Replace and Generate New, and the refusals that write nothing.
#include "Crontab.h"
#include "FileView.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "Profile.h"
#include "ScheduleDlg.h"
#include "ScriptRun.h"
#include "ScriptedPrompt.h"
#include "Settings.h"
#include "TaskNameDlg.h"
#include "TavoDoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using guitest::ReadFile;
using guitest::WriteFile;

namespace {

// `crontab -l` prints the table or says there is none; `crontab -` stores
// its input. Every call is counted in "calls".
const char* const kFakeCrontab = R"sh(#!/bin/sh
cd "$(dirname "$0")"
echo "$1" >> calls
case "$1" in
-l) if [ -f table ]; then cat table; exit 0; fi
    echo "no crontab for tester" >&2; exit 1 ;;
-) cat > table.new && mv table.new table; exit 0 ;;
esac
exit 2
)sh";

struct Answer {
    int kind = CScheduleDlg::Daily;
    QTime time;
    std::vector<int> days;  // box indexes, Monday 0
    int monthDay = 1;
    QString custom;
    bool enabled = true;
};

class Schedule : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = guitest::NewScratchFolder("crontab");
        UseCrontab(kFakeCrontab);
        m_savedFolder = g_strProgramFolder;
        g_strProgramFolder = "/opt/t avo/";
    }
    void TearDown() override
    {
        CScheduleDlg::SetResponder(nullptr);
        CTaskNameDlg::SetResponder(nullptr);
        WriteProfileString(kSectionPreferences, "CrontabCommand", "");
        SetCrontabTimeout(0);
        g_strProgramFolder = m_savedFolder;
    }
    void UseCrontab(const std::string& body)
    {
        const fs::path command = m_dir / "crontab";
        WriteFile(command, body);
        fs::permissions(command, fs::perms::owner_all);
        WriteProfileString(kSectionPreferences, "CrontabCommand", command.string());
    }
    // The next schedule dialog is answered with `answer`, or left untouched
    // with OK (nullptr), or cancelled.
    void AnswerSchedule(const Answer* answer, bool ok = true)
    {
        CScheduleDlg::SetResponder([answer = answer ? std::optional<Answer>(*answer) : std::nullopt,
                                    ok](CScheduleDlg& dialog) {
            if (answer) {
                dialog.KindBox()->setCurrentIndex(answer->kind);
                dialog.TimeEdit()->setTime(answer->time);
                for (int day : answer->days)
                    dialog.DayBox(day)->setChecked(true);
                dialog.MonthDayBox()->setValue(answer->monthDay);
                dialog.CustomEdit()->setText(answer->custom);
                dialog.EnabledBox()->setChecked(answer->enabled);
            }
            return ok;
        });
    }
    void AnswerName(bool replace)
    {
        CTaskNameDlg::SetResponder([replace](CTaskNameDlg& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Scheduler Task Name");
            EXPECT_TRUE(dialog.NameEdit()->isReadOnly());
            EXPECT_TRUE(dialog.ReplaceButton()->isDefault());
            return replace;
        });
    }
    std::string Table() const { return fs::exists(m_dir / "table") ? ReadFile(m_dir / "table") : "<none>"; }
    std::string Calls() const { return fs::exists(m_dir / "calls") ? ReadFile(m_dir / "calls") : ""; }

    static std::string Block(const std::string& name, const std::string& line)
    {
        return "# >>> Tavo task: " + name + "\n" + line + "\n# <<< Tavo task: " + name + "\n";
    }

    CTavoDoc m_doc;
    CFileView m_view{&m_doc};
    fs::path m_dir;
    std::string m_savedFolder;
};

}  // namespace

TEST(CrontabRules, QuotingSchedulesAndFolders)
{
    const struct {
        std::string text, quoted;
    } quotes[] = {
        {"/a b/c", "'/a b/c'"},
        {"it's", "'it'\\''s'"},
        {"100%", "'100\\%'"},
        {"$(id) `x` \"q\"", "'$(id) `x` \"q\"'"},
        {"", "''"},
    };
    for (const auto& c : quotes)
        EXPECT_EQ(CronQuote(c.text), c.quoted) << c.text;

    const struct {
        std::string fields;
        bool valid;
    } schedules[] = {
        {"0 2 * * *", true},     {"*/5 1-3 1,15 * 0", true}, {"0\t2 * * *", true},
        {"0 2 * *", false},      {"0 2 * * * *", false},     {"0 2 * * mon", false},
        {"0 2 * * *\n", false},  {"@daily", false},          {"0 2 * * ; rm", false},
    };
    for (const auto& c : schedules)
        EXPECT_EQ(IsValidCronSchedule(c.fields), c.valid) << c.fields;

    EXPECT_TRUE(HasLineBreak("a\nb"));
    EXPECT_TRUE(HasLineBreak("a\rb"));
    EXPECT_FALSE(HasLineBreak("a b"));

    EXPECT_EQ(ScriptFolder("/jobs/nightly.scr"), "/jobs");
    EXPECT_EQ(ScriptFolder("/nightly.scr"), "/");

    // The dialog shows a schedule in its simplest form and gives it back.
    for (const char* fields : {"30 2 * * *", "5 23 15 * *", "0 6 * * 1,5", "0 6 * * 0", "*/10 * * * *"}) {
        CScheduleDlg dialog(QStringLiteral("t"));
        dialog.SetSchedule(fields, false);
        EXPECT_EQ(dialog.Schedule(), fields);
        EXPECT_TRUE(dialog.Problem().isEmpty()) << fields;
    }
    CScheduleDlg dialog(QStringLiteral("t"));
    dialog.KindBox()->setCurrentIndex(CScheduleDlg::Weekly);
    EXPECT_FALSE(dialog.Problem().isEmpty());
    dialog.KindBox()->setCurrentIndex(CScheduleDlg::Custom);
    dialog.CustomEdit()->setText("1 2 3 4");
    EXPECT_FALSE(dialog.Problem().isEmpty());
}

// Lines around the block stay byte for byte (a CR, a bare %, a last line
// without its newline, which gets one); the paths are quoted for the shell
// and for cron.
TEST_F(Schedule, NewTaskGoesAfterTheOtherLinesQuoted)
{
    const std::string others = "MAILTO=me\n# note\r\n*/5 * * * * echo 50% done\n0 1 * * * last";
    WriteFile(m_dir / "table", others);
    const fs::path script = m_dir / "it's 100%" / "job's.scr";
    const Answer weekly{CScheduleDlg::Weekly, QTime(2, 30), {0, 4}, 1, {}, true};
    AnswerSchedule(&weekly);

    m_view.ScheduleTask(script.string());

    const std::string folder = CronQuote((m_dir / "it's 100%").string());
    EXPECT_NE(folder.find("'\\''s 100\\%'"), std::string::npos) << folder;
    EXPECT_EQ(Table(), others + "\n" +
                           Block("job's.scr Tavo Task", "30 2 * * 1,5 cd " + folder + " && '/opt/t avo/marlo' " +
                                                            CronQuote(script.string())));
}

// Replace keeps the task's schedule and its disabled state and sets the
// command again; Generate New takes the next free number; Cancel writes
// nothing.
TEST_F(Schedule, ReplaceKeepsTheScheduleAndGenerateNewNumbers)
{
    ASSERT_EQ(Table(), "<none>");  // "no crontab for" is an empty table
    const std::string script = "/jobs/nightly.scr";
    const Answer monthly{CScheduleDlg::Monthly, QTime(23, 5), {}, 15, {}, false};
    AnswerSchedule(&monthly);
    m_view.ScheduleTask(script);
    const std::string first = Block("nightly.scr Tavo Task", "# 5 23 15 * * cd '/jobs' && '/opt/t avo/marlo' '/jobs/nightly.scr'");
    ASSERT_EQ(Table(), first);

    g_strProgramFolder = "/new/";
    AnswerName(true);
    AnswerSchedule(nullptr);
    m_view.ScheduleTask(script);
    const std::string replaced =
        Block("nightly.scr Tavo Task", "# 5 23 15 * * cd '/jobs' && '/new/marlo' '/jobs/nightly.scr'");
    EXPECT_EQ(Table(), replaced);

    AnswerName(false);
    const Answer daily{CScheduleDlg::Daily, QTime(4, 0), {}, 1, {}, true};
    AnswerSchedule(&daily);
    m_view.ScheduleTask(script);
    m_view.ScheduleTask(script);
    const std::string line = "0 4 * * * cd '/jobs' && '/new/marlo' '/jobs/nightly.scr'";
    EXPECT_EQ(Table(), replaced + Block("nightly.scr Tavo Task 1", line) + Block("nightly.scr Tavo Task 2", line));

    const std::string before = Table();
    AnswerSchedule(&daily, false);
    m_view.ScheduleTask(script);
    EXPECT_EQ(Table(), before);

    // A script in the top folder works there.
    AnswerSchedule(&daily);
    m_view.ScheduleTask("/top.scr");
    EXPECT_EQ(Table(), before + Block("top.scr Tavo Task", "0 4 * * * cd '/' && '/new/marlo' '/top.scr'"));
}

TEST_F(Schedule, TwentySimilarNamesAreTooMany)
{
    std::string table = Block("a.scr Tavo Task", "# 0 0 * * * x");
    for (int k = 1; k <= 20; ++k)
        table += Block("a.scr Tavo Task " + std::to_string(k), "# 0 0 * * * x");
    WriteFile(m_dir / "table", table);
    CScriptedPrompt prompt;
    AnswerName(false);
    const Answer daily{};
    AnswerSchedule(&daily);

    m_view.ScheduleTask("/jobs/a.scr");

    ASSERT_EQ(prompt.Requests().size(), 1u);
    EXPECT_EQ(prompt.Requests()[0].kind, PromptKind::Stop);
    EXPECT_EQ(prompt.Requests()[0].title, "Error Generating Task Name");
    EXPECT_EQ(prompt.Requests()[0].text, "Too many tasks with similar names.\nPlease delete some.");
    EXPECT_EQ(Table(), table);
    EXPECT_EQ(Calls(), "-l\n");
}

// A crontab that cannot be read, a command that hangs, and a path that
// cannot be one crontab line: a message, and the table is never written.
TEST_F(Schedule, FailuresWriteNothing)
{
    const struct {
        const char* command;
        std::string script;
        const char* message;
    } cases[] = {
        {"#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/calls\"\necho 'crontab: permission denied' >&2\nexit 1\n",
         "/jobs/a.scr", "permission denied"},
        {"#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/calls\"\nexec sleep 30\n", "/jobs/a.scr",
         "did not finish within"},
        {kFakeCrontab, "/jobs/a\nb.scr", "a path with a line break cannot go into the crontab"},
    };
    SetCrontabTimeout(500);
    const Answer daily{};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        fs::remove(m_dir / "calls");
        UseCrontab(c.command);
        AnswerSchedule(&daily);
        guitest::TraceCapture trace;
        m_view.ScheduleTask(c.script);
        EXPECT_EQ(trace.Count(c.message), 1);
        EXPECT_EQ(Table(), "<none>");
        EXPECT_EQ(Calls().find("-\n"), std::string::npos);
    }
}
