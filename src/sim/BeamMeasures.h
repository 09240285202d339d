#pragma once
// The measurement values a controller computes from its beams for the measurement modes
// of its PSF (FBB first beam blocked ... TRN transitions). Channel numbers are reported
// 1-based, 0 when there is no such beam; blanked beams are left out before measuring.

#include <vector>

// A beam that takes part in a measurement: its 0-based channel and its state.
struct SimBeam {
    int channel;
    bool blocked;
};

// Measurement mode codes 'A'..'K' in the order of the mode list.
enum SimMeasureMode : int {
    kFirstBlocked = 'A',
    kFirstMade,
    kLastBlocked,
    kLastMade,
    kTotalBlocked,
    kTotalMade,
    kMiddleBlocked,
    kContiguousBlocked,
    kContiguousMade,
    kTransitions,
    kNoMeasure,
};

// Whether mode is one that yields a value ('A'..'J').
inline bool IsMeasureMode(int mode) {
    return mode >= kFirstBlocked && mode < kNoMeasure;
}

// The value of mode over beams (in channel order); 0 for a mode that yields none.
int MeasureBeams(int mode, const std::vector<SimBeam>& beams);
