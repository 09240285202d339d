#include "serial/NetworkPort.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "serial/Clock.h"

using namespace telnet;

namespace {

// The COM port control commands the client sends; the server answers each with its
// code + 100 and the value it now uses.
constexpr unsigned char kSetBaudRate = 1;
constexpr unsigned char kSetDataSize = 2;
constexpr unsigned char kSetParity = 3;
constexpr unsigned char kSetStopSize = 4;
constexpr unsigned char kSetControl = 5;
constexpr unsigned char kPurgeData = 12;
constexpr unsigned char kServerAnswer = 100;

// SET-CONTROL values and PURGE-DATA buffers.
constexpr unsigned char kDtrOn = 8;
constexpr unsigned char kDtrOff = 9;
constexpr unsigned char kRtsOn = 11;
constexpr unsigned char kRtsOff = 12;
constexpr unsigned char kPurgeReceived = 1;
constexpr unsigned char kPurgeTransmit = 2;

// Parity letters in the order of their SET-PARITY values 1..5; 0 asks for the current one.
constexpr char kParityLetters[] = "NOEMS";

constexpr int kReadWaitMs = 5;  // a primitive read, as the operating system's port
constexpr int kWriteWaitMs = 200;
constexpr unsigned kChunk = 1024;
constexpr size_t kRefusalTextMax = 80;  // of a server's refusal, shown

constexpr const char* kNoAnswerFormat = "No answer from %s";
constexpr const char* kRefusedFormat = "Connection refused by %s";
constexpr const char* kUnknownHostFormat = "Host not found: %s";
constexpr const char* kLostFormat = "Connection to %s lost";
constexpr const char* kFloodFormat =
    "The connection to %s carries data nobody asked for and never falls quiet";

unsigned Bit(unsigned char command) {
    return 1u << command;
}

unsigned char ParityValue(char parity) {
    for (unsigned char i = 0; kParityLetters[i] != '\0'; ++i) {
        if (kParityLetters[i] == parity) {
            return static_cast<unsigned char>(i + 1);
        }
    }
    return 0;
}

std::string Rate(long baud) {
    return std::to_string(baud) + " baud";
}

bool Wanted(unsigned char option) {
    return option == kBinary || option == kSuppressGoAhead;
}

}  // namespace

CNetworkPort::CNetworkPort(int number, const CNetworkAddress& where, long baud, int parity,
                           int wordLength, int stopBits, int dtr, int rts, int xonXoff, int rtsCts,
                           int dtrDsr, std::unique_ptr<CSocket> connection)
    : address(where),
      socket(std::move(connection)),
      telnetMode(where.kind == CNetworkAddress::Kind::kRfc2217) {
    portNumber = number;
    status = 0;
    if (socket == nullptr) {
        SocketResult result = SocketResult::kNoAnswer;
        socket = ConnectTcp(address.host, address.port, kConnectWaitMs, &result);
        if (socket == nullptr) {
            status = result == SocketResult::kRefused ? Fail(kPortNotFound, kRefusedFormat)
                     : result == SocketResult::kUnknownHost
                         ? Fail(kPortNotFound, kUnknownHostFormat)
                         : Fail(kPortNotFound, kNoAnswerFormat);
            return;
        }
    }
    if (telnetMode) {
        status = Negotiate();
        if (status != 0) {
            return;
        }
    }
    current.Adjust(baud, parity, wordLength, stopBits, dtr, rts, xonXoff, rtsCts, dtrDsr);
    status = Configure(-1, -1, -1, -1);
    // A refused rate leaves the port at the server's rate; whoever needs a rate asks for
    // it and is told.
    if (status == kIllegalBaudRate) {
        status = 0;
    }
    if (status == kNoModemResponse) {
        status = Fail(kPortNotFound, kNoAnswerFormat);
    } else if (status == 0) {
        SetControl(current.dtr, current.rts);
    }
}

CNetworkPort::~CNetworkPort() = default;

int CNetworkPort::Fail(int code, const char* format) {
    const std::string where = address.HostAndPort();
    const int length = std::snprintf(nullptr, 0, format, where.c_str());
    statusDetail.assign(static_cast<size_t>(length), '\0');
    std::snprintf(statusDetail.data(), statusDetail.size() + 1, format, where.c_str());
    status = code;
    return code;
}

int CNetworkPort::FailFlooded() {
    socket.reset();
    return Fail(kDeviceGone, kFloodFormat);
}

