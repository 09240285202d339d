#include "protocol/Diagnostics.h"

#include <cstdio>

#include "protocol/Checksum16.h"
#include "protocol/ControllerLink.h"

namespace {

constexpr unsigned kBoardCountOffset = 10;
constexpr unsigned kBitmapSize = kChannelsPerBoard / 8;
constexpr int kBoardMismatch = 16;

// The first set bit of a board's bitmap as a channel number from 1, 0 when none.
int FirstChannelInError(const unsigned char* bitmap) {
    for (unsigned byte = 0; byte < kBitmapSize; ++byte) {
        for (int bit = 7; bit >= 0; --bit) {
            if (bitmap[byte] & (1 << bit)) {
                return static_cast<int>(8 * byte) + (7 - bit) + 1;
            }
        }
    }
    return 0;
}

}  // namespace

int CDiagnostics::Decode(const unsigned char* reply, int receivedCount) {
    // Only bytes that arrived are looked at: the reply buffer may hold older bytes past them.
    const unsigned received = receivedCount > 0 ? static_cast<unsigned>(receivedCount) : 0;
    const unsigned boards = received > kBoardCountOffset ? reply[kBoardCountOffset] : 0;
    const unsigned end = kDiagnosticsHeaderSize + kBitmapSize * boards;
    if (received < end + 1 || boards > kMaxBoards || reply[0] != kReplyStart ||
        (reply[2] != 'i' && reply[2] != 'j') || reply[end] != kReplyEnd) {
        state = kStateNotRead;
        return 0;
    }
    state = 0;
    side = reply[2] == 'i' ? kEmitterSide : kReceiverSide;
    boardCount = static_cast<int>(boards);
    partNumber = GetBigEndian32(reply + 3);
    dateCode = GetBigEndian16(reply + 7);
    version = reply[9];
    boardError.fill(0);
    int errorSum = 0;
    for (unsigned k = 0; k < boards; ++k) {
        boardError[k] = FirstChannelInError(reply + kDiagnosticsHeaderSize + kBitmapSize * k);
        errorSum += boardError[k];
    }
    // A side without boards is in error as well.
    if (boards == 0 || errorSum != 0) {
        state |= side + 1;
    }
    return 1;
}

int CDiagnostics::BoardError(int board) const {
    return board >= 1 && board <= kMaxBoards ? boardError[board - 1] : 0;
}

const std::string& CDiagnostics::ChannelText(int board) {
    const int channel = board >= 1 && board <= kMaxBoards ? boardError[board - 1] : -1;
    if (channel == 0) {
        channelText = "No Errors";
    } else if (channel >= 1 && channel <= kChannelsPerBoard) {
        channelText = "Error: Channel " + std::to_string(channel);
    } else {
        channelText = "Unknown Error";
    }
    return channelText;
}

const std::string& CDiagnostics::StateText(const CDiagnostics& receiver) {
    static constexpr const char* kStateTexts[] = {"Operational", "Emitter Error(s)",
                                                  "Receiver Error(s)", "Emit/Rec Errors"};
    const int combined =
        boardCount != receiver.boardCount ? kBoardMismatch : state | receiver.state;
    if (combined >= 0 && combined <= 3) {
        stateText = kStateTexts[combined];
    } else if (combined >= kBoardMismatch && state <= 31) {
        stateText = "Emit/Rec Mismatch";
    } else {
        stateText = "Unknown Error(s)";
    }
    return stateText;
}

std::string CDiagnostics::PartNumberText() const {
    return std::to_string(partNumber);
}

std::string CDiagnostics::DateCodeText() const {
    char text[8];
    std::snprintf(text, sizeof text, "%04d", static_cast<int>(dateCode));
    return text;
}

std::string CDiagnostics::VersionText() const {
    return std::to_string(version >> 4) + "." + std::to_string(version & 0x0F);
}
