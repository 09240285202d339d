#pragma once
// A line of simulated controllers with the in-process port on a virtual clock, and
// helpers that write raw request frames and collect what comes back.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "SimLine.h"
#include "SimPort.h"
#include "protocol/Checksum16.h"
#include "serial/Clock.h"

using Bytes = std::vector<unsigned char>;

// start, id, letter, payload, end: the frame is sized once, as growing a three-byte
// vector by a range draws a false bounds warning from GCC 12 at -O2.
inline Bytes Framed(unsigned char start, char id, char letter, const Bytes& payload,
                    unsigned char end) {
    Bytes frame(payload.size() + 4);
    frame[0] = start;
    frame[1] = static_cast<unsigned char>(id);
    frame[2] = static_cast<unsigned char>(letter);
    std::copy(payload.begin(), payload.end(), frame.begin() + 3);
    frame.back() = end;
    return frame;
}

// 0xF8, id, letter, payload, end byte.
inline Bytes Request(char id, char letter, const Bytes& payload = {}, unsigned char end = 0x0D) {
    return Framed(0xF8, id, letter, payload, end);
}

// 0x1C, id, letter, payload, LF.
inline Bytes Reply(char id, char letter, const Bytes& payload = {}) {
    return Framed(0x1C, id, letter, payload, 0x0A);
}

inline Bytes Ack(char id) {
    return Reply(id, 'K');
}

// bytes followed by their Checksum16, high byte first.
inline Bytes WithChecksum(Bytes bytes) {
    const uint16_t sum = Checksum16(bytes.data(), static_cast<int>(bytes.size()));
    bytes.push_back(static_cast<unsigned char>(sum >> 8));
    bytes.push_back(static_cast<unsigned char>(sum & 0xFF));
    return bytes;
}

class SimTest : public ::testing::Test {
protected:
    // Writes frame and gathers everything that arrives within windowMs.
    Bytes Exchange(const Bytes& frame, long windowMs = 300) {
        port->DiscardInput();
        Send(frame);
        return Collect(windowMs);
    }
    void Send(const Bytes& frame) {
        EXPECT_EQ(0, port->Write(frame.data(), static_cast<unsigned>(frame.size()), 0));
    }
    Bytes Collect(long windowMs) {
        unsigned char buffer[512];
        port->Read(buffer, sizeof buffer, windowMs);
        return Bytes(buffer, buffer + port->ByteCount());
    }

    CScopedVirtualClock clock{1000};
    CSimLine line;
    std::unique_ptr<CSimPort> port = std::make_unique<CSimPort>(line, *clock, 9600, 'E');
};
