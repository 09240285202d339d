#pragma once
// ChartScale: the ticks of a chart axis. Steps are 1, 2 or 5 times a power of ten, so the
// labels read as round numbers and never repeat, whatever the range.

#include <vector>

struct ChartScale {
    double low = 0.0;   // the first tick at or below the range's start
    double high = 1.0;  // the last tick at or above the range's end
    double step = 1.0;
    int decimals = 0;  // what a label needs to show the step

    // The ticks from low to high.
    std::vector<double> Ticks() const;
};

// A scale over [first, last] with at most maxTicks steps; minStep bounds the step from
// below (1 for values that are whole numbers).
ChartScale NiceScale(double first, double last, int maxTicks, double minStep);
