#pragma once
// The port of tarnctl -v: it passes everything to the real port and prints every frame
// that goes over the line, a line per request ("> ") and per reply ("< "), in hex.

#include <memory>
#include <ostream>
#include <vector>

#include "serial/RS232.h"

class CCtlMonitorPort final : public RS232 {
public:
    CCtlMonitorPort(std::unique_ptr<RS232> inner, std::ostream& log);
    ~CCtlMonitorPort() override;

    int ReadBytes(unsigned char* buffer, unsigned count) override;
    int WriteBytes(const unsigned char* buffer, unsigned count) override;
    int GetByte() override;
    int PutByte(int byte) override;
    int Configure(long baud, int parity, int wordLength, int stopBits) override;
    int ParityErrorFlag(int clear) override;
    int BreakFlag(int clear) override;
    int FramingErrorFlag(int clear) override;
    int OverrunFlag(int clear) override;
    int SendBreak(long milliseconds) override;
    int InputOverflowFlag(int clear) override;
    int SetXonXoff(int setting) override;
    int DiscardOutput() override;
    int DiscardInput() override;
    const char* StatusText(int code) const override;

private:
    // Takes the inner port's status, byte count and settings after a call.
    int Follow(int result);
    // Prints the reply bytes gathered so far, if any.
    void FlushReceived();
    void Print(char direction, const unsigned char* bytes, size_t count);

    std::unique_ptr<RS232> inner;
    std::ostream& log;
    std::vector<unsigned char> received;
};
