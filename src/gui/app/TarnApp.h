#pragma once
// CTarnApp: the application object. It runs the start-up (dialog colours, the idle pump,
// the main window with its settings, the window title, the help check and the splash)
// and keeps the main window for the life of the program.

#include <QString>
#include <memory>

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
    bool HelpFilePresent() const { return helpFilePresent; }
    CMainFrame* MainFrame() const { return frame.get(); }
    // The help file that Help Index opens: the executable's path with ".HLP".
    static QString HelpPath();

    // How long the splash stays; tests shorten it.
    void SetSplashMs(int ms) { splashMs = ms; }

private:
    bool helpFilePresent = false;
    int splashMs = 1000;
    std::unique_ptr<CMainFrame> frame;
};