int CNetworkPort::RateFailure(int code, const std::string& text) {
    rateCode = code;
    rateDetail = "The device server at " + address.HostAndPort() + " " + text;
    return code;
}

int CNetworkPort::Negotiate() {
    for (const unsigned char option : {kBinary, kSuppressGoAhead}) {
        AppendOption(pending, kWill, option);
        AppendOption(pending, kDo, option);
    }
    AppendOption(pending, kWill, kComPortOption);
    oursOn.set(kBinary).set(kSuppressGoAhead).set(kComPortOption);
    const int sent = SendPending();
    if (sent != 0) {
        return sent;
    }
    const uint32_t start = TickCount();
    while (comPortControl == -1 && status == 0 && TicksSince(start) < kAnswerWaitMs) {
        if (Pump(static_cast<int>(kAnswerWaitMs - TicksSince(start))) == SocketResult::kClosed) {
            return RefusedOrLost();
        }
    }
    if (status != 0) {
        return status;
    }
    return comPortControl == -1 ? Fail(kPortNotFound, kNoAnswerFormat) : 0;
}

// A server that will not serve (its port is in use, say) often says why in a line of
// text and closes the connection.
int CNetworkPort::RefusedOrLost() {
    std::string text;
    for (size_t i = inputStart; i < input.size() && text.size() < kRefusalTextMax; ++i) {
        const unsigned char byte = input[i];
        if (byte >= 0x20 && byte < 0x7f) {
            text += static_cast<char>(byte);
        } else if (!text.empty() && text.back() != ' ') {
            text += ' ';
        }
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    if (text.empty()) {
        return Fail(kDeviceGone, kLostFormat);
    }
    statusDetail =
        "The device server at " + address.HostAndPort() + " refused the connection: " + text;
    status = kPortInUse;
    return status;
}

int CNetworkPort::SendPending() {
    if (pending.empty()) {
        return 0;
    }
    unsigned sent = 0;
    const SocketResult result =
        socket->Send(pending.data(), static_cast<unsigned>(pending.size()), &sent, kWriteWaitMs);
    pending.erase(pending.begin(), pending.begin() + sent);
    if (result == SocketResult::kClosed) {
        return Fail(kDeviceGone, kLostFormat);
    }
    return pending.empty() ? 0 : kTimeout;
}

SocketResult CNetworkPort::Pump(int waitMs, unsigned* received) {
    unsigned char chunk[kChunk];
    unsigned got = 0;
    const SocketResult result = socket->Receive(chunk, kChunk, &got, waitMs);
    if (received != nullptr) {
        *received = got;
    }
    if (result != SocketResult::kDone) {
        return result;
    }
    if (!telnetMode) {
        input.insert(input.end(), chunk, chunk + got);
        LimitInput();
        return result;
    }
    std::vector<CTelnetCommand> commands;
    decoder.Feed(chunk, got, input, commands);
    LimitInput();
    inputLost = decoder.TakeDropped() > 0 || inputLost;
    for (const CTelnetCommand& command : commands) {
        Handle(command);
    }
    SendPending();
    return result;
}

void CNetworkPort::LimitInput() {
    if (input.size() - inputStart <= kInputLimit) {
        return;
    }
    input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(inputStart));
    input.resize(kInputLimit);
    inputStart = 0;
    inputLost = true;
}

void CNetworkPort::RefuseOnce(std::bitset<256>& refused, unsigned char verb, unsigned char option) {
    if (!refused.test(option)) {
        refused.set(option);
        AppendOption(pending, verb, option);
    }
}

// Agrees to what was offered, refuses everything else once, and answers only a change,
// so that two sides never echo each other's commands for ever and a server that repeats
// an offer cannot pile up answers it does not read.
void CNetworkPort::Handle(const CTelnetCommand& command) {
    const unsigned char option = command.option;
    switch (command.verb) {
        case kDo:
            if (!oursOn.test(option)) {
                RefuseOnce(refusedOurs, kWont, option);
            } else if (option == kComPortOption) {
                comPortControl = 1;
            }
            break;
        case kDont:
            if (option == kComPortOption) {
                comPortControl = 0;
            }
            oursOn.reset(option);
            break;
        case kWont:
            // Not the answer to our offer, but as plain a refusal of the line control.
            if (option == kComPortOption && comPortControl == -1) {
                comPortControl = 0;
                oursOn.reset(option);
            }
            break;
        case kWill:
            if (!Wanted(option)) {
                RefuseOnce(refusedTheirs, kDont, option);
            }
            break;
        case kSb:
            if (option == kComPortOption) {
                TakeAnswer(command.payload);
            }
            break;
        default:
            break;
    }
}

