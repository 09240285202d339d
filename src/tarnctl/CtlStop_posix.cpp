#include <signal.h>

#include <initializer_list>

#include "CtlStop.h"

namespace {
extern "C" void OnStopSignal(int number) {
    RequestStop(number == SIGTERM  ? StopCause::kTerminate
                : number == SIGHUP ? StopCause::kHangUp
                                   : StopCause::kInterrupt);
}
}  // namespace

void InstallStopHandler() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read that waits returns, and the port's timed loop goes on until
    // its limit, so the exchange ends as it would. A closed terminal (SIGHUP) and the
    // stop of timeout, service managers and CI runners (SIGTERM) are a Ctrl+C too.
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(number, &action, nullptr);
    }
}
