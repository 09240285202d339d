#include "SimPort.h"

#include <algorithm>

namespace {
constexpr long kUnsetDeviceRate = 9600;
}

CSimPort::CSimPort(CSimLine& line, CVirtualClock& clock, long baud, char parity, int portNumber)
    : line(line), clock(clock), lineBaud(WritesBaudRate(baud) ? baud : kUnsetDeviceRate) {
    this->portNumber = portNumber;
    current.Adjust(baud, parity, 8, 1, 0, 1, 0, -1, -1);
    saved = current;
    status = 0;
}

void CSimPort::Receive(uint64_t t) {
    line.RunUntil(t);
    const SimLineErrors errors = line.TakeForHost(t, Format(), received);
    framingError |= errors.framing > 0 ? 1 : 0;
    parityError |= errors.parity > 0 ? 1 : 0;
}

int CSimPort::ReadBytes(unsigned char* buffer, unsigned count) {
    byteCount = 0;
    if (status < 0) {
        return status;
    }
    const uint64_t now = NowUs();
    Receive(now);
    if (received.size() < count) {
        const uint64_t deadline = now + static_cast<uint64_t>(readWaitMs) * 1000;
        line.RunUntil(deadline);
        const auto missing = static_cast<unsigned>(count - received.size());
        const uint64_t until = std::min(line.HostArrival(missing, deadline, Format()), deadline);
        AdvanceToUs(until);
        Receive(until);
    }
    byteCount = static_cast<unsigned>(std::min<size_t>(count, received.size()));
    std::copy_n(received.begin(), byteCount, buffer);
    received.erase(received.begin(), received.begin() + byteCount);
    return byteCount == count ? 0 : kTimeout;
}

int CSimPort::WriteBytes(const unsigned char* buffer, unsigned count) {
    byteCount = 0;
    if (status < 0) {
        return status;
    }
    const uint64_t now = NowUs();
    line.RunUntil(now);
    line.HostSend(now, buffer, count, Format());
    byteCount = count;
    return 0;
}

int CSimPort::GetByte() {
    unsigned char byte = 0;
    const int result = ReadBytes(&byte, 1);
    return result == 0 ? byte : result;
}

int CSimPort::PutByte(int byte) {
    const auto value = static_cast<unsigned char>(byte);
    return WriteBytes(&value, 1);
}

int CSimPort::Configure(long baud, int parity, int wordLength, int stopBits) {
    if (baud != -1 && baud <= 0) {
        return kIllegalBaudRate;
    }
    // What arrived under the old settings was read with them.
    Receive(NowUs());
    current.Adjust(baud, parity, wordLength, stopBits, -1, -1, -1, -1, -1);
    if (baud != -1 && WritesBaudRate(baud)) {
        lineBaud = baud;
    }
    return 0;
}

int CSimPort::DiscardInput() {
    if (status < 0) {
        return status;
    }
    Receive(NowUs());
    received.clear();
    return 0;
}

int CSimPort::DiscardOutput() {
    if (status < 0) {
        return status;
    }
    line.DiscardHostOutput(NowUs());
    return 0;
}

int CSimPort::Flag(int& flag, int clear) {
    const int value = flag;
    if (clear != -1 && clear != 0) {
        flag = 0;
    }
    return value;
}
