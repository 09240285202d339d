#include "FrameAssembler.h"

#include "SimWire.h"

namespace {
constexpr unsigned kIdOffset = 1;
constexpr unsigned kLetterOffset = 2;

bool IsFrameId(unsigned char byte) {
    return (byte >= 'A' && byte <= 'O') || byte == kSimBroadcastId;
}
}  // namespace

bool CFrameAssembler::Take(unsigned char byte, uint64_t atUs) {
    if (!gathered.empty() && atUs - lastAtUs > kFrameGapUs) {
        Drop();
    }
    lastAtUs = atUs;
    gathered.push_back(byte);
    if (gathered.size() == 1 && byte != kSimRequestStart) {
        Drop();
        return false;
    }
    if (gathered.size() == kIdOffset + 1 && !IsFrameId(byte)) {
        Resync(byte);
        return false;
    }
    if (gathered.size() == kLetterOffset + 1) {
        const SimRequestLayout* layout = FindSimRequest(byte);
        if (layout == nullptr) {
            Resync(byte);
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

void CFrameAssembler::Drop() {
    strayBytes += static_cast<unsigned>(gathered.size());
    gathered.clear();
}

void CFrameAssembler::Resync(unsigned char byte) {
    // Not a frame after all; the byte may itself start the next one.
    if (byte != kSimRequestStart) {
        Drop();
        return;
    }
    gathered.pop_back();
    Drop();
    gathered.push_back(byte);
}
