#pragma once
// CRefusedPort: a port that could not even be tried, such as a COM port mapped to a text
// that looks like a device server's address but is not one. It is never open: every call
// answers kPortNotFound, and its status text says why in words the operator can act on.

#include <string>
#include <utility>

#include "serial/RS232.h"

class CRefusedPort final : public RS232 {
public:
    CRefusedPort(int number, std::string why) : reason(std::move(why)) {
        portNumber = number;
        status = kPortNotFound;
    }

    int ReadBytes(unsigned char*, unsigned) override { return Refuse(); }
    int WriteBytes(const unsigned char*, unsigned) override { return Refuse(); }
    int GetByte() override { return status; }
    int PutByte(int) override { return status; }
    int Configure(long, int, int, int) override { return status; }
    int ParityErrorFlag(int) override { return status; }
    int BreakFlag(int) override { return status; }
    int FramingErrorFlag(int) override { return status; }
    int OverrunFlag(int) override { return status; }
    const char* StatusText(int code) const override {
        return code == status ? reason.c_str() : RS232::StatusText(code);
    }

private:
    int Refuse() {
        byteCount = 0;
        return status;
    }

    std::string reason;
};
