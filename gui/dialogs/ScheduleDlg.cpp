#include "ScheduleDlg.h"

#include "CheckedDialog.h"
#include "Crontab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <sstream>
#include <utility>
#include <vector>

namespace {

CScheduleDlg::Responder& ResponderSlot()
{
    static CScheduleDlg::Responder responder;
    return responder;
}

// Cron's day numbers of the boxes, Monday first.
constexpr int kCronDay[7] = {1, 2, 3, 4, 5, 6, 0};
const char* const kDayNames[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

// A whole number from `low` to `high` written with digits only, or -1.
int Number(const std::string& text, int low, int high)
{
    if (text.empty() || text.size() > 2)
        return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value >= low && value <= high ? value : -1;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

}  // namespace

CScheduleDlg::CScheduleDlg(const QString& taskName, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ScheduleDlg"));
    setWindowTitle(QStringLiteral("Schedule %1").arg(taskName));

    m_pKind = new QComboBox(this);
    m_pKind->addItems({QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Monthly"),
                       QStringLiteral("Custom")});
    m_pTime = new QTimeEdit(this);
    m_pTime->setDisplayFormat(QStringLiteral("HH:mm"));
    auto* days = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        m_aDays[i] = new QCheckBox(QString::fromLatin1(kDayNames[i]), this);
        days->addWidget(m_aDays[i]);
    }
    m_pMonthDay = new QSpinBox(this);
    m_pMonthDay->setRange(1, 31);
    m_pCustom = new QLineEdit(this);
    m_pCustom->setPlaceholderText(QStringLiteral("minute hour day month weekday"));
    m_pEnabled = new QCheckBox(QStringLiteral("Enabled"), this);
    m_pEnabled->setChecked(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Run:"), m_pKind);
    form->addRow(QStringLiteral("&Time:"), m_pTime);
    form->addRow(QStringLiteral("Days:"), days);
    form->addRow(QStringLiteral("Day of &month:"), m_pMonthDay);
    form->addRow(QStringLiteral("C&ustom fields:"), m_pCustom);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CScheduleDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CScheduleDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_pEnabled);
    layout->addWidget(buttons);

    connect(m_pKind, &QComboBox::currentIndexChanged, this, &CScheduleDlg::UpdateEnabled);
    UpdateEnabled();
}

void CScheduleDlg::UpdateEnabled()
{
    const int kind = m_pKind->currentIndex();
    m_pTime->setEnabled(kind != Custom);
    for (QCheckBox* box : m_aDays)
        box->setEnabled(kind == Weekly);
    m_pMonthDay->setEnabled(kind == Monthly);
    m_pCustom->setEnabled(kind == Custom);
}

void CScheduleDlg::SetSchedule(const std::string& fields, bool enabled)
{
    m_pEnabled->setChecked(enabled);
    std::istringstream in(fields);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    int kind = Custom;
    if (fields.empty()) {
        kind = Daily;
        m_pTime->setTime(QTime(0, 0));
    } else if (words.size() == 5 && IsValidCronSchedule(fields)) {
        const int minute = Number(words[0], 0, 59);
        const int hour = Number(words[1], 0, 23);
        if (minute >= 0 && hour >= 0 && words[3] == "*") {
            const int monthDay = Number(words[2], 1, 31);
            if (words[2] == "*" && words[4] == "*") {
                kind = Daily;
            } else if (monthDay > 0 && words[4] == "*") {
                kind = Monthly;
                m_pMonthDay->setValue(monthDay);
            } else if (words[2] == "*") {
                bool days[7] = {};
                bool allDays = true;
                for (const std::string& part : Split(words[4], ',')) {
                    const int day = Number(part, 0, 7);
                    if (day < 0) {
                        allDays = false;
                        break;
                    }
                    days[day == 7 ? 0 : day] = true;  // 7 is Sunday too
                }
                if (allDays) {
                    kind = Weekly;
                    for (int i = 0; i < 7; ++i)
                        m_aDays[i]->setChecked(days[kCronDay[i]]);
                }
            }
            if (kind != Custom)
                m_pTime->setTime(QTime(hour, minute));
        }
    }
    if (kind == Custom)
        m_pCustom->setText(QString::fromStdString(fields));
    m_pKind->setCurrentIndex(kind);
    UpdateEnabled();
}

std::string CScheduleDlg::Schedule() const
{
    const int kind = m_pKind->currentIndex();
    if (kind == Custom) {
        std::istringstream in(m_pCustom->text().toStdString());
        std::string fields;
        for (std::string word; in >> word;)
            fields += (fields.empty() ? "" : " ") + word;
        return fields;
    }
    const QTime time = m_pTime->time();
    const std::string at = std::to_string(time.minute()) + " " + std::to_string(time.hour());
    if (kind == Weekly) {
        std::string days;
        for (int i = 0; i < 7; ++i) {
            if (m_aDays[i]->isChecked())
                days += (days.empty() ? "" : ",") + std::to_string(kCronDay[i]);
        }
        return at + " * * " + days;
    }
    if (kind == Monthly)
        return at + " " + std::to_string(m_pMonthDay->value()) + " * *";
    return at + " * * *";
}

bool CScheduleDlg::IsTaskEnabled() const
{
    return m_pEnabled->isChecked();
}

QString CScheduleDlg::Problem() const
{
    const int kind = m_pKind->currentIndex();
    if (kind == Weekly) {
        bool any = false;
        for (QCheckBox* box : m_aDays)
            any = any || box->isChecked();
        if (!any)
            return QStringLiteral("Tick at least one day of the week.");
    }
    if (kind == Custom) {
        const std::string text = m_pCustom->text().toStdString();
        if (HasLineBreak(text) || !IsValidCronSchedule(text))
            return QStringLiteral(
                "The custom schedule must be exactly five fields (minute hour day month weekday), "
                "each made of digits and , - * / only.");
    }
    return {};
}

void CScheduleDlg::accept()
{
    if (!RefuseProblem(*this, Problem()))
        QDialog::accept();
}

int CScheduleDlg::Run()
{
    return RunCheckedDialog(*this, ResponderSlot(), [this] { return Problem(); });
}

CScheduleDlg::Responder CScheduleDlg::SetResponder(Responder responder)
{
    return std::exchange(ResponderSlot(), std::move(responder));
}
