#pragma once
// A line of simulated controllers with the in-process port on a virtual clock, and
// helpers that write raw request frames and collect what comes back.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "protocol/Checksum16.h"
#include "serial/Clock.h"
#include "sim/SimLine.h"
#include "sim/SimPort.h"

using Bytes = std::vector<unsigned char>;

// 0xF8, id, letter, payload, end byte.
inline Bytes Request(char id, char letter, const Bytes& payload = {}, unsigned char end = 0x0D) {
    Bytes frame{0xF8, static_cast<unsigned char>(id), static_cast<unsigned char>(letter)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(end);
    return frame;
}

// 0x1C, id, letter, payload, LF.
inline Bytes Reply(char id, char letter, const Bytes& payload = {}) {
    Bytes frame{0x1C, static_cast<unsigned char>(id), static_cast<unsigned char>(letter)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(0x0A);
    return frame;
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
