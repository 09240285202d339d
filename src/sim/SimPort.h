#pragma once
// CSimPort: an RS232 over the simulated line, for tests and benchmarks. It runs on the
// virtual clock: written bytes go out one after another at the port's rate, reach the
// controllers after their wire time, and replies become readable after theirs. A
// primitive read that finds fewer bytes than asked waits (virtually) until they come,
// but at most readWaitMs, and then answers kTimeout with what came.

#include <cstdint>
#include <deque>

#include "SimLine.h"
#include "serial/Clock.h"
#include "serial/RS232.h"

class CSimPort final : public RS232 {
public:
    // Opens the port on line with baud and parity ('N', 'O', 'E', ...), 8 data bits,
    // DTR off and RTS on; a rate the port does not write leaves the line at 9600, the
    // rate of a device nobody has set. line and clock must outlive the port.
    CSimPort(CSimLine& line, CVirtualClock& clock, long baud = 9600, char parity = 'E',
             int portNumber = 0);

    int ReadBytes(unsigned char* buffer, unsigned count) override;
    int WriteBytes(const unsigned char* buffer, unsigned count) override;
    int GetByte() override;
    int PutByte(int byte) override;
    // Takes a rate as an operating system's port does: the settings record takes any
    // positive rate, the line only those that WritesBaudRate lets through; a higher one
    // leaves the line at its rate. A controller hears only its own rate and parity.
    int Configure(long baud, int parity, int wordLength, int stopBits) override;
    // Set when a byte came at another rate (framing) or with another parity.
    int ParityErrorFlag(int clear) override { return Flag(parityError, clear); }
    int BreakFlag(int) override { return 0; }
    int FramingErrorFlag(int clear) override { return Flag(framingError, clear); }
    int OverrunFlag(int) override { return 0; }
    // Purges, as a device does: the bytes received so far, or those not yet sent.
    int DiscardInput() override;
    int DiscardOutput() override;

    // Makes every transfer fail with newStatus, as a failed device does (negative).
    void SetStatus(int newStatus) { status = newStatus; }

    uint32_t readWaitMs = 10;

private:
    uint64_t NowUs() const { return clock.Now() * 1000; }
    // Moves the clock on to t, rounded up to the next millisecond.
    void AdvanceToUs(uint64_t t) { clock.AdvanceTo64((t + 999) / 1000); }
    SimLineFormat Format() const { return {lineBaud, current.parity}; }
    // Lets the line play up to t and takes in what has arrived for the port by then.
    void Receive(uint64_t t);
    static int Flag(int& flag, int clear);

    CSimLine& line;
    CVirtualClock& clock;
    std::deque<unsigned char> received;
    long lineBaud;  // the rate on the line, which may differ from current.baud
    int framingError = 0;
    int parityError = 0;
};
