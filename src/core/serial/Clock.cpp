#include "serial/Clock.h"

#include <chrono>
#include <thread>

uint32_t CRealClock::TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void CRealClock::Pause(uint32_t ms) {
    if (ms == 0) {
        return;
    }
    const uint32_t start = TickCount();
    if (ms > 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms - 1));
    }
    while (static_cast<uint32_t>(TickCount() - start) < ms) {
        std::this_thread::yield();
    }
}

void CVirtualClock::AdvanceTo(uint32_t t) {
    const uint32_t ahead = t - TickCount();
    if (ahead < 0x80000000u) {
        now += ahead;
    }
}

namespace {
CRealClock realClock;
CClock* installed = nullptr;
}  // namespace

CClock& Clock() { return installed != nullptr ? *installed : realClock; }

void InstallClock(CClock* clock) { installed = clock; }

void DelayMs(uint32_t ms) { Clock().Pause(ms); }
