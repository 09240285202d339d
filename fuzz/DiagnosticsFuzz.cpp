// Diagnostics replies as they come off the line: the whole input is the emitter's reply
// and its second half the receiver's, each in a buffer of its own exact size. Both are
// decoded and every text the diagnostics view shows is built from them.

#include <algorithm>
#include <memory>
#include <string>

#include "FuzzTarget.h"
#include "protocol/Diagnostics.h"

namespace {

void Decode(CDiagnostics& record, const uint8_t* data, size_t size) {
    const auto reply = std::make_unique<unsigned char[]>(size);
    std::copy(data, data + size, reply.get());
    const int answer = record.Decode(reply.get(), static_cast<int>(size));
    if (answer == 0) {
        Require(record.State() == kStateNotRead, "a refused reply leaves the state unread");
        return;
    }
    Require(answer == 1, "Decode answers 1 or 0");
    Require(size >= kDiagnosticsHeaderSize + 8u * record.BoardCount() + 1,
            "every board's bitmap arrived");
    Require(record.BoardCount() <= kMaxBoards, "at most twelve boards");
    Require(record.State() >= 0 && record.State() <= 2, "one side's state is 0, 1 or 2");
    Require(record.Side() == kEmitterSide || record.Side() == kReceiverSide, "a known side");
    for (int board = 0; board <= kMaxBoards + 1; ++board) {
        const int error = record.BoardError(board);
        Require(error >= 0 && error <= kChannelsPerBoard, "a board's error is a channel or 0");
        Require(board <= record.BoardCount() || error == 0, "boards past the count have no error");
        const std::string& text = record.ChannelText(board);
        Require(text == (error == 0 && board >= 1 && board <= kMaxBoards ? "No Errors"
                         : error > 0 ? "Error: Channel " + std::to_string(error)
                                     : "Unknown Error"),
                "the channel text names the board's error");
    }
    Require(record.DateCodeText().size() >= 4, "the date code shows four digits at least");
    Require(!record.PartNumberText().empty() && !record.VersionText().empty(), "texts shown");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CDiagnostics emitter;
    CDiagnostics receiver;
    Decode(emitter, data, size);
    Decode(receiver, data + size / 2, size - size / 2);
    static constexpr const char* kStateTexts[] = {"Operational",       "Emitter Error(s)",
                                                  "Receiver Error(s)", "Emit/Rec Errors",
                                                  "Emit/Rec Mismatch", "Unknown Error(s)"};
    for (CDiagnostics* record : {&emitter, &receiver}) {
        const std::string& text = record->StateText(record == &emitter ? receiver : emitter);
        Require(std::find(std::begin(kStateTexts), std::end(kStateTexts), text) !=
                    std::end(kStateTexts),
                "the state text is one of the system's");
    }
    return 0;
}
