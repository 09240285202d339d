#include "serial/Telnet.h"

#include <utility>

namespace telnet {

void AppendData(std::vector<unsigned char>& out, const unsigned char* data, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
        out.push_back(data[i]);
        if (data[i] == kIac) {
            out.push_back(kIac);
        }
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
    for (unsigned i = 0; i < count; ++i) {
        const unsigned char byte = bytes[i];
        switch (state) {
            case State::kData:
                if (byte == kIac) {
                    state = State::kCommand;
                } else {
                    data.push_back(byte);
                }
                break;
            case State::kCommand:
                if (byte == kIac) {
                    data.push_back(kIac);
                    state = State::kData;
                } else if (byte == kWill || byte == kWont || byte == kDo || byte == kDont) {
                    pending = CTelnetCommand{byte, 0, {}};
                    state = State::kOption;
                } else if (byte == kSb) {
                    pending = CTelnetCommand{kSb, 0, {}};
                    overlong = false;
                    state = State::kSubOption;
                } else {
                    state = State::kData;  // NOP, go-ahead and the like carry nothing for us
                }
                break;
            case State::kOption:
                pending.option = byte;
                commands.push_back(std::move(pending));
                state = State::kData;
                break;
            case State::kSubOption:
                pending.option = byte;
                state = State::kSubData;
                break;
            case State::kSubData:
                if (byte == kIac) {
                    state = State::kSubIac;
                } else {
                    KeepPayload(byte);
                }
                break;
            case State::kSubIac:
                if (byte == kIac) {
                    KeepPayload(kIac);
                    state = State::kSubData;
                } else {
                    // IAC SE ends it; any other command inside a subnegotiation ends it too,
                    // rather than swallowing the data that follows.
                    if (!overlong) {
                        commands.push_back(std::move(pending));
                    }
                    state = State::kData;
                }
                break;
        }
    }
}

void CTelnetDecoder::KeepPayload(unsigned char byte) {
    if (pending.payload.size() < kMaxPayload) {
        pending.payload.push_back(byte);
    } else if (!overlong) {
        overlong = true;
        ++dropped;
    }
}

std::vector<CTelnetCommand> CTelnetDecoder::TakeCommands() {
    return std::exchange(commands, {});
}
