#pragma once
// CSimController: one simulated controller on the line. It hears the bytes sent at its
// own rate and parity, gathers them into frames, acts on the well-formed frames that
// carry its ID (or the broadcast ID, for suspend and resume) and builds its replies
// byte for byte. Its ID, rate and parity are those of its PSF, so a PSF it accepts
// moves it. Tests read and set its state directly.

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "FrameAssembler.h"
#include "SimFault.h"
#include "SimWire.h"
#include "records/BlankingMap.h"
#include "records/Psf.h"

// What a controller sends back for one frame, and how.
struct SimReply {
    std::vector<unsigned char> bytes;
    SimLineFormat format;  // the settings it answers with (those it heard the frame at)
    uint64_t delayUs = 0;  // added to the end of the frame before the reply starts
};

// A frame that reached the controller, addressed to it, with the time its last byte came.
struct SimReceivedFrame {
    std::vector<unsigned char> bytes;
    uint64_t atUs;
};

enum SimSide : int { kEmitter = 0, kReceiver = 1 };

constexpr int kSimMaxBoards = 12;
constexpr int kSimChannelsPerBoard = 64;

class CSimController {
public:
    // A controller answering as id ('A'..'O') at the rate of baudIndex (0..3: 9600,
    // 19200, 38400, 57600) and parity parityIndex (0 None, 1 Odd, 2 Even), with one
    // emitter and one receiver board, nothing blocked, blanked or in error.
    CSimController(char id, int baudIndex, int parityIndex);

    char Id() const { return static_cast<char>(psf.GetControllerId()); }
    int BaudIndex() const { return psf.GetBaudIndex(); }
    int ParityIndex() const { return psf.GetParityIndex(); }
    SimLineFormat Format() const;

    // One byte that reached the controller at atUs, sent with format. True when it
    // completed a frame that the controller answers; reply then holds the answer.
    bool Hear(unsigned char byte, const SimLineFormat& format, uint64_t atUs, SimReply& reply);

    CPsf& Psf() { return psf; }
    const CPsf& Psf() const { return psf; }
    CBlankingMap& BlankingMap() { return blanking; }
    const CBlankingMap& BlankingMap() const { return blanking; }

    // Board counts, 0..12 each; the channels (64 per emitter board) start all made and
    // none blanked. False, with nothing changed, for a count out of range.
    bool SetBoards(int emitterBoards, int receiverBoards);
    int Boards(SimSide side) const { return boards[side]; }
    int Channels() const { return boards[kEmitter] * kSimChannelsPerBoard; }
    // Marks channel (1..64) of board (1..12) of side in error or not.
    void SetChannelError(SimSide side, int board, int channel, bool error = true);

    uint32_t PartNumber() const { return partNumber; }
    uint16_t DateCode() const { return dateCode; }
    void SetPartNumber(uint32_t part, uint16_t date) {
        partNumber = part;
        dateCode = date;
    }
    unsigned char Version() const { return version; }
    void SetVersion(unsigned char value) { version = value; }

    // The beams: a blocked channel (0-based) shows in scans and measurements unless
    // it is blanked. Channels outside the controller are ignored.
    void SetBlocked(int channel, bool blocked = true);
    void SetAllBlocked(bool blocked);
    bool IsBlocked(int channel) const;

    bool IsSuspended() const { return suspended; }
    bool InAlignmentMode() const { return alignmentMode; }
    bool InNullSpanAdjustment() const { return adjusting; }
    // Null #1, span #1, null #2, span #2 as the analog outputs now use them.
    const std::array<int, 4>& LiveNullSpan() const { return liveNullSpan; }

    void AddFault(const SimFault& fault) { faults.Add(fault); }
    void ClearFaults() { faults.Clear(); }
    const CSimFaults& Faults() const { return faults; }

    // Every well-formed frame addressed to the controller, in order, including those
    // it ignored for a bad end byte, a bad checksum or a silence fault.
    const std::vector<SimReceivedFrame>& Received() const { return received; }
    // Drops the frames that came before beforeUs from that record.
    void ForgetReceived(uint64_t beforeUs);
    // Bytes heard at the controller's rate and parity that belonged to no frame: a byte
    // too many after a frame, noise, a frame cut short.
    unsigned StrayBytes() const { return assembler.StrayBytes(); }

    // Called with every frame addressed to the controller as it comes, before the
    // controller acts on it: a test can arm a fault for exactly that frame.
    using FrameWatcher = std::function<void(CSimController&, const std::vector<unsigned char>&)>;
    void WatchFrames(FrameWatcher watcher) { frameWatcher = std::move(watcher); }

private:
    using Bytes = std::vector<unsigned char>;

    // Builds the answer to a frame addressed to this controller; empty for silence.
    void Answer(const Bytes& frame, Bytes& reply);
    void StartReply(Bytes& reply, char letter) const;
    void AnswerPsf(const Bytes& frame, Bytes& reply);
    void AnswerDiagnostics(SimSide side, Bytes& reply) const;
    void AnswerScan(Bytes& reply) const;
    void AnswerPartNumber(const Bytes& frame, Bytes& reply);
    void AnswerNullSpan(char command, const Bytes& frame, Bytes& reply);
    void LoadNullSpan();

    CPsf psf;
    CBlankingMap blanking;
    std::array<int, 2> boards{};
    std::array<std::array<std::array<unsigned char, 8>, kSimMaxBoards>, 2> channelErrors{};
    uint32_t partNumber = 0;
    uint16_t dateCode = 0;
    unsigned char version = 0x21;
    std::vector<bool> blocked;
    bool suspended = false;
    bool alignmentMode = false;
    bool adjusting = false;
    std::array<int, 4> liveNullSpan{};
    CSimFaults faults;
    CFrameAssembler assembler;
    std::vector<SimReceivedFrame> received;
    FrameWatcher frameWatcher;
};
