#include "TavoStart.h"

#include "FrameIcons.h"
#include "MainFrame.h"
#include "Prompt.h"
#include "TavoApp.h"
#include "TavoDoc.h"
#include "WaitHook.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

void SetupApplication(QApplication& application)
{
    application.setApplicationDisplayName(QStringLiteral("Tavo"));
    application.setApplicationVersion(QStringLiteral("1.0"));
    application.setDesktopFileName(QStringLiteral("tavo"));
    application.setWindowIcon(GetFrameIcon(FrameIcon::Application));
}

std::unique_ptr<CMainFrame> InitMainWindow(CTavoApp& app)
{
    if (!app.GetDocument() && !app.InitInstance())
        return nullptr;
    auto frame = std::make_unique<CMainFrame>(app.GetDocument());
    CWaitHook::Install(frame.get());
    frame->RestoreWindowState();
    frame->show();
    // The tree may connect servers at start-up: the window paints first.
    QTimer::singleShot(0, frame.get(), &CMainFrame::OnInitialUpdate);
    return frame;
}

void ExitMainWindow(CTavoApp& app, std::unique_ptr<CMainFrame> frame)
{
    // The sessions stop their keep-alive timers on the tree as they go, so
    // they go before the window.
    if (app.GetDocument())
        app.GetDocument()->OnCloseDocument();
    CWaitHook::Uninstall();
    frame.reset();
}

int RunTavo(int argc, char** argv)
{
    QApplication application(argc, argv);
    SetupApplication(application);
    CTavoApp app;
    if (!app.InitInstance())
        return 1;
    std::unique_ptr<CMainFrame> frame = InitMainWindow(app);
    if (!frame)
        return 1;
    const int result = application.exec();
    ExitMainWindow(app, std::move(frame));
    return result;
}
