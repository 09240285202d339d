#include "BeamMeasures.h"

#include <algorithm>

namespace {

// 1-based channel of the first (or, reversed, the last) beam in state blocked; 0 if none.
int FirstInState(const std::vector<SimBeam>& beams, bool blocked, bool fromEnd) {
    auto matches = [blocked](const SimBeam& beam) { return beam.blocked == blocked; };
    if (fromEnd) {
        auto it = std::find_if(beams.rbegin(), beams.rend(), matches);
        return it == beams.rend() ? 0 : it->channel + 1;
    }
    auto it = std::find_if(beams.begin(), beams.end(), matches);
    return it == beams.end() ? 0 : it->channel + 1;
}

int CountInState(const std::vector<SimBeam>& beams, bool blocked) {
    return static_cast<int>(std::count_if(
        beams.begin(), beams.end(), [blocked](const SimBeam& b) { return b.blocked == blocked; }));
}

// The longest run of neighbouring beams (blanked ones left out) in state blocked.
int LongestRun(const std::vector<SimBeam>& beams, bool blocked) {
    int longest = 0;
    int run = 0;
    for (const SimBeam& beam : beams) {
        run = beam.blocked == blocked ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

int Transitions(const std::vector<SimBeam>& beams) {
    int changes = 0;
    for (size_t i = 1; i < beams.size(); ++i) {
        changes += beams[i].blocked != beams[i - 1].blocked ? 1 : 0;
    }
    return changes;
}

}  // namespace

int MeasureBeams(int mode, const std::vector<SimBeam>& beams) {
    switch (mode) {
        case kFirstBlocked:
            return FirstInState(beams, true, false);
        case kFirstMade:
            return FirstInState(beams, false, false);
        case kLastBlocked:
            return FirstInState(beams, true, true);
        case kLastMade:
            return FirstInState(beams, false, true);
        case kTotalBlocked:
            return CountInState(beams, true);
        case kTotalMade:
            return CountInState(beams, false);
        case kMiddleBlocked:
            return (FirstInState(beams, true, false) + FirstInState(beams, true, true)) / 2;
        case kContiguousBlocked:
            return LongestRun(beams, true);
        case kContiguousMade:
            return LongestRun(beams, false);
        case kTransitions:
            return Transitions(beams);
        default:
            return 0;
    }
}
