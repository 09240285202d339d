#pragma once
// CTarnApp: the application object. It runs the start-up (dialog colours, the idle pump,
// the main window with its settings, the window title, the help check and the splash)
// and keeps the main window for the life of the program.

#include <memory>

#include "app/HelpFile.h"

class CMainFrame;

class CTarnApp {
public:
    CTarnApp();
    ~CTarnApp();
    CTarnApp(const CTarnApp&) = delete;
    CTarnApp& operator=(const CTarnApp&) = delete;

    // Start-up, in order; the QApplication must exist. The event loop runs afterwards.
    void InitInstance();

    // True when "tarnhelp.hlp" could be opened in the current directory at start-up.
    bool HelpFilePresent() const { return helpFile.Present(); }
    CMainFrame* MainFrame() const { return frame.get(); }

    // How long the splash stays; tests shorten it.
    void SetSplashMs(int ms) { splashMs = ms; }

private:
    CHelpFile helpFile;
    int splashMs = 1000;
    std::unique_ptr<CMainFrame> frame;
};
