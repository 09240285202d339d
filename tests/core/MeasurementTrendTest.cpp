// The trend of a Run: it keeps the last readings only, and its CSV every reading.

#include <gtest/gtest.h>

#include <algorithm>

#include "records/MeasurementTrend.h"

TEST(MeasurementTrendTest, KeepsTheLastReadingsButRecordsEveryOne) {
    CMeasurementTrend trend;
    trend.Start(3, 5000, RecordingHeader('C', 19200, "2026-05-04 10:11:12", {"TBB", "TBM"}));
    std::array<MeasurementStats, 2> stats{};
    for (unsigned i = 0; i <= kTrendLength; ++i) {
        stats[0].Update(static_cast<uint16_t>(i));
        trend.Add(5000 + 10 * i, {i, 7}, stats);
    }
    ASSERT_EQ(trend.Points().size(), kTrendLength);
    EXPECT_EQ(trend.Points().front().ms, 10u);
    EXPECT_EQ(trend.Points().front().value[0], 1);
    EXPECT_EQ(trend.Points().back().high[0], 600);
    EXPECT_EQ(trend.Points().back().low[0], 1);
    const std::string& csv = trend.Csv();
    const std::string header =
        "Controller,C\nBaud rate,19200\nRun started,2026-05-04 10:11:12\nTime (ms),TBB,TBM\n";
    EXPECT_EQ(csv.substr(0, header.size() + 13), header + "0,0,7\n10,1,7\n");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4 + 601);

    trend.Start(1, 0);
    trend.Add(3, {4, 0}, stats);
    EXPECT_EQ(trend.Points().size(), 1u);
    EXPECT_TRUE(trend.Csv().empty());
}
