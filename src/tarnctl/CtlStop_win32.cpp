#include <windows.h>

#include "CtlStop.h"

namespace {
BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        SetStopRequested(true);
        return TRUE;
    }
    return FALSE;
}
}  // namespace

void InstallStopHandler() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}
