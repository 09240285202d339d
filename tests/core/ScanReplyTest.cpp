// Decoding of beam and measurement scan replies, and how scans compare.

#include <gtest/gtest.h>

#include <vector>

#include "protocol/ScanReply.h"

namespace {

using Bytes = std::vector<unsigned char>;

int Parse(CScanReply& scan, const Bytes& bytes) {
    return scan.Parse(bytes.data(), static_cast<int>(bytes.size()));
}

TEST(BeamScanTest, DecodesCountsAndEndsOfBlockedAndMadeBeams) {
    CBeamScan scan(16);
    EXPECT_EQ(5, scan.ExpectedLength());
    ASSERT_EQ(1, Parse(scan, {0x1C, 'A', 0x80, 0x01, 0x0A}));
    EXPECT_EQ(2, scan.BlockedCount());
    EXPECT_EQ(0, scan.FirstBlocked());
    EXPECT_EQ(15, scan.LastBlocked());
    EXPECT_EQ(1, scan.FirstMade());
    EXPECT_EQ(14, scan.LastMade());
    EXPECT_TRUE(scan.Blocked(0));
    EXPECT_FALSE(scan.Blocked(1));
    EXPECT_TRUE(scan.Blocked(15));
}

TEST(BeamScanTest, AllMadeAndAllBlockedMarkTheMissingEndsWithMinusOne) {
    CBeamScan scan(16);
    ASSERT_EQ(1, Parse(scan, {0x1C, 'A', 0x00, 0x00, 0x0A}));
    EXPECT_EQ(0, scan.BlockedCount());
    EXPECT_EQ(-1, scan.FirstBlocked());
    EXPECT_EQ(-1, scan.LastBlocked());
    EXPECT_EQ(0, scan.FirstMade());
    EXPECT_EQ(15, scan.LastMade());

    ASSERT_EQ(1, Parse(scan, {0x1C, 'A', 0xFF, 0xFF, 0x0A}));
    EXPECT_EQ(16, scan.BlockedCount());
    EXPECT_EQ(-1, scan.FirstMade());
    EXPECT_EQ(-1, scan.LastMade());
}

TEST(BeamScanTest, WrongLengthIsRefusedAndAForeignFrameKeepsTheLastScan) {
    CBeamScan scan(16);
    ASSERT_EQ(1, Parse(scan, {0x1C, 'A', 0x40, 0x00, 0x0A}));
    EXPECT_EQ(0, Parse(scan, {0x1C, 'A', 0x40, 0x0A}));
    EXPECT_EQ(1, Parse(scan, {0x1D, 'A', 0xFF, 0xFF, 0x0A}));
    EXPECT_EQ(1, Parse(scan, {0x1C, 'A', 0xFF, 0xFF, 0x0D}));
    EXPECT_EQ(1, scan.BlockedCount());
    EXPECT_EQ(1, scan.FirstBlocked());
}

TEST(BeamScanTest, ScansCompareByTheirSummaryNotByTheirBytes) {
    CBeamScan a(16);
    CBeamScan b(16);
    Parse(a, {0x1C, 'A', 0x84, 0x01, 0x0A});
    Parse(b, {0x1C, 'B', 0x84, 0x01, 0x0A});
    EXPECT_TRUE(a == b);
    // Same count and same ends, one beam moved in the middle: the same summary.
    Parse(b, {0x1C, 'A', 0x82, 0x01, 0x0A});
    EXPECT_TRUE(a == b);
    // Another end, another count: different scans.
    Parse(b, {0x1C, 'A', 0x84, 0x02, 0x0A});
    EXPECT_FALSE(a == b);
    Parse(b, {0x1C, 'A', 0x86, 0x01, 0x0A});
    EXPECT_FALSE(a == b);
    // A scan nothing was parsed into differs from a parsed one with no beam blocked.
    CBeamScan fresh(16);
    Parse(b, {0x1C, 'A', 0x00, 0x00, 0x0A});
    EXPECT_FALSE(fresh == b);
    CBeamScan copy = a;
    EXPECT_TRUE(copy == a);
    Parse(a, {0x1C, 'A', 0x00, 0x00, 0x0A});
    EXPECT_FALSE(copy == a);  // the copy is deep
    EXPECT_FALSE(CBeamScan(16) == CBeamScan(24));
}

TEST(MeasurementScanTest, SelectionDecidesLengthAndWhichValueIsFilled) {
    CMeasurementScan one(1);
    EXPECT_EQ(5, one.ExpectedLength());
    ASSERT_EQ(1, Parse(one, {0x1C, 'A', 0x01, 0x02, 0x0A}));
    EXPECT_EQ(258u, one.Value1());
    EXPECT_EQ(0u, one.Value2());

    CMeasurementScan two(2);
    ASSERT_EQ(1, Parse(two, {0x1C, 'A', 0xFF, 0xFE, 0x0A}));
    EXPECT_EQ(0u, two.Value1());
    EXPECT_EQ(65534u, two.Value2());

    CMeasurementScan both(3);
    EXPECT_EQ(7, both.ExpectedLength());
    ASSERT_EQ(1, Parse(both, {0x1C, 'A', 0x00, 0x05, 0x01, 0x00, 0x0A}));
    EXPECT_EQ(5u, both.Value1());
    EXPECT_EQ(256u, both.Value2());
}

TEST(MeasurementScanTest, RefusesWrongFramesAndComparesByValues) {
    CMeasurementScan scan(1);
    EXPECT_EQ(0, Parse(scan, {0x1C, 'A', 0x01, 0x02, 0x0D}));
    EXPECT_EQ(0, Parse(scan, {0x1D, 'A', 0x01, 0x02, 0x0A}));
    EXPECT_EQ(0, Parse(scan, {0x1C, 'A', 0x01, 0x02, 0x03, 0x04, 0x0A}));
    CMeasurementScan previous = scan;
    Parse(scan, {0x1C, 'A', 0x00, 0x07, 0x0A});
    EXPECT_FALSE(previous == scan);
    previous = scan;
    Parse(scan, {0x1C, 'B', 0x00, 0x07, 0x0A});
    EXPECT_TRUE(previous == scan);
}

}  // namespace