void CNetworkPort::TakeAnswer(const CTelnetPayload& payload) {
    if (payload.empty() || payload[0] <= kServerAnswer) {
        return;
    }
    const unsigned char command = static_cast<unsigned char>(payload[0] - kServerAnswer);
    if (command == kSetBaudRate && payload.size() == 5) {
        uint32_t rate = 0;
        for (size_t i = 1; i < payload.size(); ++i) {
            rate = (rate << 8) | payload[i];
        }
        reportedBaud = static_cast<long>(rate);
    }
    if (command >= kSetBaudRate && command <= kSetStopSize) {
        awaited &= ~Bit(command);
    }
}

void CNetworkPort::SendComPortCommand(unsigned char command, std::vector<unsigned char> value) {
    value.insert(value.begin(), command);
    AppendSubnegotiation(pending, kComPortOption, value);
}

int CNetworkPort::Configure(long baud, int parity, int wordLength, int stopBits) {
    if (status < 0) {
        return status;
    }
    const long before = current.baud;
    current.Adjust(baud, parity, wordLength, stopBits, -1, -1, -1, -1, -1);
    if (ControlsLine() == 0) {
        current.baud = address.fixedBaud;
        const char* why = telnetMode ? "refused the COM port control and keeps its line at "
                                     : "keeps its line at ";
        return baud > 0 && baud != address.fixedBaud
                   ? RateFailure(kIllegalBaudRate, why + Rate(address.fixedBaud) + "; " +
                                                       Rate(baud) + " cannot be set")
                   : 0;
    }
    // 0 asks the server for the value it uses.
    const unsigned long rate = current.baud > 0 ? static_cast<unsigned long>(current.baud) : 0;
    SendComPortCommand(
        kSetBaudRate,
        {static_cast<unsigned char>(rate >> 24), static_cast<unsigned char>(rate >> 16),
         static_cast<unsigned char>(rate >> 8), static_cast<unsigned char>(rate)});
    const int size = current.wordLength;
    SendComPortCommand(kSetDataSize,
                       {static_cast<unsigned char>(size >= 5 && size <= 8 ? size : 0)});
    SendComPortCommand(kSetParity, {ParityValue(current.parity)});
    // Stop-bit code 0 is one stop bit, 1 and 2 put two on the line.
    const int stop = current.stopBits;
    SendComPortCommand(kSetStopSize, {static_cast<unsigned char>(stop == 0                ? 1
                                                                 : stop == 1 || stop == 2 ? 2
                                                                                          : 0)});
    awaited = Bit(kSetBaudRate) | Bit(kSetDataSize) | Bit(kSetParity) | Bit(kSetStopSize);
    reportedBaud = -1;
    const int sent = SendPending();
    if (sent != 0) {
        return sent == kTimeout ? kNoModemResponse : sent;
    }
    const uint32_t start = TickCount();
    unsigned taken = 0;
    while (awaited != 0 && TicksSince(start) < kAnswerWaitMs) {
        unsigned received = 0;
        if (Pump(static_cast<int>(kAnswerWaitMs - TicksSince(start)), &received) ==
            SocketResult::kClosed) {
            return Fail(kDeviceGone, kLostFormat);
        }
        if (status < 0) {
            return status;
        }
        taken += received;
        if (taken >= kDiscardBytes) {
            return FailFlooded();
        }
    }
    const long asked = current.baud;
    if (awaited != 0) {
        current.baud = before;
        return RateFailure(kNoModemResponse, "did not confirm " + Rate(asked));
    }
    current.baud = reportedBaud;
    return asked > 0 && reportedBaud != asked
               ? RateFailure(kIllegalBaudRate,
                             "set its line to " + Rate(reportedBaud) + " instead of " + Rate(asked))
               : 0;
}

// A server that cannot drive the lines (a pseudo-terminal behind it) does not answer;
// nobody waits for the answer.
void CNetworkPort::SetControl(int dtr, int rts) {
    if (ControlsLine() == 0) {
        return;
    }
    if (rts == 0 || rts == 1) {
        SendComPortCommand(kSetControl, {rts == 1 ? kRtsOn : kRtsOff});
    }
    if (dtr == 0 || dtr == 1) {
        SendComPortCommand(kSetControl, {dtr == 1 ? kDtrOn : kDtrOff});
    }
    SendPending();
}

