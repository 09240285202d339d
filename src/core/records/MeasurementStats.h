#pragma once
// MeasurementStats: the lowest, highest and present value of one measurement seen since
// the measurement output was started. A reading of 0 means the controller found nothing
// to measure, so it never replaces a nonzero lowest value.

#include <cstdint>

struct MeasurementStats {
    static constexpr int32_t kNoValueYet = -1;

    int32_t low = kNoValueYet;
    int32_t high = 0;
    int32_t present = 0;
    int32_t count = 0;  // kept with the record; nothing counts into it

    // Back to the state before the first value.
    void Reset() { *this = MeasurementStats{}; }
    // Takes one reading of the controller (16 bits, unsigned).
    void Update(uint16_t value);
};
