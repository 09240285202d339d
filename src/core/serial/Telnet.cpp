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
                          std::vector<unsigned char>& data, std::vector<CTelnetCommand>& commands) {
    const unsigned char* const end = bytes + count;
    while (bytes < end) {
        // Data and payload runs up to the next IAC are taken whole, commands a byte at a time.
        switch (state) {
            case State::kData: {
                const unsigned char* const iac = FindIac(bytes, end);
                data.insert(data.end(), bytes, iac);
                bytes = After(iac, end, State::kCommand);
                break;
            }
            case State::kSubData: {
                const unsigned char* const iac = FindIac(bytes, end);
                KeepPayload(bytes, iac);
                bytes = After(iac, end, State::kSubIac);
                break;
            }
            default:
                TakeCommandByte(*bytes, bytes + 1, end, data, commands);
                ++bytes;
                break;
        }
    }
}

const unsigned char* CTelnetDecoder::After(const unsigned char* iac, const unsigned char* end,
                                           State command) {
    if (iac == end) {
        return end;
    }
    state = command;
    return iac + 1;
}

void CTelnetDecoder::TakeCommandByte(unsigned char byte, const unsigned char* rest,
                                     const unsigned char* end, std::vector<unsigned char>& data,
                                     std::vector<CTelnetCommand>& commands) {
    switch (state) {
        case State::kData:
        case State::kSubData:
            break;  // Feed takes their runs itself
        case State::kCommand:
            state = State::kData;
            switch (byte) {
                case kIac:
                    data.push_back(kIac);
                    break;
                case kWill:
                case kWont:
                case kDo:
                case kDont:
                    Begin(byte);
                    state = State::kOption;
                    break;
                case kSb:
                    Begin(kSb);
                    overlong = false;
                    state = State::kSubOption;
                    break;
                default:
                    break;  // NOP, go-ahead and the like carry nothing for us
            }
            break;
        case State::kOption:
            pending.option = byte;
            Complete(rest, end, commands);
            state = State::kData;
            break;
        case State::kSubOption:
            pending.option = byte;
            state = State::kSubData;
            break;
        case State::kSubIac:
            if (byte == kIac) {
                KeepPayload(&kIac, &kIac + 1);  // not &byte: its address would cost a stack frame
                state = State::kSubData;
            } else {
                // IAC SE ends it; any other command inside a subnegotiation ends it too,
                // rather than swallowing the data that follows.
                if (!overlong) {
                    Complete(rest, end, commands);
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

void CTelnetDecoder::Complete(const unsigned char* rest, const unsigned char* end,
                              std::vector<CTelnetCommand>& commands) {
    if (commands.size() == commands.capacity()) {
        // Each further command of this read takes one of its IACs: room for all of them.
        commands.reserve(commands.size() + 1 + static_cast<size_t>(std::count(rest, end, kIac)));
    }
    commands.push_back(pending);
}

void CTelnetDecoder::KeepPayload(const unsigned char* from, const unsigned char* to) {
    if (!pending.payload.Append(from, to) && !overlong) {
        overlong = true;
        ++dropped;
    }
}
