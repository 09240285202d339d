#pragma once
// The measurement values of a Run over time: the last readings for the trend chart, with
// the Low and High the statistics held at each, and every reading of the Run as CSV
// lines (time in ms since the Run began, Meas1, Meas2) for the recording file, after a
// header that says whose readings they are and since when.

#include <array>
#include <cstdint>
#include <deque>
#include <string>

#include "records/MeasurementStats.h"

// The readings the chart shows.
constexpr size_t kTrendLength = 600;

struct TrendPoint {
    uint32_t ms;                   // since the Run began
    std::array<int32_t, 2> value;  // of measurement 1 and 2
    std::array<int32_t, 2> low;
    std::array<int32_t, 2> high;
};

// The lines a recording starts with: the controller's ID and rate, when the Run started
// (as the caller writes it) and the column titles, each measurement under its name.
std::string RecordingHeader(char id, long baud, const std::string& started,
                            const std::array<std::string, 2>& names);

class CMeasurementTrend {
public:
    // selection: bit 0 when measurement 1 is produced, bit 1 for measurement 2; the CSV
    // leaves the column of a measurement not produced empty. A Run is recorded when it
    // starts with a header (RecordingHeader): the CSV is kept, beginning with it.
    void Start(int selection, uint32_t startMs, const std::string& recordingHeader = {});
    // One reading at nowMs, with the statistics after it.
    void Add(uint32_t nowMs, const std::array<unsigned, 2>& values,
             const std::array<MeasurementStats, 2>& stats);

    const std::deque<TrendPoint>& Points() const { return points; }
    bool Produced(int n) const { return (selection & (1 << n)) != 0; }
    // The header and one line per reading since Start, when recording.
    const std::string& Csv() const { return csv; }

private:
    int selection = 0;
    uint32_t startMs = 0;
    bool recording = false;
    std::deque<TrendPoint> points;
    std::string csv;
};
