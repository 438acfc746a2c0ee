// The wait hook: a call that blocks shows the progress window, the windows
// keep painting, and Cancel aborts the call, a login included.
#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "WaitHook.h"
#include "netvo32.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Installs the hook for one test, the window showing at once.
class HookScope {
public:
    explicit HookScope(QWidget* parent = nullptr)
    {
        m_nDelay = CWaitHook::ShowDelay();
        CWaitHook::Install(parent);
        CWaitHook::SetShowDelay(0);
    }
    ~HookScope()
    {
        CWaitHook::Uninstall();
        CWaitHook::SetShowDelay(m_nDelay);
        CWaitHook::SetText(QString());
    }

private:
    int m_nDelay = 0;
};

QPushButton* CancelButton()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "WaitProgress" && widget->isVisible())
            return widget->findChild<QPushButton*>("WaitCancel");
    }
    return nullptr;
}

// Presses Cancel as soon as the progress window is up; counts what it saw.
struct CancelWhenShown {
    int ticks = 0;
    bool pressed = false;
    QString label;
    QTimer timer;

    CancelWhenShown()
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            ++ticks;
            QPushButton* cancel = CancelButton();
            if (cancel && !pressed) {
                pressed = true;
                if (auto* text = cancel->window()->findChild<QLabel*>())
                    label = text->text();
                QTest::mouseClick(cancel, Qt::LeftButton);
            }
        });
        timer.start();
    }
};

}  // namespace

TEST(WaitHook, CancelAbortsABlockedCommand)
{
    testbed::TestFtpServer server;
    CTavoDoc doc;
    CSession* session = guitest::LoginSession(doc, server);
    ASSERT_NE(session, nullptr);
    HookScope hook;
    CWaitHook::SetText("Listing the folder");
    server.DelayReplies("PWD", 60);

    CancelWhenShown canceller;
    char folder[256] = "";
    const int result = ftp_pwd(session->GetFtpHandle(), folder, sizeof folder);
    EXPECT_EQ(result, NETVO_E_ABORTED);
    EXPECT_TRUE(canceller.pressed);
    EXPECT_TRUE(canceller.label.startsWith("Listing the folder")) << canceller.label.toStdString();
    // Events went on while the call blocked: the timer kept firing.
    EXPECT_GE(canceller.ticks, 1);
    // Back in the event loop the window goes away.
    QTRY_VERIFY_WITH_TIMEOUT(!CWaitHook::IsShowing(), 5000);
    EXPECT_FALSE(CWaitHook::IsBusy());

    // The next slow call is not cancelled by the old press. (The first
    // connection still waits for its late reply: use another.)
    server.ClearFaults();
    const int other = ftp_open(server.HostPort().c_str());
    ASSERT_GT(other, 0);
    ASSERT_EQ(ftp_relogin(other, server.User().c_str(), server.Password().c_str(), ""), 0);
    server.DelayReplies("NOOP", 0.4);
    EXPECT_EQ(ftp_noop(other), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!CWaitHook::IsShowing(), 5000);
    ftp_quit(other);
    netvo_release(other);
}

TEST(WaitHook, LoginToAServerThatDoesNotAnswerCanBeCancelled)
{
    testbed::TestFtpServer server;
    server.DelayReplies("CONNECT", 60);
    CTavoDoc doc;
    std::string name = "silent";
    CSession* session = doc.AddSession(name);
    HookScope hook;
    CancelWhenShown canceller;
    const int result = session->Login(server.HostPort(), server.User(), server.Password(), "", false, true);
    EXPECT_NE(result, 0);
    EXPECT_TRUE(canceller.pressed);
    QTRY_VERIFY_WITH_TIMEOUT(!CWaitHook::IsShowing(), 5000);
}

TEST(WaitHook, ProgressShowsOnlyAfterTheDelayAndTheWindowStaysWhileBusy)
{
    testbed::TestFtpServer server;
    CTavoDoc doc;
    CMainFrame frame(&doc);
    CSession* session = guitest::LoginSession(doc, server);
    ASSERT_NE(session, nullptr);
    HookScope hook(&frame);
    EXPECT_TRUE(CWaitHook::IsInstalled());

    // A quick command shows nothing.
    CWaitHook::SetShowDelay(60000);
    EXPECT_EQ(ftp_noop(session->GetFtpHandle()), 0);
    EXPECT_FALSE(CWaitHook::IsShowing());
    CWaitHook::SetShowDelay(0);

    // While a call blocks, closing the main window is refused and cancels it.
    server.DelayReplies("NOOP", 60);
    frame.show();
    bool closedWhileBusy = true;
    bool busySeen = false;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (CWaitHook::IsShowing() && !busySeen) {
            busySeen = CWaitHook::IsBusy();
            closedWhileBusy = frame.close();
        }
    });
    closer.start();
    EXPECT_EQ(ftp_noop(session->GetFtpHandle()), NETVO_E_ABORTED);
    closer.stop();
    EXPECT_TRUE(busySeen);
    EXPECT_FALSE(closedWhileBusy);
    EXPECT_TRUE(frame.isVisible());
}
