#include "MovingObject.h"

#include <algorithm>

CMovingObject::CMovingObject(CSimLine& line, int width, uint32_t periodMs)
    : width(width), periodUs(static_cast<uint64_t>(periodMs) * 1000) {
    for (int index = 0; index < line.ControllerCount(); ++index) {
        const CSimController& controller = line.Controller(index);
        std::vector<bool>& blocked = fixed.emplace_back(controller.Channels());
        for (int channel = 0; channel < controller.Channels(); ++channel) {
            blocked[static_cast<size_t>(channel)] = controller.IsBlocked(channel);
        }
        placed.push_back({-1, -1});
    }
}

CMovingObject::Cover CMovingObject::Covered(int channels, uint64_t atUs) const {
    // The leading edge runs from 0 to channels + width and back: the object is wholly
    // outside the curtain at both turning points.
    const uint64_t phase = atUs % periodUs;
    const uint64_t half = periodUs / 2;
    const uint64_t along = phase < half ? phase : periodUs - phase;
    const auto travel = static_cast<uint64_t>(channels + width);
    const int edge = half == 0 ? 0 : static_cast<int>(along * travel / half);
    return {std::clamp(edge - width, 0, channels), std::clamp(edge, 0, channels)};
}

void CMovingObject::Place(CSimLine& line, uint64_t atUs) {
    for (size_t index = 0; index < fixed.size(); ++index) {
        CSimController& controller = line.Controller(static_cast<int>(index));
        const Cover cover = Covered(controller.Channels(), atUs);
        if (cover.first == placed[index].first && cover.end == placed[index].end) {
            continue;
        }
        placed[index] = cover;
        for (int channel = 0; channel < controller.Channels(); ++channel) {
            const bool covered = channel >= cover.first && channel < cover.end;
            controller.SetBlocked(channel, covered || fixed[index][static_cast<size_t>(channel)]);
        }
    }
}
