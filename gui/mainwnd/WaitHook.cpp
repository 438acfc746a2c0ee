#include "WaitHook.h"

#include "netvo32.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Rate and time left of the transfer in progress. A count that goes back or
// a new total is the next file, whose rate starts afresh.
class CTransferRate {
public:
    QString Text(long long done, long long total)
    {
        if (!m_clock.isValid() || done < m_nLastDone || total != m_nTotal) {
            m_clock.start();
            m_nFirstDone = done;
            m_nTotal = total;
        }
        m_nLastDone = done;
        const qint64 elapsed = m_clock.elapsed();
        // Too early to say anything honest about the rate.
        if (elapsed < 500 || done <= m_nFirstDone)
            return {};
        const double perSecond = static_cast<double>(done - m_nFirstDone) * 1000.0 / static_cast<double>(elapsed);
        QString text = QStringLiteral("%1/s").arg(QLocale::system().formattedDataSize(static_cast<qint64>(perSecond)));
        if (total > 0 && done < total && perSecond > 0) {
            const auto seconds = static_cast<long long>(static_cast<double>(total - done) / perSecond + 0.5);
            text += QStringLiteral(", %1 left").arg(Duration(seconds));
        }
        return text;
    }

private:
    static QString Duration(long long seconds)
    {
        if (seconds >= 3600)
            return QStringLiteral("%1:%2:%3")
                .arg(seconds / 3600)
                .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                .arg(seconds % 60, 2, 10, QLatin1Char('0'));
        return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }

    QElapsedTimer m_clock;
    long long m_nFirstDone = 0;
    long long m_nLastDone = 0;
    long long m_nTotal = -2;
};

// The modal window shown while a network call blocks for a while.
class CProgressWindow : public QDialog {
public:
    explicit CProgressWindow(QWidget* parent) : QDialog(parent)
    {
        setObjectName(QStringLiteral("WaitProgress"));
        setWindowTitle(QStringLiteral("Tavo"));
        setModal(true);
        setWindowModality(Qt::ApplicationModal);
        // No close button in the title bar: Cancel is the one way out, and
        // it is the one that tells the library.
        setWindowFlags((windowFlags() | Qt::CustomizeWindowHint) & ~Qt::WindowCloseButtonHint &
                       ~Qt::WindowContextHelpButtonHint);
        m_pLabel = new QLabel(this);
        m_pLabel->setMinimumWidth(320);
        m_pLabel->setWordWrap(true);
        m_pBar = new QProgressBar(this);
        m_pBar->setRange(0, 0);
        m_pBar->setTextVisible(false);
        m_pCancel = new QPushButton(QStringLiteral("&Cancel"), this);
        m_pCancel->setObjectName(QStringLiteral("WaitCancel"));
        m_pCancel->setCursor(Qt::ArrowCursor);
        connect(m_pCancel, &QPushButton::clicked, this, [this] { m_bCancelled = true; m_pCancel->setEnabled(false); });
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(m_pCancel);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_pLabel);
        layout->addWidget(m_pBar);
        layout->addLayout(buttons);
    }

    void Update(const QString& caption, long long done, long long total, bool statusbox)
    {
        QString text = caption;
        const QString rate = m_rate.Text(done, total);
        if (statusbox && total > 0) {
            // A progress bar holds an int: show per mille of large totals.
            m_pBar->setRange(0, 1000);
            m_pBar->setValue(static_cast<int>(std::min<long long>(1000, done * 1000 / total)));
            m_pBar->setTextVisible(true);
            m_pBar->setFormat(QStringLiteral("%p%"));
            text += QStringLiteral("\n%1 of %2 bytes").arg(done).arg(total);
            if (!rate.isEmpty())
                text += QStringLiteral(", ") + rate;
        } else {
            m_pBar->setRange(0, 0);
            m_pBar->setTextVisible(false);
            if (statusbox && done > 0) {
                text += QStringLiteral("\n%1 bytes").arg(done);
                if (!rate.isEmpty())
                    text += QStringLiteral(", ") + rate;
            }
        }
        if (m_pLabel->text() != text)
            m_pLabel->setText(text);
    }

    void Cancel() { m_pCancel->click(); }
    bool IsCancelled() const { return m_bCancelled; }
    void ResetCancel()
    {
        m_bCancelled = false;
        m_pCancel->setEnabled(true);
    }

protected:
    void reject() override { Cancel(); }  // Escape presses Cancel

