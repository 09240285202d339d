#include "SimController.h"

#include "BeamMeasures.h"
#include "protocol/Checksum16.h"

namespace {

constexpr char kAcknowledge = 'K';
constexpr unsigned kPayloadOffset = 3;
constexpr unsigned kPsfReplyChecksumAt = kPayloadOffset + kPsfChecksumOffset;
constexpr unsigned kBlankingReplyChecksumAt = kPayloadOffset + kBlockMapBytes;
constexpr unsigned kPartNumberPayload = 6;

// Where the checksum of a reply lies (its high byte), or 0 for a reply without one.
unsigned ChecksumOffset(const std::vector<unsigned char>& reply) {
    if (reply.size() <= 2) {
        return 0;
    }
    switch (reply[2]) {
        case 'H':
            return kPsfReplyChecksumAt;
        case 'd':
            return kBlankingReplyChecksumAt;
        default:
            return 0;
    }
}

void PutValue16(std::vector<unsigned char>& out, int value) {
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
    out.push_back(static_cast<unsigned char>(value & 0xFF));
}

// A PSF that a controller can run with: an ID it can answer to and settings its
// line can take. Anything else would leave the controller unreachable.
bool UsablePsf(const CPsf& psf) {
    const int id = psf.GetControllerId();
    return id >= 'A' && id <= 'O' &&
           psf.GetBaudIndex() < static_cast<int>(kControllerBaudRates.size()) &&
           psf.GetParityIndex() < static_cast<int>(kControllerParities.size());
}

}  // namespace

CSimController::CSimController(char id, int baudIndex, int parityIndex) {
    psf.SetControllerId(id);
    psf.SetBaudIndex(baudIndex);
    psf.SetParityIndex(parityIndex);
    SetBoards(1, 1);
    LoadNullSpan();
}

SimLineFormat CSimController::Format() const {
    const auto baud = static_cast<size_t>(BaudIndex());
    const auto parity = static_cast<size_t>(ParityIndex());
    return {baud < kControllerBaudRates.size() ? kControllerBaudRates[baud] : 0,
            parity < kControllerParities.size() ? kControllerParities[parity] : '-'};
}

bool CSimController::Hear(unsigned char byte, const SimLineFormat& format, uint64_t atUs,
                          SimReply& reply) {
    if (!format.Matches(Format())) {
        assembler.Garble();
        return false;
    }
    if (!assembler.Take(byte, atUs)) {
        return false;
    }
    const Bytes& frame = assembler.Frame();
    const char id = static_cast<char>(frame[1]);
    const char letter = static_cast<char>(frame[2]);
    const bool broadcast = id == kSimBroadcastId && (letter == 'V' || letter == 'v');
    if (id != Id() && !broadcast) {
        return false;
    }
    received.push_back({frame, atUs});
    if (frameWatcher) {
        frameWatcher(*this, frame);
    }
    if (faults.TakeSilence()) {
        return false;
    }
    const SimRequestLayout* layout = FindSimRequest(frame[2]);
    if (layout->end != 0 && frame.back() != layout->end) {
        return false;
    }
    // The answer goes out with the settings the frame came with, even when the frame
    // (a new PSF) changes them.
    reply.format = Format();
    reply.bytes.clear();
    Answer(frame, reply.bytes);
    if (reply.bytes.empty()) {
        return false;
    }
    reply.delayUs = faults.Apply(reply.bytes, ChecksumOffset(reply.bytes));
    return true;
}

void CSimController::ForgetReceived(uint64_t beforeUs) {
    std::erase_if(received,
                  [beforeUs](const SimReceivedFrame& frame) { return frame.atUs < beforeUs; });
}

bool CSimController::SetBoards(int emitterBoards, int receiverBoards) {
    if (emitterBoards < 0 || emitterBoards > kSimMaxBoards || receiverBoards < 0 ||
        receiverBoards > kSimMaxBoards) {
        return false;
    }
    boards = {emitterBoards, receiverBoards};
    blanking = CBlankingMap(Channels());
    blocked.assign(static_cast<size_t>(Channels()), false);
    return true;
}

void CSimController::SetChannelError(SimSide side, int board, int channel, bool error) {
    if (board < 1 || board > kSimMaxBoards || channel < 1 || channel > kSimChannelsPerBoard) {
        return;
    }
    unsigned char& bits = channelErrors[side][board - 1][(channel - 1) / 8];
    const auto mask = static_cast<unsigned char>(0x80 >> ((channel - 1) % 8));
    bits = error ? (bits | mask) : (bits & ~mask);
}

void CSimController::SetBlocked(int channel, bool state) {
    if (channel >= 0 && channel < Channels()) {
        blocked[static_cast<size_t>(channel)] = state;
    }
}

void CSimController::SetAllBlocked(bool state) {
    blocked.assign(blocked.size(), state);
}

bool CSimController::IsBlocked(int channel) const {
    return channel >= 0 && channel < Channels() && blocked[static_cast<size_t>(channel)];
}

void CSimController::StartReply(Bytes& reply, char letter) const {
    reply = {kSimReplyStart, static_cast<unsigned char>(Id()), static_cast<unsigned char>(letter)};
}

