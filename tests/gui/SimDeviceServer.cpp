#include "SimDeviceServer.h"

#include <algorithm>

namespace {

constexpr unsigned char kSetBaudRate = 1;
constexpr unsigned char kServerAnswer = 100;

}  // namespace

CSimDeviceServer::CSimDeviceServer(CSimLine& line, CVirtualClock& clock, long baud, char parity,
                                   std::shared_ptr<const ServerFault> fault)
    : port(line, clock, baud, parity), clock(clock), fault(std::move(fault)), lineBaud(baud) {
    telnet::AppendOption(toClient, telnet::kDo, telnet::kComPortOption);
}

SocketResult CSimDeviceServer::Send(const unsigned char* data, unsigned count, unsigned* sent,
                                    int) {
    *sent = 0;
    if (*fault == ServerFault::kDropped || *fault == ServerFault::kReset) {
        return SocketResult::kClosed;
    }
    std::vector<unsigned char> bytes;
    std::vector<CTelnetCommand> commands;
    decoder.Feed(data, count, bytes, commands);
    for (const CTelnetCommand& command : commands) {
        Answer(command);
    }
    if (!bytes.empty()) {
        port.WriteBytes(bytes.data(), static_cast<unsigned>(bytes.size()));
    }
    *sent = count;
    return SocketResult::kDone;
}

SocketResult CSimDeviceServer::Receive(unsigned char* buffer, unsigned count, unsigned* got,
                                       int waitMs) {
    *got = 0;
    switch (*fault) {
        case ServerFault::kDropped:
            return SocketResult::kClosed;
        case ServerFault::kReset:
            clock.Advance(static_cast<uint32_t>(waitMs));
            return SocketResult::kTimeout;
        case ServerFault::kFlooding:
            std::fill_n(buffer, count, telnet::kIac);
            *got = count & ~1u;
            clock.Advance(1);
            return SocketResult::kDone;
        default:
            break;
    }
    // The line's bytes as they come, a millisecond at a time, until some came.
    const uint64_t until = clock.Now() + static_cast<uint64_t>(waitMs);
    do {
        unsigned char line[256];
        port.readWaitMs = waitMs > 0 ? 1 : 0;
        port.ReadBytes(line, std::clamp<unsigned>(count / 2, 1, sizeof line));
        telnet::AppendData(toClient, line, static_cast<unsigned>(port.ByteCount()));
    } while (toClient.empty() && clock.Now() < until);
    if (toClient.empty()) {
        return SocketResult::kTimeout;
    }
    *got = std::min<unsigned>(count, static_cast<unsigned>(toClient.size()));
    std::copy_n(toClient.begin(), *got, buffer);
    toClient.erase(toClient.begin(), toClient.begin() + *got);
    return SocketResult::kDone;
}

void CSimDeviceServer::Answer(const CTelnetCommand& command) {
    if (command.verb != telnet::kSb || command.option != telnet::kComPortOption ||
        command.payload.empty()) {
        return;
    }
    std::vector<unsigned char> answer(command.payload.begin(), command.payload.end());
    answer[0] = static_cast<unsigned char>(answer[0] + kServerAnswer);
    if (command.payload[0] == kSetBaudRate && command.payload.size() == 5) {
        long asked = 0;
        for (size_t i = 1; i < 5; ++i) {
            asked = asked << 8 | command.payload[i];
        }
        if (asked != 0 && *fault != ServerFault::kKeepsRate &&
            port.Configure(asked, -1, -1, -1) == 0) {
            lineBaud = asked;
        }
        for (size_t i = 1; i < 5; ++i) {
            answer[i] = static_cast<unsigned char>(lineBaud >> (8 * (4 - i)));
        }
    }
    telnet::AppendSubnegotiation(toClient, telnet::kComPortOption, answer);
}
