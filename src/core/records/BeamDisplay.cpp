#include "records/BeamDisplay.h"

#include <cstdio>

std::string BeamRowLabel(int row) {
    const long first = static_cast<long>(kChannelsPerGridRow) * (row - 1) + 1;
    char text[32];
    std::snprintf(text, sizeof text, "%ld - %ld", first, first + kChannelsPerGridRow - 1);
    return text;
}

std::string BeamRowText(const CBeamScan& scan, const CBlankingMap& map, int row, bool showBlanked) {
    std::string text;
    text.reserve(kBeamRowTextLength);
    const int first = kChannelsPerGridRow * (row - 1);
    for (int channel = first; channel < first + kChannelsPerGridRow; ++channel) {
        if (showBlanked && map.IsBlanked(channel)) {
            text += 'B';
        } else {
            text += scan.Blocked(channel) ? '0' : '1';
        }
        if (channel % 4 == 3) {
            text += ' ';
        }
    }
    return text;
}

int MadeCount(const CBeamScan& scan, const CBlankingMap& map, DialogMode mode) {
    const int made = scan.Channels() - scan.BlockedCount();
    return mode == DialogMode::AutoBlanking ? made : made - map.CountBlanked(0);
}

CBlankingMap BlockedChannels(const CBeamScan& scan) {
    CBlankingMap map(scan.Channels());
    for (int channel = 0; channel < scan.Channels(); ++channel) {
        if (scan.Blocked(channel)) {
            map.SetBlanked(channel, true);
        }
    }
    return map;
}
