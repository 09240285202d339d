#include "widgets/ChartScale.h"

#include <algorithm>
#include <cmath>

std::vector<double> ChartScale::Ticks() const {
    std::vector<double> ticks;
    const auto count = static_cast<long>(std::lround((high - low) / step));
    for (long i = 0; i <= count; ++i) {
        ticks.push_back(low + static_cast<double>(i) * step);
    }
    return ticks;
}

ChartScale NiceScale(double first, double last, int maxTicks, double minStep) {
    const double span = std::max(last - first, minStep);
    const double rough = span / std::max(maxTicks, 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power * 10.0;
    for (double factor : {1.0, 2.0, 5.0}) {
        if (power * factor >= rough) {
            step = power * factor;
            break;
        }
    }
    step = std::max(step, minStep);
    ChartScale scale;
    scale.step = step;
    scale.low = std::floor(first / step) * step;
    scale.high = std::max(std::ceil(last / step) * step, scale.low + step);
    scale.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    return scale;
}
