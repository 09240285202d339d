// What a device server sends, as it comes from the network: the first byte picks where the
// stream is split between two reads, the rest is the stream. Decoded whole and decoded in
// two pieces it gives the same data and commands; the data, escaped again and decoded,
// comes back unchanged and without commands.

#include <vector>

#include "FuzzTarget.h"
#include "serial/Telnet.h"

namespace {

struct Decoded {
    std::vector<unsigned char> data;
    std::vector<CTelnetCommand> commands;
};

Decoded Decode(const unsigned char* stream, unsigned size, unsigned split) {
    CTelnetDecoder decoder;
    Decoded out;
    out.data.reserve(size);
    decoder.Feed(stream, split, out.data);
    decoder.Feed(stream + split, size - split, out.data);
    out.commands = decoder.TakeCommands();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const unsigned char* stream = data + 1;
    const auto length = static_cast<unsigned>(size - 1);
    const unsigned split = length == 0 ? 0 : data[0] % (length + 1);
    const Decoded whole = Decode(stream, length, 0);
    const Decoded pieces = Decode(stream, length, split);
    Require(whole.data == pieces.data, "a split between reads changes no data byte");
    Require(whole.commands == pieces.commands, "a split between reads changes no command");
    Require(whole.data.size() <= length, "no data byte comes from nothing");
    for (const CTelnetCommand& command : whole.commands) {
        Require(command.verb == telnet::kSb || command.payload.empty(),
                "only a subnegotiation has a payload");
    }

    std::vector<unsigned char> escaped;
    escaped.reserve(2 * whole.data.size());
    telnet::AppendData(escaped, whole.data.data(), static_cast<unsigned>(whole.data.size()));
    const Decoded again = Decode(escaped.data(), static_cast<unsigned>(escaped.size()), 0);
    Require(again.data == whole.data, "escaped data decodes to itself");
    Require(again.commands.empty(), "escaped data holds no command");
    return 0;
}
