#include "records/MeasurementStats.h"

void MeasurementStats::Update(uint16_t value) {
    const int32_t v = value;
    present = v;
    if (v > high) {
        high = v;
    }
    // A lowest value of 0 came from a reading that measured nothing; the next one replaces it.
    if (low == kNoValueYet || low == 0) {
        low = v;
    } else if (v != 0 && v < low) {
        low = v;
    }
}
