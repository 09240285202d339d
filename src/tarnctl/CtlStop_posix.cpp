#include <signal.h>

#include "CtlStop.h"

namespace {
extern "C" void OnInterrupt(int) {
    SetStopRequested(true);
}
}  // namespace

void InstallStopHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read that waits returns, and the port's timed loop goes on until
    // its limit, so the exchange ends as it would.
    sigaction(SIGINT, &action, nullptr);
}
