#pragma once
// The Telnet layer of a network serial port: the command bytes, the encoder that escapes
// data and builds option commands, and the decoder that separates the data from the
// commands in what the server sends, however the stream is split into reads.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "serial/TelnetPayload.h"

namespace telnet {

constexpr unsigned char kIac = 255;  // interpret as command; doubled when it is data
constexpr unsigned char kDont = 254;
constexpr unsigned char kDo = 253;
constexpr unsigned char kWont = 252;
constexpr unsigned char kWill = 251;
constexpr unsigned char kSb = 250;  // subnegotiation begins
constexpr unsigned char kSe = 240;  // subnegotiation ends

constexpr unsigned char kBinary = 0;
constexpr unsigned char kSuppressGoAhead = 3;
constexpr unsigned char kComPortOption = 44;

// Appends count data bytes to out, each IAC doubled.
void AppendData(std::vector<unsigned char>& out, const unsigned char* data, unsigned count);
// Appends IAC verb option (verb: kWill, kWont, kDo, kDont).
void AppendOption(std::vector<unsigned char>& out, unsigned char verb, unsigned char option);
// Appends IAC SB option payload IAC SE, IACs in the payload doubled.
void AppendSubnegotiation(std::vector<unsigned char>& out, unsigned char option,
                          const std::vector<unsigned char>& payload);

}  // namespace telnet

// A command the server sent: an option verb (kWill, kWont, kDo, kDont) with its option,
// or a subnegotiation (verb kSb) with its option and payload.
struct CTelnetCommand {
    unsigned char verb = 0;
    unsigned char option = 0;
    CTelnetPayload payload;

    bool operator==(const CTelnetCommand&) const = default;
};

class CTelnetDecoder {
public:
    // A subnegotiation longer than this is dropped up to its end, so a server cannot grow
    // it for ever.
    static constexpr size_t kMaxPayload = CTelnetPayload::kMaxPayload;

    // Appends the data bytes among count received bytes to data, and the commands they
    // complete, in the order they came, to commands. A command split across calls is
    // completed by a later one.
    void Feed(const unsigned char* bytes, unsigned count, std::vector<unsigned char>& data,
              std::vector<CTelnetCommand>& commands);
    // The subnegotiations dropped as too long since the last call.
    unsigned TakeDropped() { return std::exchange(dropped, 0u); }

private:
    enum class State { kData, kCommand, kOption, kSubOption, kSubData, kSubIac };

    // Moves on past the IAC that ends a run, to the state command, unless the run ends at
    // end, the end of this read.
    const unsigned char* After(const unsigned char* iac, const unsigned char* end, State command);
    // The next byte of a command, in any state but kData and kSubData; the bytes of this
    // read from rest to end are still to come.
    void TakeCommandByte(unsigned char byte, const unsigned char* rest, const unsigned char* end,
                         std::vector<unsigned char>& data, std::vector<CTelnetCommand>& commands);
    // Appends the pending command to commands, the bytes of this read from rest to end
    // still to come.
    void Complete(const unsigned char* rest, const unsigned char* end,
                  std::vector<CTelnetCommand>& commands);
    // Starts the pending command anew.
    void Begin(unsigned char verb);
    // Adds the payload bytes [from, to) as far as kMaxPayload allows.
    void KeepPayload(const unsigned char* from, const unsigned char* to);

    State state = State::kData;
    bool overlong = false;  // the subnegotiation under way passed kMaxPayload
    unsigned dropped = 0;
    CTelnetCommand pending;
};
