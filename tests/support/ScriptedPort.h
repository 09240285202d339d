#pragma once
// A serial port for tests whose line follows a script: bytes arrive at given virtual
// times, writes can be made to fail or to go out partly, and every primitive call and
// every byte written is recorded. A primitive read returns what has arrived within
// readWaitMs of the call, as a real port with a short read time-out does.

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "serial/Clock.h"
#include "serial/RS232.h"

class CScriptedPort : public RS232 {
public:
    struct Call {
        enum Kind { kRead, kWrite, kConfigure } kind;
        unsigned asked;      // bytes asked for, or the baud rate configured
        unsigned moved;      // bytes delivered or written
        uint32_t startedAt;  // virtual tick of the call
    };
    struct WriteStep {
        int result;         // answer of the primitive write
        unsigned accepted;  // bytes it takes (at most the count asked)
    };

    explicit CScriptedPort(CVirtualClock& clock, long baud = 9600, int portNumber = 0);

    // Bytes that become readable at virtual tick at.
    void Arrive(uint32_t at, const std::vector<unsigned char>& bytes);
    // Bytes that become readable delayMs after now.
    void ArriveIn(uint32_t delayMs, const std::vector<unsigned char>& bytes);
    // The next primitive writes answer these steps, in order; then all writes succeed.
    void ScriptWrites(std::vector<WriteStep> steps);
    // Called with each chunk the port accepts, e.g. to script a reply to a request.
    std::function<void(const std::vector<unsigned char>&)> onWrite;
    void SetStatus(int newStatus) { status = newStatus; }

    int ReadBytes(unsigned char* buffer, unsigned count) override;
    int WriteBytes(const unsigned char* buffer, unsigned count) override;
    int GetByte() override;
    int PutByte(int byte) override;
    int Configure(long baud, int parity, int wordLength, int stopBits) override;
    int ParityErrorFlag(int) override { return 0; }
    int BreakFlag(int) override { return 0; }
    int FramingErrorFlag(int) override { return 0; }
    int OverrunFlag(int) override { return 0; }
    int DiscardOutput() override { return 0; }

    const std::vector<Call>& Calls() const { return calls; }
    unsigned CallCount(Call::Kind kind) const;
    const std::vector<unsigned char>& Written() const { return written; }
    size_t Pending() const { return incoming.size(); }

    uint32_t readWaitMs = 95;

private:
    struct Timed {
        uint64_t at;
        unsigned char byte;
    };
    CVirtualClock& clock;
    std::deque<Timed> incoming;
    std::deque<WriteStep> writeSteps;
    std::vector<Call> calls;
    std::vector<unsigned char> written;
};
