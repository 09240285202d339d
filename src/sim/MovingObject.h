#pragma once
// CMovingObject: an object that passes back and forth through every controller's curtain,
// so that beam scans and measurement values change over time. It covers `width`
// neighbouring channels, enters at the first channel, leaves past the last and comes back,
// one pass there and back every periodMs. The beams blocked when it was made stay
// blocked throughout.

#include <cstdint>
#include <vector>

#include "SimLine.h"

class CMovingObject {
public:
    // Notes the beams that line's controllers have blocked now as the fixed ones.
    // width and periodMs must be positive.
    CMovingObject(CSimLine& line, int width, uint32_t periodMs);

    // The channels (0-based, first and one past the last) the object covers at atUs in a
    // curtain of `channels` channels; an empty range while it is outside.
    struct Cover {
        int first;
        int end;
    };
    Cover Covered(int channels, uint64_t atUs) const;

    // Blocks the beams the object covers at atUs, and the fixed ones, on every controller.
    void Place(CSimLine& line, uint64_t atUs);

private:
    int width;
    uint64_t periodUs;
    std::vector<std::vector<bool>> fixed;  // per controller, as the line numbers them
    std::vector<Cover> placed;             // per controller, what Place last covered
};
