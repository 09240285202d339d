// The network port against servers in this process that flood it through a real loopback
// connection: every call ends within its own time, the process does not grow, and
// discarding the input finds the flood and says so.

#include <gtest/gtest.h>

#include <chrono>

#include "LoopbackServer.h"
#include "serial/NetworkPort.h"

namespace {

using Bytes = std::vector<unsigned char>;
using SteadyClock = std::chrono::steady_clock;

long MsSince(SteadyClock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

// The server asks for the COM port control, and once the client's offers (15 bytes) and
// settings (31 bytes) are in, answers 9600 baud, 8 data bits, even parity, two stop bits.
const Bytes kAskComPort = {0xff, 0xfd, 0x2c};
constexpr size_t kClientOpeningBytes = 46;
const Bytes kSettingsAnswers = {0xff, 0xfa, 0x2c, 0x65, 0x00, 0x00, 0x25, 0x80, 0xff, 0xf0, 0xff,
                                0xfa, 0x2c, 0x66, 0x08, 0xff, 0xf0, 0xff, 0xfa, 0x2c, 0x67, 0x03,
                                0xff, 0xf0, 0xff, 0xfa, 0x2c, 0x68, 0x02, 0xff, 0xf0};

constexpr int kFloodMs = 1000;
constexpr int kServerLimitMs = 4000;  // ends the flood of a port that would read for ever
constexpr long kCallLimitMs = 250;
constexpr long kGrowthLimit = 16L << 20;

TEST(NetworkFloodTest, EachCallEndsInTimeAndTheProcessDoesNotGrowUnderAFlood) {
    using Kind = CNetworkAddress::Kind;
    struct Flood {
        const char* name;
        Kind kind;
        Bytes start;
        Bytes pattern;
    };
    const Flood floods[] = {
        {"IAC NOP", Kind::kRfc2217, {}, {0xff, 0xf1}},
        {"data 0xFF as IAC IAC", Kind::kRfc2217, {}, {0xff, 0xff}},
        {"subnegotiation without end", Kind::kRfc2217, {0xff, 0xfa, 0x2c, 0x65}, {0x41}},
        {"data 0xFF from a raw server", Kind::kRawTcp, {}, {0xff}},
    };
    for (const Flood& flood : floods) {
        SCOPED_TRACE(flood.name);
        const bool raw = flood.kind == Kind::kRawTcp;
        Bytes answer = raw ? Bytes{} : kSettingsAnswers;
        answer.insert(answer.end(), flood.start.begin(), flood.start.end());
        const CLoopbackFlooder server(raw ? Bytes{} : kAskComPort, raw ? 0 : kClientOpeningBytes,
                                      answer, flood.pattern, kServerLimitMs);
        CNetworkPort port(1, {flood.kind, "127.0.0.1", server.Port()}, 9600, 'E', 8, 1, 0, 1, 0, 0,
                          0);
        ASSERT_EQ(0, port.Status()) << port.StatusText(port.Status());
        const long before = ResidentBytes();
        long longest = 0;
        const auto begin = SteadyClock::now();
        unsigned char buffer[16];
        while (MsSince(begin) < kFloodMs) {
            const auto call = SteadyClock::now();
            port.Read(buffer, sizeof buffer, 20);
            longest = std::max(longest, MsSince(call));
        }
        EXPECT_LT(longest, kCallLimitMs);
        EXPECT_EQ(0, port.Status());
        EXPECT_LT(ResidentBytes() - before, kGrowthLimit);

        const auto call = SteadyClock::now();
        EXPECT_EQ(kDeviceGone, port.DiscardInput());
        EXPECT_LT(MsSince(call), kCallLimitMs);
        EXPECT_EQ("The connection to 127.0.0.1:" + std::to_string(server.Port()) +
                      " carries data nobody asked for and never falls quiet",
                  port.StatusText(port.Status()));
    }
}

}  // namespace