void CSimController::Answer(const Bytes& frame, Bytes& reply) {
    const char letter = static_cast<char>(frame[2]);
    switch (letter) {
        case 'P':
            StartReply(reply, 'X');
            break;
        case 'G':
            psf.Pack();
            StartReply(reply, 'H');
            reply.insert(reply.end(), psf.Image(), psf.Image() + kPsfImageSize);
            break;
        case 'C':
            AnswerPsf(frame, reply);
            return;
        case 'A':
        case 'n':
        case 's':
        case 'E':
        case 'Q':
            AnswerNullSpan(letter, frame, reply);
            return;
        case 'I':
            AnswerDiagnostics(kEmitter, reply);
            break;
        case 'J':
            AnswerDiagnostics(kReceiver, reply);
            break;
        case 'S':
            AnswerScan(reply);
            break;
        case 'a':
        case 'x':
            alignmentMode = letter == 'a';
            StartReply(reply, kAcknowledge);
            break;
        case 'b':
            StartReply(reply, 'd');
            reply.resize(reply.size() + kBlankingBlockSize);
            blanking.WriteBlock(reply.data() + kPayloadOffset);
            break;
        case 'B':
            if (!blanking.ReadBlock(frame.data() + kPayloadOffset)) {
                return;
            }
            StartReply(reply, kAcknowledge);
            break;
        case 'W':
            AnswerPartNumber(frame, reply);
            return;
        case 'V':
        case 'v':
            suspended = letter == 'V';
            return;
        default:
            return;
    }
    reply.push_back(kSimReplyEnd);
}

void CSimController::AnswerPsf(const Bytes& frame, Bytes& reply) {
    CPsf offered;
    if (!offered.Unpack(frame.data() + kPayloadOffset) || !UsablePsf(offered)) {
        return;
    }
    StartReply(reply, kAcknowledge);
    reply.push_back(kSimReplyEnd);
    psf = offered;
    LoadNullSpan();
}

void CSimController::AnswerNullSpan(char command, const Bytes& frame, Bytes& reply) {
    switch (command) {
        case 'A':
            LoadNullSpan();
            adjusting = true;
            StartReply(reply, 'N');
            for (int value : liveNullSpan) {
                PutValue16(reply, value);
            }
            break;
        case 'n':
        case 's': {
            // The nulls are values 0 and 2, the spans 1 and 3.
            const size_t first = command == 'n' ? 0 : 1;
            liveNullSpan[first] = GetBigEndian16(frame.data() + kPayloadOffset);
            liveNullSpan[first + 2] = GetBigEndian16(frame.data() + kPayloadOffset + 2);
            StartReply(reply, kAcknowledge);
            break;
        }
        case 'E':
            for (int output = 1; output <= 2; ++output) {
                psf.SetAnalogNull(output, liveNullSpan[2 * (output - 1)]);
                psf.SetAnalogSpan(output, liveNullSpan[2 * (output - 1) + 1]);
            }
            adjusting = false;
            StartReply(reply, kAcknowledge);
            break;
        default:  // 'Q'
            LoadNullSpan();
            adjusting = false;
            StartReply(reply, kAcknowledge);
            break;
    }
    reply.push_back(kSimReplyEnd);
}

void CSimController::LoadNullSpan() {
    liveNullSpan = {psf.GetAnalogNull(1), psf.GetAnalogSpan(1), psf.GetAnalogNull(2),
                    psf.GetAnalogSpan(2)};
}

void CSimController::AnswerDiagnostics(SimSide side, Bytes& reply) const {
    StartReply(reply, side == kEmitter ? 'i' : 'j');
    reply.resize(reply.size() + 4);
    PutBigEndian32(reply.data() + reply.size() - 4, partNumber);
    PutValue16(reply, dateCode);
    reply.push_back(version);
    reply.push_back(static_cast<unsigned char>(boards[side]));
    for (int board = 0; board < boards[side]; ++board) {
        const auto& bits = channelErrors[side][static_cast<size_t>(board)];
        reply.insert(reply.end(), bits.begin(), bits.end());
    }
}

void CSimController::AnswerScan(Bytes& reply) const {
    // A scan reply has no letter: its data follows the ID.
    reply = {kSimReplyStart, static_cast<unsigned char>(Id())};
    if (alignmentMode) {
        // One bit per channel, set = blocked; a blanked beam is never reported blocked.
        Bytes bitmap(static_cast<size_t>(Channels() / 8), 0);
        for (int channel = 0; channel < Channels(); ++channel) {
            if (IsBlocked(channel) && !blanking.IsBlanked(channel)) {
                bitmap[static_cast<size_t>(channel / 8)] |=
                    static_cast<unsigned char>(0x80 >> (channel % 8));
            }
        }
        reply.insert(reply.end(), bitmap.begin(), bitmap.end());
        return;
    }
    std::vector<SimBeam> beams;
    for (int channel = 0; channel < Channels(); ++channel) {
        if (!blanking.IsBlanked(channel)) {
            beams.push_back({channel, IsBlocked(channel)});
        }
    }
    const int first = psf.GetMeasMode(1);
    const int second = psf.GetMeasMode(2);
    // Both modes set: two values; otherwise the one that is set (0 when neither is).
    if (IsMeasureMode(first) && IsMeasureMode(second)) {
        PutValue16(reply, MeasureBeams(first, beams));
        PutValue16(reply, MeasureBeams(second, beams));
    } else {
        PutValue16(reply, MeasureBeams(IsMeasureMode(first) ? first : second, beams));
    }
}

void CSimController::AnswerPartNumber(const Bytes& frame, Bytes& reply) {
    const unsigned char* payload = frame.data() + kPayloadOffset;
    if (Checksum16(payload, kPartNumberPayload) != GetBigEndian16(payload + kPartNumberPayload)) {
        return;
    }
    partNumber = GetBigEndian32(payload);
    dateCode = GetBigEndian16(payload + 4);
    StartReply(reply, kAcknowledge);
    reply.push_back(kSimReplyEnd);
}
