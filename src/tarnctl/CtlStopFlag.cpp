#include <atomic>

#include "CtlStop.h"

namespace {
// Lock-free, so that the signal or console handler may set it.
std::atomic<StopCause> stopCause{StopCause::kNone};
static_assert(std::atomic<StopCause>::is_always_lock_free);
}  // namespace

bool StopRequested() {
    return stopCause.load() != StopCause::kNone;
}

void RequestStop(StopCause cause) {
    stopCause.store(cause);
}

void SetStopRequested(bool stop) {
    RequestStop(stop ? StopCause::kInterrupt : StopCause::kNone);
}

const char* StopText() {
    switch (stopCause.load()) {
        case StopCause::kTerminate:
            return "stopped by SIGTERM";
        case StopCause::kHangUp:
            return "stopped by SIGHUP";
        case StopCause::kConsoleClosed:
            return "stopped as the console closed";
        case StopCause::kNone:
        case StopCause::kInterrupt:
            break;
    }
    return "stopped by Ctrl+C";
}
