// The wait hook: netvo32 calls it over and over while a network call blocks
// the user-interface thread. Past a short moment it shows a modal progress
// window (bytes done of the total when the handle's statusbox flag is on, a
// busy bar otherwise) with a Cancel button, keeps the events flowing so the
// windows go on painting, and tells the library to abort the call once
// Cancel was pressed. Only the progress window takes input meanwhile.
#pragma once

#include <QString>

class QWidget;

class CWaitHook {
public:
    // Installs the hook process-wide; `parent` is the window the progress
    // window is centred on (may be nullptr).
    static void Install(QWidget* parent);
    // Removes it and closes any progress window.
    static void Uninstall();
    static bool IsInstalled();

    // Milliseconds a call may block before the progress window shows.
    static void SetShowDelay(int milliseconds);
    static int ShowDelay();

    // True while a progress window is up.
    static bool IsShowing();
    // True while a blocking call is in progress (with or without window);
    // the main window must not close then.
    static bool IsBusy();
    // The progress window's caption text (e.g. "Wait Connecting to host"),
    // shown with the next blocking call until cleared with an empty text.
    static void SetText(const QString& text);
    // Presses Cancel on the open progress window, as the user would.
    static void Cancel();
    // Forgets a Cancel once it has been acted on, so that the clean-up
    // after an aborted transfer (removing what it left) can still talk to
    // the server. The window stays until the operation ends.
    static void ClearCancel();
    // Long local work (copying files) reports here as a transfer would:
    // the same window with bytes, rate and time left, and Cancel. False
    // once Cancel was pressed.
    static bool Tick(long long done, long long total);
};

// Shows the wait cursor for its lifetime (QApplication's override cursor).
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