int CNetworkPort::ReadBytes(unsigned char* buffer, unsigned count) {
    byteCount = 0;
    if (status < 0) {
        return status;
    }
    const uint32_t start = TickCount();
    for (;;) {
        const size_t available = input.size() - inputStart;
        const unsigned take = static_cast<unsigned>(
            std::min<size_t>(available, static_cast<size_t>(count - byteCount)));
        std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(inputStart), take,
                    buffer + byteCount);
        byteCount += take;
        inputStart += take;
        if (inputStart == input.size()) {
            input.clear();
            inputStart = 0;
        }
        if (byteCount == count) {
            return 0;
        }
        const uint32_t elapsed = TicksSince(start);
        if (elapsed >= kReadWaitMs) {
            return kTimeout;
        }
        if (Pump(static_cast<int>(kReadWaitMs - elapsed)) == SocketResult::kClosed) {
            return Fail(kDeviceGone, kLostFormat);
        }
        if (status < 0) {
            return status;
        }
    }
}

int CNetworkPort::WriteBytes(const unsigned char* buffer, unsigned count) {
    byteCount = 0;
    if (status < 0) {
        return status;
    }
    const int before = SendPending();
    if (before != 0) {
        return before;
    }
    std::vector<unsigned char> encoded;
    if (telnetMode) {
        AppendData(encoded, buffer, count);
    } else {
        encoded.assign(buffer, buffer + count);
    }
    unsigned sent = 0;
    const SocketResult result =
        socket->Send(encoded.data(), static_cast<unsigned>(encoded.size()), &sent, kWriteWaitMs);
    if (result == SocketResult::kClosed) {
        return Fail(kDeviceGone, kLostFormat);
    }
    // A byte counts as written once its first encoded byte went; the second half of a
    // doubled IAC then goes before anything else.
    size_t position = 0;
    for (unsigned i = 0; i < count && position < sent; ++i) {
        const size_t length = telnetMode && buffer[i] == kIac ? 2 : 1;
        ++byteCount;
        if (position + length > sent) {
            pending.push_back(kIac);
        }
        position += length;
    }
    return byteCount < count ? kTimeout : 0;
}

int CNetworkPort::GetByte() {
    unsigned char byte = 0;
    const int result = ReadBytes(&byte, 1);
    return result == 0 ? byte : result;
}

int CNetworkPort::PutByte(int byte) {
    const auto value = static_cast<unsigned char>(byte);
    return WriteBytes(&value, 1);
}

int CNetworkPort::LineFlag(int) {
    return status < 0 ? status : 0;
}
int CNetworkPort::InputOverflowFlag(int clear) {
    if (status < 0) {
        return status;
    }
    const int lost = inputLost ? 1 : 0;
    if (clear != -1 && clear != 0) {
        inputLost = false;
    }
    return lost;
}
int CNetworkPort::ParityErrorFlag(int clear) {
    return LineFlag(clear);
}
int CNetworkPort::BreakFlag(int clear) {
    return LineFlag(clear);
}
int CNetworkPort::FramingErrorFlag(int clear) {
    return LineFlag(clear);
}
int CNetworkPort::OverrunFlag(int clear) {
    return LineFlag(clear);
}

int CNetworkPort::DiscardInput() {
    if (status < 0) {
        return status;
    }
    if (ControlsLine() != 0) {
        SendComPortCommand(kPurgeData, {kPurgeReceived});
        SendPending();
    }
    const uint32_t start = TickCount();
    unsigned taken = 0;
    SocketResult result = SocketResult::kDone;
    while (status == 0 && taken < kDiscardBytes && TicksSince(start) < kDiscardMs) {
        unsigned received = 0;
        result = Pump(0, &received);
        if (result != SocketResult::kDone) {
            break;
        }
        taken += received;
    }
    if (result == SocketResult::kClosed) {
        return Fail(kDeviceGone, kLostFormat);
    }
    input.clear();
    inputStart = 0;
    return status == 0 && taken >= kDiscardBytes ? FailFlooded() : status;
}

int CNetworkPort::DiscardOutput() {
    if (status < 0) {
        return status;
    }
    if (ControlsLine() != 0) {
        SendComPortCommand(kPurgeData, {kPurgeTransmit});
        return SendPending();
    }
    return 0;
}

const char* CNetworkPort::StatusText(int code) const {
    if (code == status && !statusDetail.empty()) {
        return statusDetail.c_str();
    }
    return code == rateCode ? rateDetail.c_str() : RS232::StatusText(code);
}