private:
    QLabel* m_pLabel = nullptr;
    QProgressBar* m_pBar = nullptr;
    QPushButton* m_pCancel = nullptr;
    bool m_bCancelled = false;
    CTransferRate m_rate;
};

struct WaitState {
    bool installed = false;
    QPointer<QWidget> parent;
    int showDelay = 400;
    QString text;
    // One operation runs from the first hook call until control is back in
    // the event loop; it may span many library calls (a login is several).
    bool inOperation = false;
    bool endCheckPending = false;
    int depth = 0;
    bool cancelled = false;
    QElapsedTimer started;
    CProgressWindow* window = nullptr;
};

WaitState& State()
{
    static WaitState state;
    return state;
}

void EndOperation()
{
    WaitState& state = State();
    state.inOperation = false;
    state.cancelled = false;
    if (state.window) {
        state.window->hide();
        state.window->deleteLater();
        state.window = nullptr;
    }
}

// Runs from the event loop. Inside a hook call (events processed there) the
// operation is still going; anywhere else it has ended.
void CheckEnd()
{
    WaitState& state = State();
    state.endCheckPending = false;
    if (state.depth == 0 && state.inOperation)
        EndOperation();
}

QString DefaultCaption()
{
    return QStringLiteral("Waiting for the FTP server...");
}

int Hook(int /*handle*/, long long done, long long total, int statusbox, void* /*context*/)
{
    WaitState& state = State();
    // Windows live on the user-interface thread of a widget application; a
    // call made anywhere else just waits.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) ||
        QThread::currentThread() != QCoreApplication::instance()->thread())
        return 0;
    // A network call made while events are processed inside this hook (a
    // timer, say) does not process events again: that could nest without end.
    if (state.depth > 0)
        return state.cancelled ? 1 : 0;
    ++state.depth;
    if (!state.inOperation) {
        state.inOperation = true;
        state.cancelled = false;
        state.started.start();
    }
    if (!state.window && state.started.elapsed() >= state.showDelay) {
        state.window = new CProgressWindow(state.parent);
        state.window->Update(state.text.isEmpty() ? DefaultCaption() : state.text, done, total, statusbox != 0);
        state.window->show();
        state.window->raise();
    }
    if (state.window) {
        state.window->Update(state.text.isEmpty() ? DefaultCaption() : state.text, done, total, statusbox != 0);
        // Input goes only to the progress window; it is modal.
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (state.window && state.window->IsCancelled())
            state.cancelled = true;
    } else {
        // Before the window shows, nothing the user does may start another
        // command on the connection that is busy: keep input for later.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
    }
    if (!state.endCheckPending) {
        state.endCheckPending = true;
        QTimer::singleShot(0, qApp, &CheckEnd);
    }
    --state.depth;
    return state.cancelled ? 1 : 0;
}

}  // namespace

void CWaitHook::ClearCancel()
{
    WaitState& state = State();
    state.cancelled = false;
    if (state.window)
        state.window->ResetCancel();
}

bool CWaitHook::Tick(long long done, long long total)
{
    if (!State().installed)
        return true;
    return Hook(0, done, total, 1, nullptr) == 0;
}

void CWaitHook::Install(QWidget* parent)
{
    WaitState& state = State();
    state.parent = parent;
    state.installed = true;
    netvo_setwaithook(&Hook, nullptr);
}

void CWaitHook::Uninstall()
{
    WaitState& state = State();
    netvo_setwaithook(nullptr, nullptr);
    state.installed = false;
    EndOperation();
}

bool CWaitHook::IsInstalled()
{
    return State().installed;
}

void CWaitHook::SetShowDelay(int milliseconds)
{
    State().showDelay = std::max(0, milliseconds);
}

int CWaitHook::ShowDelay()
{
    return State().showDelay;
}

bool CWaitHook::IsShowing()
{
    return State().window != nullptr && State().window->isVisible();
}

bool CWaitHook::IsBusy()
{
    return State().depth > 0;
}

void CWaitHook::SetText(const QString& text)
{
    State().text = text;
}

void CWaitHook::Cancel()
{
    WaitState& state = State();
    if (state.window)
        state.window->Cancel();
    if (state.inOperation)
        state.cancelled = true;
}

CWaitCursor::CWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

CWaitCursor::~CWaitCursor()
{
    QApplication::restoreOverrideCursor();
}
