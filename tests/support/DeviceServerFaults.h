#pragma once
// A port in front of another that misbehaves as a device server on the network can: its
// line keeps a rate it was asked to leave (a server that does not follow the change or
// answers with another rate), its rate is fixed (a raw server), or the connection is lost
// after a number of writes. Everything else passes through to the port behind it.

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "serial/RS232.h"

struct DeviceServerFaults {
    std::vector<long> keptRates;  // rates the line does not follow: kIllegalBaudRate
    long fixedBaud = 0;           // the one rate of a raw server, 0 for none
    int writesBeforeLoss = -1;    // the connection breaks at this write (from 0); -1 never
};

class CDeviceServerFaultPort final : public RS232 {
public:
    static constexpr const char* kLostText = "Connection to 192.0.2.10:4001 lost";
    static constexpr const char* kKeptText = "The device server did not change the rate";

    CDeviceServerFaultPort(std::unique_ptr<RS232> behind, DeviceServerFaults faults)
        : inner(std::move(behind)), faults(std::move(faults)) {
        Follow();
    }

    int ReadBytes(unsigned char* buffer, unsigned count) override {
        return Pass([&] { return inner->ReadBytes(buffer, count); });
    }
    int WriteBytes(const unsigned char* buffer, unsigned count) override {
        lost = lost || faults.writesBeforeLoss == 0;
        --faults.writesBeforeLoss;
        Follow();
        return Pass([&] { return inner->WriteBytes(buffer, count); });
    }
    int GetByte() override {
        return Pass([&] { return inner->GetByte(); });
    }
    int PutByte(int byte) override {
        const auto value = static_cast<unsigned char>(byte);
        return WriteBytes(&value, 1);
    }
    int Configure(long baud, int parity, int wordLength, int stopBits) override {
        const bool kept = std::find(faults.keptRates.begin(), faults.keptRates.end(), baud) !=
                          faults.keptRates.end();
        const bool fixed = faults.fixedBaud != 0 && baud > 0 && baud != faults.fixedBaud;
        const int result = Pass([&] {
            return inner->Configure(kept || fixed ? -1 : baud, parity, wordLength, stopBits);
        });
        return result == 0 && (kept || fixed) ? kIllegalBaudRate : result;
    }
    long FixedBaud() const override { return faults.fixedBaud; }
    int ParityErrorFlag(int clear) override { return inner->ParityErrorFlag(clear); }
    int BreakFlag(int clear) override { return inner->BreakFlag(clear); }
    int FramingErrorFlag(int clear) override { return inner->FramingErrorFlag(clear); }
    int OverrunFlag(int clear) override { return inner->OverrunFlag(clear); }
    int DiscardInput() override {
        return Pass([&] { return inner->DiscardInput(); });
    }
    int DiscardOutput() override {
        return Pass([&] { return inner->DiscardOutput(); });
    }
    const char* StatusText(int code) const override {
        return code == kDeviceGone        ? kLostText
               : code == kIllegalBaudRate ? kKeptText
                                          : inner->StatusText(code);
    }

private:
    template <typename Call>
    int Pass(Call call) {
        if (status < 0) {
            byteCount = 0;
            return status;
        }
        const int result = call();
        Follow();
        return result;
    }
    void Follow() {
        byteCount = inner->ByteCount();
        current = inner->Current();
        saved = inner->Saved();
        status = lost ? kDeviceGone : inner->Status();
    }

    std::unique_ptr<RS232> inner;
    DeviceServerFaults faults;
    bool lost = false;
};
