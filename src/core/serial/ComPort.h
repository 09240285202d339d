#pragma once
// CComPort: a serial port of the operating system, the one concrete RS232. The
// constructor opens the device exclusively and applies the line settings; the destructor
// closes it. The platform parts live in comport_posix.cpp (termios) and
// comport_win32.cpp (Win32 communications functions); ComPort.cpp holds what both share.

#include <memory>
#include <string>

#include "serial/RS232.h"

// The device a port opens when nothing maps it elsewhere (portNumber 0 is COM1):
// /dev/ttyS0 for COM1 on Linux, \\.\COM1 on Windows.
std::string DefaultDevicePath(int portNumber);

class CComPort : public virtual RS232 {
public:
    // Opens devicePath, or DefaultDevicePath(portNumber) when it is empty, and applies the
    // nine line values; -1 keeps the device's own setting. Status() is 0 when the port is
    // open and usable, else why not.
    CComPort(int portNumber, long baud, int parity, int wordLength, int stopBits, int dtr, int rts,
             int xonXoff, int rtsCts, int dtrDsr, const std::string& devicePath = {});
    ~CComPort() override;

    int ReadBytes(unsigned char* buffer, unsigned count) override;
    int WriteBytes(const unsigned char* buffer, unsigned count) override;
    int GetByte() override;
    int PutByte(int byte) override;
    // Answers the result of writing the settings; status keeps its value.
    int Configure(long baud, int parity, int wordLength, int stopBits) override;
    int ParityErrorFlag(int clear) override;
    int BreakFlag(int clear) override;
    int FramingErrorFlag(int clear) override;
    int OverrunFlag(int clear) override;
    int InputOverflowFlag(int clear) override;
    int SendBreak(long milliseconds) override;
    int SetXonXoff(int setting) override;
    int DiscardInput() override;
    int DiscardOutput() override;
    const char* StatusText(int code) const override;

    const std::string& DevicePath() const { return devicePath; }

private:
    // The platform's handle and device configuration record; closes the handle when deleted.
    struct Device;
    struct DeviceDeleter {
        void operator()(Device* d) const;
    };

    // Line error bits as the flag queries keep them (the values of the Win32 CE_ flags).
    enum LineError : unsigned {
        kInputOverflowError = 0x01,
        kOverrunError = 0x02,
        kParityError = 0x04,
        kFramingError = 0x08,
        kBreakError = 0x10,
    };

    // Platform operations (one definition per platform file). Each answers 0 or a status.
    static Device* NewDevice();
    // Opens devicePath exclusively and prepares it for bounded reads and writes.
    int OpenDevice();
    // Device configuration into current.
    int ReadSettings();
    // current into the device configuration, then onto the device.
    int WriteSettings();
    int SetBreak(bool on);
    // Line errors (LineError bits) the device reported since the last call.
    unsigned NewLineErrors();
    // The status for a failed call on the open device; a device that has gone puts the
    // port into kDeviceGone for good.
    int Failure(long platformError);

    int LineErrorFlag(unsigned error, int clear);
    int Gone();

    std::unique_ptr<Device, DeviceDeleter> device;
    std::string devicePath;
    unsigned lineErrors = 0;
    std::string statusDetail;  // the text of an open failure when it says more than the table
};
