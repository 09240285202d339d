#include <windows.h>

#include "CtlStop.h"

namespace {

// Windows ends the process when the handler of a closing console, a logoff or a shutdown
// returns, and at the latest 5 s after the event. The handler therefore waits, while the
// command finishes its exchange and resumes the controllers; the process ends when the
// command has exited, before this wait is over.
constexpr DWORD kCloseGraceMs = 4500;

BOOL WINAPI OnConsoleControl(DWORD type) {
    switch (type) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            RequestStop(StopCause::kInterrupt);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            RequestStop(StopCause::kConsoleClosed);
            Sleep(kCloseGraceMs);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void InstallStopHandler() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}
