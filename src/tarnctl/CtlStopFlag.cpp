#include <atomic>

#include "CtlStop.h"

namespace {
// Lock-free, so that the signal or console handler may set it.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
}  // namespace

bool StopRequested() {
    return stopRequested.load();
}

void SetStopRequested(bool stop) {
    stopRequested.store(stop);
}
