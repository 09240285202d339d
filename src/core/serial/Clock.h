#pragma once
// The process-wide millisecond clock behind the timed port loops and DelayMs.
// The real clock follows std::chrono::steady_clock; tests install a CVirtualClock
// whose time moves only when something waits on it, so time limits are exact and
// nothing in a test waits for real.

#include <cstdint>

class CClock {
public:
    virtual ~CClock() = default;
    // Milliseconds since an arbitrary start; wraps around modulo 2^32.
    virtual uint32_t TickCount() = 0;
    // Returns once at least ms milliseconds have passed on this clock.
    virtual void Pause(uint32_t ms) = 0;
};

class CRealClock final : public CClock {
public:
    uint32_t TickCount() override;
    // Sleeps for all but the last millisecond and spins only for that remainder,
    // so a pause is exact without holding a processor core busy.
    void Pause(uint32_t ms) override;
};

class CVirtualClock final : public CClock {
public:
    explicit CVirtualClock(uint32_t start = 0) : now(start) {}
    uint32_t TickCount() override { return static_cast<uint32_t>(now); }
    void Pause(uint32_t ms) override { now += ms; }
    void Advance(uint32_t ms) { now += ms; }
    // Moves the clock forward to tick t; never backward (t is taken modulo 2^32
    // relative to now, so a target just past the wrap-around still moves forward).
    void AdvanceTo(uint32_t t);
    // Virtual time without wrap-around, for schedulers that order events.
    uint64_t Now() const { return now; }
    void AdvanceTo64(uint64_t t) { now = t > now ? t : now; }

private:
    uint64_t now;
};

// The clock in use: the real one unless a test installed another.
CClock& Clock();
// Installs clock (not owned) for the whole process; nullptr restores the real clock.
void InstallClock(CClock* clock);

inline uint32_t TickCount() { return Clock().TickCount(); }
// Milliseconds from start to now, modulo 2^32, so it survives the wrap-around.
inline uint32_t TicksSince(uint32_t start) { return TickCount() - start; }

// Waits at least ms milliseconds without handling any window message.
void DelayMs(uint32_t ms);

// Installs a virtual clock for the lifetime of the object (tests, benchmarks, the simulator).
class CScopedVirtualClock {
public:
    explicit CScopedVirtualClock(uint32_t start = 0) : clock(start) { InstallClock(&clock); }
    ~CScopedVirtualClock() { InstallClock(nullptr); }
    CScopedVirtualClock(const CScopedVirtualClock&) = delete;
    CScopedVirtualClock& operator=(const CScopedVirtualClock&) = delete;
    CVirtualClock& operator*() { return clock; }
    CVirtualClock* operator->() { return &clock; }

private:
    CVirtualClock clock;
};
