#include "protocol/ScanReply.h"

#include <bit>

#include "protocol/Checksum16.h"
#include "protocol/ControllerLink.h"

namespace {

constexpr int kScanHeaderLength = 2;  // 0x1C and the ID; scan replies have no letter

// Widens the ends *first..*last (-1 while none) by the channels whose bits are set in
// bits, a bitmap byte whose most significant bit is channel base.
void Widen(unsigned char bits, int base, int* first, int* last) {
    if (bits == 0) {
        return;
    }
    if (*first < 0) {
        *first = base + std::countl_zero(bits);
    }
    *last = base + 7 - std::countr_zero(bits);
}

}  // namespace

CScanReply::CScanReply(int expectedLength)
    : expectedLength(expectedLength), buffer(static_cast<size_t>(expectedLength), 0) {}

CBeamScan::CBeamScan(int channels) : CScanReply(channels / 8 + 3), channels(channels) {}

int CBeamScan::Parse(const unsigned char* bytes, int count) {
    if (count != expectedLength) {
        return 0;
    }
    // A frame of the right length that is not a beam reply is let through without
    // touching the last good scan, so the display keeps what it showed.
    if (bytes[0] != kReplyStart || bytes[count - 1] != kReplyEnd) {
        return 1;
    }
    Keep(bytes);
    blockedCount = 0;
    firstBlocked = lastBlocked = firstMade = lastMade = -1;
    // Eight channels at a time, a byte of the bitmap each.
    for (int at = 0; at < channels / 8; ++at) {
        const unsigned char blocked = bytes[kScanHeaderLength + at];
        blockedCount += std::popcount(blocked);
        Widen(blocked, 8 * at, &firstBlocked, &lastBlocked);
        Widen(static_cast<unsigned char>(~blocked), 8 * at, &firstMade, &lastMade);
    }
    return 1;
}

bool CBeamScan::Blocked(int channel) const {
    const unsigned char byte = buffer[static_cast<size_t>(kScanHeaderLength + channel / 8)];
    return (byte & (0x80 >> (channel % 8))) != 0;
}

bool CBeamScan::operator==(const CBeamScan& other) const {
    return expectedLength == other.expectedLength && channels == other.channels &&
           blockedCount == other.blockedCount && firstBlocked == other.firstBlocked &&
           lastBlocked == other.lastBlocked && firstMade == other.firstMade &&
           lastMade == other.lastMade;
}

CMeasurementScan::CMeasurementScan(int selection)
    : CScanReply(selection == 3 ? 7 : 5), selection(selection) {}

int CMeasurementScan::Parse(const unsigned char* bytes, int count) {
    if (count != expectedLength || bytes[0] != kReplyStart || bytes[count - 1] != kReplyEnd) {
        return 0;
    }
    Keep(bytes);
    value1 = value2 = 0;
    const unsigned first = GetBigEndian16(bytes + kScanHeaderLength);
    switch (selection) {
        case 1:
            value1 = first;
            break;
        case 2:
            value2 = first;
            break;
        case 3:
            value1 = first;
            value2 = GetBigEndian16(bytes + kScanHeaderLength + 2);
            break;
        default:
            break;
    }
    return 1;
}

bool CMeasurementScan::operator==(const CMeasurementScan& other) const {
    return expectedLength == other.expectedLength && value1 == other.value1 &&
           value2 == other.value2;
}
