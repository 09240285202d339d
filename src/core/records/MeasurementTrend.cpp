#include "records/MeasurementTrend.h"

std::string RecordingHeader(char id, long baud, const std::string& started,
                            const std::array<std::string, 2>& names) {
    return "Controller," + std::string(1, id) + "\nBaud rate," + std::to_string(baud) +
           "\nRun started," + started + "\nTime (ms)," + names[0] + ',' + names[1] + '\n';
}

void CMeasurementTrend::Start(int selection, uint32_t startMs, const std::string& recordingHeader) {
    this->selection = selection;
    this->startMs = startMs;
    recording = !recordingHeader.empty();
    points.clear();
    csv = recordingHeader;
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
