// The program's start-up on top of CTavoApp: the main window with its panes,
// restored to its last placement, shown, and then filled (volumes, servers
// that connect on start-up, the current folder).
#pragma once

#include <memory>

class CMainFrame;
class CTavoApp;
class QApplication;

// Sets the application's names and icon lookup; call once after the
// QApplication exists.
void SetupApplication(QApplication& application);

// Creates the main window for the application's document, installs the wait
// hook on it, restores its placement and shows it; the panes are filled from
// the event loop, once the window is on screen. nullptr when the
// application's start-up failed.
std::unique_ptr<CMainFrame> InitMainWindow(CTavoApp& app);

// Closes the document (every session quits its connection) while the
// window still exists, then destroys the window.
void ExitMainWindow(CTavoApp& app, std::unique_ptr<CMainFrame> frame);

// The whole program: start-up, event loop, shut-down. Returns the exit code.
int RunTavo(int argc, char** argv);
