// Scan replies as they come off the line. The first byte picks the scan the program
// waits for: bit 0 set, a beam scan (bit 1 set: as many channels as the reply has
// bitmap bytes, else one to twelve boards of 64 channels, from the bits above); bit 0
// clear, a measurement scan of selection 1, 2 or 3. The rest is the reply.

#include <algorithm>
#include <memory>

#include "FuzzTarget.h"
#include "protocol/Checksum16.h"
#include "protocol/Diagnostics.h"
#include "protocol/ScanReply.h"

namespace {

constexpr unsigned char kStart = 0x1C;
constexpr unsigned char kEnd = 0x0A;

bool IsFrame(const unsigned char* reply, int count, int expected) {
    return count == expected && reply[0] == kStart && reply[count - 1] == kEnd;
}

void CheckBeamScan(const unsigned char* reply, int count, int channels) {
    CBeamScan scan(channels);
    const CBeamScan before = scan;
    const int taken = scan.Parse(reply, count);
    Require(taken == (count == scan.ExpectedLength() ? 1 : 0), "a beam reply is taken by length");
    if (!IsFrame(reply, count, scan.ExpectedLength())) {
        // Refused, or a reply of the right length that is no beam frame: the last good
        // scan stays as it was.
        Require(scan == before, "a foreign reply leaves the beam scan unchanged");
        return;
    }
    Require(std::equal(reply, reply + count, scan.Bytes().begin()), "the reply is kept");
    // The counts and ends worked out channel by channel, as the display reads them.
    int blocked = 0;
    int ends[2][2] = {{-1, -1}, {-1, -1}};  // made, blocked: first, last
    for (int channel = 0; channel < channels; ++channel) {
        const bool isBlocked = scan.Blocked(channel);
        blocked += isBlocked ? 1 : 0;
        int* kind = ends[isBlocked ? 1 : 0];
        kind[0] = kind[0] < 0 ? channel : kind[0];
        kind[1] = channel;
    }
    Require(blocked == scan.BlockedCount(), "the blocked count counts the blocked beams");
    Require(ends[1][0] == scan.FirstBlocked() && ends[1][1] == scan.LastBlocked(),
            "the blocked ends are the first and last blocked beams, -1 without one");
    Require(ends[0][0] == scan.FirstMade() && ends[0][1] == scan.LastMade(),
            "the made ends are the first and last made beams, -1 without one");
    CBeamScan again(channels);
    again.Parse(reply, count);
    Require(again == scan, "the same reply gives the same scan");
}

void CheckMeasurementScan(const unsigned char* reply, int count, int selection) {
    CMeasurementScan scan(selection);
    const int taken = scan.Parse(reply, count);
    const bool frame = IsFrame(reply, count, scan.ExpectedLength());
    Require(taken == (frame ? 1 : 0), "exactly the framed measurement replies are taken");
    const unsigned first = frame ? GetBigEndian16(reply + 2) : 0;
    const unsigned second = frame && selection == 3 ? GetBigEndian16(reply + 4) : 0;
    Require(scan.Value1() == (selection == 2 ? 0 : first), "value 1 is read where selected");
    Require(scan.Value2() == (selection == 1   ? 0
                              : selection == 2 ? first
                                               : second),
            "value 2 is read where selected");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const int mode = data[0];
    const int count = static_cast<int>(size - 1);
    // The reply in a buffer of its own exact size, so a read past it is caught.
    const auto reply = std::make_unique<unsigned char[]>(size - 1);
    std::copy(data + 1, data + size, reply.get());
    if (mode & 1) {
        const int channels = (mode & 2) ? 8 * std::max(count - 3, 0)
                                        : kChannelsPerBoard * (1 + (mode >> 2) % kMaxBoards);
        CheckBeamScan(reply.get(), count, channels);
    } else {
        CheckMeasurementScan(reply.get(), count, 1 + (mode >> 1) % 3);
    }
    return 0;
}
