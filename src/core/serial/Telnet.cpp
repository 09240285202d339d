#include "serial/Telnet.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// The first IAC in [from, end), or end.
const unsigned char* FindIac(const unsigned char* from, const unsigned char* end) {
    const void* iac = std::memchr(from, telnet::kIac, static_cast<size_t>(end - from));
    return iac == nullptr ? end : static_cast<const unsigned char*>(iac);
}

}  // namespace

namespace telnet {

void AppendData(std::vector<unsigned char>& out, const unsigned char* data, unsigned count) {
    // Runs up to and including each IAC, which is then doubled.
    const unsigned char* const end = data + count;
    while (data < end) {
        const unsigned char* const iac = FindIac(data, end);
        const unsigned char* const next = iac == end ? end : iac + 1;
        out.insert(out.end(), data, next);
        if (iac != end) {
            out.push_back(kIac);
        }
        data = next;
    }
}

void AppendOption(std::vector<unsigned char>& out, unsigned char verb, unsigned char option) {
    out.insert(out.end(), {kIac, verb, option});
}

void AppendSubnegotiation(std::vector<unsigned char>& out, unsigned char option,
                          const std::vector<unsigned char>& payload) {
    out.insert(out.end(), {kIac, kSb, option});
    AppendData(out, payload.data(), static_cast<unsigned>(payload.size()));
    out.insert(out.end(), {kIac, kSe});
}

}  // namespace telnet

using namespace telnet;

void CTelnetDecoder::Feed(const unsigned char* bytes, unsigned count,
                          std::vector<unsigned char>& data) {
    const unsigned char* const end = bytes + count;
    while (bytes < end) {
        if (state == State::kData) {
            // Data runs up to the next IAC are taken whole.
            const unsigned char* const iac = FindIac(bytes, end);
            if (iac != bytes) {
                data.insert(data.end(), bytes, iac);
            }
            if (iac != end) {
                state = State::kCommand;
            }
            bytes = iac == end ? end : iac + 1;
        } else if (state == State::kSubData) {
            // So are payload runs.
            const unsigned char* const iac = FindIac(bytes, end);
            KeepPayload(bytes, iac);
            if (iac != end) {
                state = State::kSubIac;
            }
            bytes = iac == end ? end : iac + 1;
        } else {
            TakeCommandByte(bytes, end, data);
        }
    }
}

void CTelnetDecoder::TakeCommandByte(const unsigned char*& bytes, const unsigned char* end,
                                     std::vector<unsigned char>& data) {
    const unsigned char byte = *bytes++;
    switch (state) {
        case State::kData:
            break;  // Feed takes data bytes itself
        case State::kCommand:
            if (byte == kIac) {
                data.push_back(kIac);
                state = State::kData;
            } else if (byte == kWill || byte == kWont || byte == kDo || byte == kDont) {
                Begin(byte);
                state = State::kOption;
            } else if (byte == kSb) {
                Begin(kSb);
                overlong = false;
                state = State::kSubOption;
            } else {
                state = State::kData;  // NOP, go-ahead and the like carry nothing for us
            }
            break;
        case State::kOption:
            pending.option = byte;
            Complete(bytes, end);
            state = State::kData;
            break;
        case State::kSubOption:
            pending.option = byte;
            state = State::kSubData;
            break;
        case State::kSubData:
            break;  // Feed takes payload bytes itself
        case State::kSubIac:
            if (byte == kIac) {
                KeepPayload(&byte, &byte + 1);
                state = State::kSubData;
            } else {
                // IAC SE ends it; any other command inside a subnegotiation ends it too,
                // rather than swallowing the data that follows.
                if (!overlong) {
                    Complete(bytes, end);
                }
                state = State::kData;
            }
            break;
    }
}

void CTelnetDecoder::Begin(unsigned char verb) {
    pending.verb = verb;
    pending.option = 0;
    pending.payload.clear();
}

void CTelnetDecoder::Complete(const unsigned char* rest, const unsigned char* end) {
    if (commands.size() == commands.capacity()) {
        // Each further command of this read takes one of its IACs: room for all of them.
        commands.reserve(commands.size() + 1 + static_cast<size_t>(std::count(rest, end, kIac)));
    }
    commands.push_back(std::move(pending));
}

void CTelnetDecoder::KeepPayload(const unsigned char* from, const unsigned char* to) {
    const size_t room = kMaxPayload - pending.payload.size();
    const auto count = static_cast<size_t>(to - from);
    if (count > room && !overlong) {
        overlong = true;
        ++dropped;
    }
    pending.payload.insert(pending.payload.end(), from, from + std::min(count, room));
}

std::vector<CTelnetCommand> CTelnetDecoder::TakeCommands() {
    return std::exchange(commands, {});
}
