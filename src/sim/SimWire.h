#pragma once
// What a simulated controller knows of the wire: the rates and parities it can run at,
// how long a byte takes on the line, and the frames it accepts. Times on the line are
// microseconds from an arbitrary start, whatever clock drives the line.

#include <array>
#include <cstdint>

// A side's line settings. Parity 'N', 'O', 'E' (any other letter never matches a
// controller); '?' is a side whose parity is not known (a pseudo-terminal does not
// show it), which matches every parity.
struct SimLineFormat {
    long baud = 9600;
    char parity = 'E';

    // Whether a byte sent with these settings is received intact with other's.
    bool Matches(const SimLineFormat& other) const {
        return baud == other.baud &&
               (parity == other.parity || parity == '?' || other.parity == '?');
    }
};

// A controller's rates by baud index, and its parities by parity index.
inline constexpr std::array<long, 4> kControllerBaudRates = {9600, 19200, 38400, 57600};
inline constexpr std::array<char, 3> kControllerParities = {'N', 'O', 'E'};

// Start bit, 8 data bits and 2 stop bits.
constexpr unsigned kBitsPerByte = 11;

// Microseconds that count bytes take on the line at baud, rounded up.
constexpr uint64_t WireTimeUs(uint64_t count, long baud) {
    return baud <= 0 ? 0
                     : (count * kBitsPerByte * 1000000u + static_cast<uint64_t>(baud) - 1) /
                           static_cast<uint64_t>(baud);
}

constexpr unsigned char kSimRequestStart = 0xF8;
constexpr unsigned char kSimRequestEnd = 0x0D;
constexpr unsigned char kSimPsfRequestEnd = 0x0E;
constexpr unsigned char kSimReplyStart = 0x1C;
constexpr unsigned char kSimReplyEnd = 0x0A;
constexpr char kSimBroadcastId = 'X';

// A request the controller understands: its letter, its whole length on the line and
// its end byte (0 for the scan request, which has none).
struct SimRequestLayout {
    char letter;
    unsigned length;
    unsigned char end;
};
inline constexpr std::array<SimRequestLayout, 18> kSimRequests = {{
    {'P', 4, kSimRequestEnd},
    {'G', 4, kSimRequestEnd},
    {'C', 46, kSimPsfRequestEnd},
    {'A', 4, kSimRequestEnd},
    {'n', 8, kSimRequestEnd},
    {'s', 8, kSimRequestEnd},
    {'E', 4, kSimRequestEnd},
    {'Q', 4, kSimRequestEnd},
    {'I', 4, kSimRequestEnd},
    {'J', 4, kSimRequestEnd},
    {'S', 3, 0},
    {'a', 4, kSimRequestEnd},
    {'x', 4, kSimRequestEnd},
    {'b', 4, kSimRequestEnd},
    {'B', 102, kSimRequestEnd},
    {'W', 12, kSimRequestEnd},
    {'V', 4, kSimRequestEnd},
    {'v', 4, kSimRequestEnd},
}};

// The layout of request letter, or nullptr for a letter no controller knows.
inline const SimRequestLayout* FindSimRequest(unsigned char letter) {
    for (const SimRequestLayout& layout : kSimRequests) {
        if (static_cast<unsigned char>(layout.letter) == letter) {
            return &layout;
        }
    }
    return nullptr;
}
