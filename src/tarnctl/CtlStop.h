#pragma once
// Ctrl+C, SIGTERM or SIGHUP while a command runs: the command stops after the exchange
// under way and still resumes the controllers, so the interrupt only sets a flag that the
// commands read between exchanges. One implementation per platform (console control
// handler on Windows, signals elsewhere).

#include "protocol/SearchProgress.h"

// What stopped the command.
enum class StopCause { kNone, kInterrupt, kTerminate, kHangUp, kConsoleClosed };

// Catches Ctrl+C (and on POSIX SIGTERM and SIGHUP; on Windows the console window closing,
// logoff and shutdown) from now on.
void InstallStopHandler();
// True once a stop was asked for.
bool StopRequested();
// Asks for a stop, or with kNone clears the request; the handlers and tests call it.
void RequestStop(StopCause cause);
// Sets or clears the flag as Ctrl+C does; tests use it to stop a command at a chosen point.
void SetStopRequested(bool stop);
// "stopped by Ctrl+C", "stopped by SIGTERM", "stopped by SIGHUP" or "stopped as the
// console closed".
const char* StopText();

// Ends a controller search before its next ping once a stop was asked for.
class CStopSearchOnRequest final : public CSearchProgress {
public:
    bool BeforePing(char, int) override { return !StopRequested(); }
};
