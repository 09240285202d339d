#pragma once
// Ctrl+C while a command runs: the command stops after the exchange under way and still
// resumes the controllers, so the interrupt only sets a flag that the commands read
// between exchanges. One implementation per platform (console control handler on
// Windows, SIGINT elsewhere).

#include "protocol/SearchProgress.h"

// Catches Ctrl+C from now on.
void InstallStopHandler();
// True once Ctrl+C was pressed (or RequestStop called).
bool StopRequested();
// Sets or clears the flag; tests use it to stop a command at a chosen point.
void SetStopRequested(bool stop);

// Ends a controller search before its next ping once Ctrl+C was pressed.
class CStopSearchOnRequest final : public CSearchProgress {
public:
    bool BeforePing(char, int) override { return !StopRequested(); }
};
