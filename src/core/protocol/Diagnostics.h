#pragma once
// CDiagnostics: one diagnostics reply of the emitter or the receiver, decoded. The
// reply is 0x1C, ID, 'i' or 'j', part number (4 bytes), date code (2), version (1),
// board count n, one 8-byte error bitmap per board, LF: 12 + 8n bytes. A pair of
// records (emitter, receiver) gives the system state.

#include <array>
#include <cstdint>
#include <string>

constexpr int kMaxBoards = 12;
constexpr int kChannelsPerBoard = 64;
constexpr unsigned kDiagnosticsHeaderSize = 11;  // bytes before the first bitmap
constexpr unsigned kMinDiagnosticsReply = kDiagnosticsHeaderSize + 1;
constexpr unsigned kMaxDiagnosticsReply = kMinDiagnosticsReply + 8 * kMaxBoards;
constexpr int kEmitterSide = 0;
constexpr int kReceiverSide = 1;
constexpr int kStateNotRead = 255;

class CDiagnostics {
public:
    // Fills the record from the first receivedCount bytes at reply and answers 1, or
    // answers 0 with state kStateNotRead (other fields kept) when they are not a
    // diagnostics reply. A reply whose board count needs more bytes than arrived, or
    // announces more than 12 boards, is refused.
    int Decode(const unsigned char* reply, int receivedCount);

    // The error text of board k (1..12): "No Errors", "Error: Channel %d" or "Unknown Error".
    const std::string& ChannelText(int board);
    // Called on the emitter record with the receiver's: the text of the system state.
    const std::string& StateText(const CDiagnostics& receiver);

    int Side() const { return side; }
    int State() const { return state; }
    uint32_t PartNumber() const { return partNumber; }
    uint16_t DateCode() const { return dateCode; }
    int Version() const { return version; }
    int BoardCount() const { return boardCount; }
    // The first channel in error (1..64) of board k (1..12), 0 when none.
    int BoardError(int board) const;

    // The texts the diagnostics view shows: "%lu", "%04d" and "%d.%d" (major.minor).
    std::string PartNumberText() const;
    std::string DateCodeText() const;
    std::string VersionText() const;

private:
    int side = 2;  // 0 emitter, 1 receiver, 2 before the first decode
    int state = kStateNotRead;
    uint32_t partNumber = 0;
    uint16_t dateCode = 0;
    int version = 0;
    int boardCount = 0;
    std::array<int, kMaxBoards> boardError{};
    std::string channelText;
    std::string stateText;
};
