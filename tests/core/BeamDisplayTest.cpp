// The alignment display's rules: row labels and row texts of the beam grid, the Made
// count in each mode, the blanking Auto Blanking takes from a scan, the refresh rule's
// summary comparison, and the button table.

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "records/BeamDisplay.h"

namespace {

// A parsed beam scan of channels with the given channels blocked.
CBeamScan ScanWith(int channels, std::initializer_list<int> blocked) {
    std::vector<unsigned char> reply(static_cast<size_t>(channels / 8 + 3), 0);
    reply.front() = 0x1C;
    reply[1] = 'A';
    reply.back() = 0x0A;
    for (int channel : blocked) {
        reply[static_cast<size_t>(2 + channel / 8)] |=
            static_cast<unsigned char>(0x80 >> (channel % 8));
    }
    CBeamScan scan(channels);
    EXPECT_EQ(scan.Parse(reply.data(), static_cast<int>(reply.size())), 1);
    return scan;
}

CBlankingMap MapWith(int channels, std::initializer_list<int> blanked) {
    CBlankingMap map(channels);
    for (int channel : blanked) {
        map.SetBlanked(channel, true);
    }
    return map;
}

TEST(BeamDisplayTest, RowLabelsCountChannelsFromOne) {
    EXPECT_EQ(BeamRowLabel(1), "1 - 16");
    EXPECT_EQ(BeamRowLabel(2), "17 - 32");
    EXPECT_EQ(BeamRowLabel(4), "49 - 64");
    EXPECT_EQ(BeamRowLabel(48), "753 - 768");
}

TEST(BeamDisplayTest, RowTextShowsMadeBlockedAndBlankedInGroupsOfFour) {
    // Row 1: channels 8, 9 blocked, 12 blanked (and blocked, which blanking hides).
    const CBeamScan scan = ScanWith(64, {8, 9, 12, 20});
    const CBlankingMap map = MapWith(64, {12, 31});
    EXPECT_EQ(BeamRowText(scan, map, 1, true), "1111 1111 0011 B111 ");
    EXPECT_EQ(BeamRowText(scan, map, 1, false), "1111 1111 0011 0111 ");
    // Row 2 holds channels 16..31: 20 blocked, 31 blanked.
    EXPECT_EQ(BeamRowText(scan, map, 2, true), "1111 0111 1111 111B ");
    EXPECT_EQ(BeamRowText(scan, map, 4, true).size(), static_cast<size_t>(kBeamRowTextLength));
}

TEST(BeamDisplayTest, MadeSubtractsTheBlankingExceptDuringAutoBlanking) {
    // 5 blocked, 3 blanked of 64.
    const CBeamScan scan = ScanWith(64, {1, 2, 3, 40, 63});
    const CBlankingMap map = MapWith(64, {10, 11, 50});
    EXPECT_EQ(MadeCount(scan, map, DialogMode::Idle), 56);
    EXPECT_EQ(MadeCount(scan, map, DialogMode::Scanning), 56);
    EXPECT_EQ(MadeCount(scan, map, DialogMode::AutoBlanking), 59);
}

TEST(BeamDisplayTest, BlockedChannelsBlanksExactlyTheBlockedBeams) {
    const CBlankingMap map = BlockedChannels(ScanWith(128, {0, 15, 64, 127}));
    EXPECT_EQ(map.Channels(), 128);
    EXPECT_EQ(map.CountBlanked(0), 4);
    for (int channel : {0, 15, 64, 127}) {
        EXPECT_TRUE(map.IsBlanked(channel)) << channel;
    }
    EXPECT_EQ(BlockedChannels(ScanWith(64, {})).CountBlanked(0), 0);
}

TEST(BeamDisplayTest, OnlyStopRunsWithTheStartLoopAndOnlyAbortWithAutoBlanking) {
    for (const ModeEnabling& entry : kModeEnabling) {
        EXPECT_EQ(EnabledInMode(entry, DialogMode::Scanning), entry.control == kIdStop);
        EXPECT_EQ(EnabledInMode(entry, DialogMode::AutoBlanking),
                  entry.control == kIdAbortAutoBlanking);
        EXPECT_EQ(EnabledInMode(entry, DialogMode::Idle),
                  entry.control != kIdStop && entry.control != kIdAbortAutoBlanking);
    }
}

}  // namespace
