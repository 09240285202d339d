#include "protocol/ScanReply.h"

#include <algorithm>

#include "protocol/Checksum16.h"
#include "protocol/ControllerLink.h"

namespace {
constexpr int kScanHeaderLength = 2;  // 0x1C and the ID; scan replies have no letter
}

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
    firstBlocked = firstMade = channels;
    lastBlocked = lastMade = 0;
    for (int channel = 0; channel < channels; ++channel) {
        if (Blocked(channel)) {
            ++blockedCount;
            firstBlocked = std::min(firstBlocked, channel);
            lastBlocked = std::max(lastBlocked, channel);
        } else {
            firstMade = std::min(firstMade, channel);
            lastMade = std::max(lastMade, channel);
        }
    }
    if (blockedCount == 0) {
        firstBlocked = lastBlocked = -1;
    }
    if (blockedCount == channels) {
        firstMade = lastMade = -1;
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
