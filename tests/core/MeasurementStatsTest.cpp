// The lowest, highest and present value of a measurement, and how a reading of 0 counts.

#include <gtest/gtest.h>

#include <initializer_list>

#include "records/MeasurementStats.h"

namespace {

MeasurementStats After(std::initializer_list<uint16_t> readings) {
    MeasurementStats stats;
    for (uint16_t reading : readings) {
        stats.Update(reading);
    }
    return stats;
}

TEST(MeasurementStatsTest, StartsWithoutALowestValue) {
    const MeasurementStats stats;
    EXPECT_EQ(stats.low, MeasurementStats::kNoValueYet);
    EXPECT_EQ(stats.high, 0);
    EXPECT_EQ(stats.present, 0);
    EXPECT_EQ(stats.count, 0);
}

TEST(MeasurementStatsTest, ZeroNeverReplacesANonzeroLowButIsReplacedItself) {
    const MeasurementStats stats = After({0, 5, 3, 0});
    EXPECT_EQ(stats.low, 3);
    EXPECT_EQ(stats.high, 5);
    EXPECT_EQ(stats.present, 0);

    // Only zeros: the lowest value is 0 and stays 0.
    EXPECT_EQ(After({0, 0}).low, 0);
    // A first reading is the lowest even when larger ones follow.
    EXPECT_EQ(After({9, 12, 10}).low, 9);
}

TEST(MeasurementStatsTest, TakesTheFullSixteenBitRangeAsUnsigned) {
    const MeasurementStats stats = After({0xFFFF, 1});
    EXPECT_EQ(stats.high, 65535);
    EXPECT_EQ(stats.low, 1);
    EXPECT_EQ(stats.present, 1);
    EXPECT_EQ(stats.count, 0);
}

TEST(MeasurementStatsTest, ResetForgetsEverything) {
    MeasurementStats stats = After({4, 8});
    stats.Reset();
    EXPECT_EQ(stats.low, MeasurementStats::kNoValueYet);
    EXPECT_EQ(stats.high, 0);
    EXPECT_EQ(stats.present, 0);
    stats.Update(6);
    EXPECT_EQ(stats.low, 6);
    EXPECT_EQ(stats.high, 6);
}

}  // namespace
