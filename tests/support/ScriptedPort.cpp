#include "ScriptedPort.h"

#include <algorithm>

CScriptedPort::CScriptedPort(CVirtualClock& clock, long baud, int portNumber) : clock(clock) {
    this->portNumber = portNumber;
    current.Adjust(baud, 'N', 8, 0, 0, 1, 0, -1, -1);
    saved = current;
    status = 0;
}

void CScriptedPort::Arrive(uint32_t at, const std::vector<unsigned char>& bytes) {
    const uint64_t when = clock.Now() + static_cast<int32_t>(at - clock.TickCount());
    for (unsigned char byte : bytes) {
        incoming.push_back({when, byte});
    }
    std::stable_sort(incoming.begin(), incoming.end(),
                     [](const Timed& a, const Timed& b) { return a.at < b.at; });
}

void CScriptedPort::ArriveIn(uint32_t delayMs, const std::vector<unsigned char>& bytes) {
    Arrive(clock.TickCount() + delayMs, bytes);
}

void CScriptedPort::ScriptWrites(std::vector<WriteStep> steps) {
    writeSteps.assign(steps.begin(), steps.end());
}

int CScriptedPort::ReadBytes(unsigned char* buffer, unsigned count) {
    byteCount = 0;
    if (status < 0) {
        return status;
    }
    const uint64_t start = clock.Now();
    const uint64_t deadline = start + readWaitMs;
    uint64_t lastArrival = start;
    while (byteCount < count && !incoming.empty() && incoming.front().at <= deadline) {
        lastArrival = std::max(lastArrival, incoming.front().at);
        buffer[byteCount++] = incoming.front().byte;
        incoming.pop_front();
    }
    calls.push_back({Call::kRead, count, byteCount, static_cast<uint32_t>(start)});
    if (byteCount == count) {
        clock.AdvanceTo64(lastArrival);
        return 0;
    }
    clock.AdvanceTo64(deadline);
    return kTimeout;
}

int CScriptedPort::WriteBytes(const unsigned char* buffer, unsigned count) {
    byteCount = 0;
    if (status < 0) {
        return status;
    }
    WriteStep step{0, count};
    if (!writeSteps.empty()) {
        step = writeSteps.front();
        writeSteps.pop_front();
    }
    byteCount = std::min(step.accepted, count);
    calls.push_back({Call::kWrite, count, byteCount, clock.TickCount()});
    std::vector<unsigned char> chunk(buffer, buffer + byteCount);
    written.insert(written.end(), chunk.begin(), chunk.end());
    if (onWrite && !chunk.empty()) {
        onWrite(chunk);
    }
    if (step.result != 0) {
        return step.result;
    }
    return byteCount < count ? kTimeout : 0;
}

int CScriptedPort::GetByte() {
    unsigned char byte = 0;
    const int result = ReadBytes(&byte, 1);
    return result == 0 ? byte : result;
}

int CScriptedPort::PutByte(int byte) {
    const auto value = static_cast<unsigned char>(byte);
    return WriteBytes(&value, 1);
}

int CScriptedPort::Configure(long baud, int parity, int wordLength, int stopBits) {
    calls.push_back({Call::kConfigure, static_cast<unsigned>(baud), 0, clock.TickCount()});
    current.Adjust(baud, parity, wordLength, stopBits, -1, -1, -1, -1, -1);
    return 0;
}

unsigned CScriptedPort::CallCount(Call::Kind kind) const {
    return static_cast<unsigned>(
        std::count_if(calls.begin(), calls.end(), [kind](const Call& c) { return c.kind == kind; }));
}
