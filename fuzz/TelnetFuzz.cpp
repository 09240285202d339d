// What a device server sends, as it comes from the network: the first byte picks where the
// stream is split between two reads, the rest is the stream. Decoded whole and decoded in
// two pieces it gives the same data and commands; the data, escaped again and decoded,
// comes back unchanged and without commands.

#include <vector>

#include "FuzzTarget.h"
#include "serial/Telnet.h"

namespace {

// The buffers live across inputs, so that their room is kept and a run allocates nothing.
struct Decoded {
    std::vector<unsigned char> data;
    std::vector<CTelnetCommand> commands;
};

const Decoded& Decode(Decoded& out, const unsigned char* stream, unsigned size, unsigned split) {
    CTelnetDecoder decoder;
    out.data.clear();
    out.commands.clear();
    decoder.Feed(stream, split, out.data, out.commands);
    decoder.Feed(stream + split, size - split, out.data, out.commands);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    static Decoded wholeBuffers, piecesBuffers, againBuffers;
    static std::vector<unsigned char> escaped;
    const unsigned char* stream = data + 1;
    const auto length = static_cast<unsigned>(size - 1);
    const unsigned split = length == 0 ? 0 : data[0] % (length + 1);
    const Decoded& whole = Decode(wholeBuffers, stream, length, 0);
    const Decoded& pieces = Decode(piecesBuffers, stream, length, split);
    Require(whole.data == pieces.data, "a split between reads changes no data byte");
    Require(whole.commands == pieces.commands, "a split between reads changes no command");
    Require(whole.data.size() <= length, "no data byte comes from nothing");
    for (const CTelnetCommand& command : whole.commands) {
        Require(command.verb == telnet::kSb || command.payload.empty(),
                "only a subnegotiation has a payload");
    }

    escaped.clear();
    telnet::AppendData(escaped, whole.data.data(), static_cast<unsigned>(whole.data.size()));
    const Decoded& again =
        Decode(againBuffers, escaped.data(), static_cast<unsigned>(escaped.size()), 0);
    Require(again.data == whole.data, "escaped data decodes to itself");
    Require(again.commands.empty(), "escaped data holds no command");
    return 0;
}
