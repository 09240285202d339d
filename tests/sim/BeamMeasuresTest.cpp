// The measurement values a simulated controller computes from its beams.

#include <gtest/gtest.h>

#include <vector>

#include "BeamMeasures.h"

namespace {

// Beams 0..count-1 with the given channels blocked and the skipped ones left out.
std::vector<SimBeam> Beams(int count, const std::vector<int>& blocked,
                           const std::vector<int>& skipped = {}) {
    std::vector<SimBeam> beams;
    for (int channel = 0; channel < count; ++channel) {
        if (std::find(skipped.begin(), skipped.end(), channel) != skipped.end()) {
            continue;
        }
        const bool isBlocked = std::find(blocked.begin(), blocked.end(), channel) != blocked.end();
        beams.push_back({channel, isBlocked});
    }
    return beams;
}

struct Expected {
    int mode;
    int value;
};

void ExpectAll(const std::vector<SimBeam>& beams, const std::vector<Expected>& values) {
    for (const Expected& e : values) {
        EXPECT_EQ(e.value, MeasureBeams(e.mode, beams)) << static_cast<char>(e.mode);
    }
}

TEST(BeamMeasuresTest, EveryModeOverOnePattern) {
    // Blocked 3..5 and 10 of 64 (shown as 4..6 and 11).
    ExpectAll(Beams(64, {3, 4, 5, 10}), {{'A', 4},
                                         {'B', 1},
                                         {'C', 11},
                                         {'D', 64},
                                         {'E', 4},
                                         {'F', 60},
                                         {'G', 7},
                                         {'H', 3},
                                         {'I', 53},
                                         {'J', 4},
                                         {'K', 0}});
}

TEST(BeamMeasuresTest, BlankedBeamsAreLeftOut) {
    // Channel 10 blanked: the made runs 6..9 and 11..63 join, one blocked run is gone.
    ExpectAll(Beams(64, {3, 4, 5, 10}, {10}),
              {{'C', 6}, {'E', 3}, {'F', 60}, {'G', 5}, {'I', 57}, {'J', 2}});
    // A blanked first channel: the first made beam is channel 2.
    ExpectAll(Beams(64, {}, {0}), {{'B', 2}, {'F', 63}});
}

TEST(BeamMeasuresTest, NoBeamOfAKindGivesZero) {
    ExpectAll(Beams(64, {}), {{'A', 0},
                              {'C', 0},
                              {'E', 0},
                              {'G', 0},
                              {'H', 0},
                              {'J', 0},
                              {'B', 1},
                              {'D', 64},
                              {'I', 64}});
    std::vector<int> all;
    for (int channel = 0; channel < 128; ++channel) {
        all.push_back(channel);
    }
    ExpectAll(Beams(128, all), {{'B', 0},
                                {'D', 0},
                                {'F', 0},
                                {'I', 0},
                                {'A', 1},
                                {'C', 128},
                                {'G', 64},
                                {'H', 128},
                                {'J', 0}});
    ExpectAll({}, {{'A', 0}, {'E', 0}, {'H', 0}, {'J', 0}});
}

}  // namespace
