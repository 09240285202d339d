#include "records/MeasurementTrend.h"

namespace {
constexpr char kCsvHeader[] = "Time (ms),Meas1,Meas2\n";
}  // namespace

void CMeasurementTrend::Start(int selection, uint32_t startMs, bool recording) {
    this->selection = selection;
    this->startMs = startMs;
    this->recording = recording;
    points.clear();
    csv = recording ? kCsvHeader : "";
}

void CMeasurementTrend::Add(uint32_t nowMs, const std::array<unsigned, 2>& values,
                            const std::array<MeasurementStats, 2>& stats) {
    TrendPoint point{nowMs - startMs, {}, {}, {}};
    for (size_t n = 0; n < 2; ++n) {
        point.value[n] = static_cast<int32_t>(values[n]);
        point.low[n] = stats[n].low;
        point.high[n] = stats[n].high;
    }
    if (points.size() == kTrendLength) {
        points.pop_front();
    }
    points.push_back(point);
    if (!recording) {
        return;
    }
    csv += std::to_string(point.ms);
    for (int n = 0; n < 2; ++n) {
        csv += ',';
        if (Produced(n)) {
            csv += std::to_string(point.value[static_cast<size_t>(n)]);
        }
    }
    csv += '\n';
}
