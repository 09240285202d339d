#include "sim/FrameAssembler.h"

#include "sim/SimWire.h"

namespace {
constexpr unsigned kLetterOffset = 2;
}

bool CFrameAssembler::Take(unsigned char byte, uint64_t atUs) {
    if (!gathered.empty() && atUs - lastAtUs > kFrameGapUs) {
        gathered.clear();
    }
    lastAtUs = atUs;
    if (gathered.empty() && byte != kSimRequestStart) {
        return false;
    }
    gathered.push_back(byte);
    if (gathered.size() == kLetterOffset + 1) {
        const SimRequestLayout* layout = FindSimRequest(byte);
        if (layout == nullptr) {
            // Not a frame after all; the byte may itself start the next one.
            gathered.clear();
            if (byte == kSimRequestStart) {
                gathered.push_back(byte);
            }
            return false;
        }
        expected = layout->length;
    }
    if (gathered.size() > kLetterOffset && gathered.size() == expected) {
        frame.swap(gathered);
        gathered.clear();
        return true;
    }
    return false;
}
