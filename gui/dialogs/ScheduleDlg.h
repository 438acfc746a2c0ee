// The schedule of a scheduled script run: daily, weekly on chosen days,
// monthly on a day, or five custom crontab fields, at a time of day, and
// whether the task is enabled. It turns the choice into the five fields of
// a crontab line and back.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QTimeEdit;

class CScheduleDlg : public QDialog {
    Q_OBJECT

public:
    enum Kind { Daily = 0, Weekly = 1, Monthly = 2, Custom = 3 };

    explicit CScheduleDlg(const QString& taskName, QWidget* parent = nullptr);

    // Shows `fields` (five crontab fields; empty for a new task: daily at
    // midnight) in the simplest form that says the same.
    void SetSchedule(const std::string& fields, bool enabled);
    // The five fields the controls stand for.
    std::string Schedule() const;
    bool IsTaskEnabled() const;
    // Why the controls make no schedule (no day ticked, custom fields that
    // are not five valid ones), or an empty text.
    QString Problem() const;

    QComboBox* KindBox() const { return m_pKind; }
    QTimeEdit* TimeEdit() const { return m_pTime; }
    // Monday first; cron counts Sunday as 0.
    QCheckBox* DayBox(int index) const { return m_aDays[index]; }
    QSpinBox* MonthDayBox() const { return m_pMonthDay; }
    QLineEdit* CustomEdit() const { return m_pCustom; }
    QCheckBox* EnabledBox() const { return m_pEnabled; }

    // Shows the dialog modally; QDialog::Accepted for OK with a valid
    // schedule. A test installs a responder that sets the controls and
    // answers instead of the user (true for OK); nullptr goes back to the
    // dialog. Returns the previous one.
    int Run();
    using Responder = std::function<bool(CScheduleDlg&)>;
    static Responder SetResponder(Responder responder);

    // OK keeps the dialog open and says why while there is no schedule.
    void accept() override;

private:
    void UpdateEnabled();

    QComboBox* m_pKind = nullptr;
    QTimeEdit* m_pTime = nullptr;
    QCheckBox* m_aDays[7] = {};
    QSpinBox* m_pMonthDay = nullptr;
    QLineEdit* m_pCustom = nullptr;
    QCheckBox* m_pEnabled = nullptr;
};
