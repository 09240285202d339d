#pragma once
// RS232: the abstract serial port. A concrete port supplies the primitive reads and
// writes; this class adds, once for every port, the timed write and read loops the
// protocol runs on, the status codes with their texts, the status report and the idle
// hook that keeps the user interface alive while a transfer waits.

#include <cstdint>
#include <string>

#include "serial/PortSettings.h"

// Status codes: 0 or negative. The texts are those of RS232::StatusText.
enum PortStatus : int {
    kSuccess = 0,
    kGeneralWarning = -100,
    kNotSupported = -99,
    kTimeout = -98,
    kIllegalBaudRate = -97,
    kIllegalParity = -96,
    kIllegalWordLength = -95,
    kIllegalStopBits = -94,
    kIllegalLineNumber = -93,
    kNoModemResponse = -92,
    kNoTerminator = -91,
    kDtrNotSupported = -90,
    kRtsNotSupported = -89,
    kRtsCtsNotSupported = -88,
    kDtrDsrNotSupported = -87,
    kXonXoffNotSupported = -86,
    kGeneralError = -200,
    kNotYetOpened = -199,
    kIrqInUse = -198,
    kPortNotFound = -197,
    kPortInUse = -196,
    kIllegalIrq = -195,
    kMemoryError = -194,
    kDefaultParametersError = -193,
    kPortNotOpen = -192,
    kPortAlreadyOpen = -191,
    kHandshakeLineInUse = -190,
    kPermissionDenied = -189,  // the user may not open the device
    kDeviceGone = -188,        // the device disappeared while open (adapter unplugged)
    kNotSerialDevice = -187,   // the port maps to a file, a folder or another kind of device
};

class RS232 {
public:
    virtual ~RS232() = default;
    RS232(const RS232&) = delete;
    RS232& operator=(const RS232&) = delete;

    // Primitive transfers, supplied by every concrete port.
    // ReadBytes: reads what has arrived (waiting a bounded short time), at most count
    // bytes; sets byteCount; kTimeout when fewer than count came.
    virtual int ReadBytes(unsigned char* buffer, unsigned count) = 0;
    // WriteBytes: sets byteCount; kTimeout when not all were written.
    virtual int WriteBytes(const unsigned char* buffer, unsigned count) = 0;
    // GetByte: the byte (0..255), or a negative status (kTimeout when none came).
    virtual int GetByte() = 0;
    virtual int PutByte(int byte) = 0;
    // Each argument -1 leaves that setting unchanged.
    virtual int Configure(long baud, int parity, int wordLength, int stopBits) = 0;

    // Line error flags: a clear argument of -1 or 0 only queries, any other value also
    // clears the flag after reading it. Answer 0 or 1.
    virtual int ParityErrorFlag(int clear) = 0;
    virtual int BreakFlag(int clear) = 0;
    virtual int FramingErrorFlag(int clear) = 0;
    virtual int OverrunFlag(int clear) = 0;

    // Optional operations; the base answers kNotSupported.
    virtual int SendBreak(long milliseconds);
    virtual int InputOverflowFlag(int clear);
    virtual int SetXonXoff(int setting);
    virtual int DiscardOutput();
    // The one rate the line runs at when the port cannot change it (a device server that
    // keeps its line as it is), else 0: Configure then refuses every other rate.
    virtual long FixedBaud() const { return 0; }

    // Reads 32-byte chunks until a read delivers nothing.
    virtual int DiscardInput();
    virtual const char* StatusText(int code) const;
    // Runs the installed idle handler once; a negative answer ends a timed read.
    virtual int OnIdle();
    // With a null out, answers the number of report lines (4). Otherwise writes line
    // number line into *out and answers 0, or kIllegalLineNumber for another line.
    virtual int StatusLine(std::string* out, int line) const;

    // Timed write. count 0: buffer is a zero-terminated string. terminator, when
    // given, is written after the buffer in the same loop. timeoutMs -1: no limit;
    // 0: a single attempt.
    int Write(const void* buffer, unsigned count, long timeoutMs, const char* terminator = nullptr);
    // Timed read of exactly count bytes; timeoutMs -1: no limit.
    int Read(void* buffer, unsigned count, long timeoutMs);

    int PortNumber() const { return portNumber; }
    int Status() const { return status; }
    unsigned ByteCount() const { return byteCount; }
    long ElapsedMs() const { return elapsedMs; }
    const PortSettings& Saved() const { return saved; }
    const PortSettings& Current() const { return current; }

protected:
    RS232() = default;

    int portNumber = 0;  // 0 is COM1
    PortSettings saved;
    PortSettings current;
    int status = kNotYetOpened;
    unsigned byteCount = 0;
    long elapsedMs = 0;
};

// The text of a status code in the base table ("???" for a code it does not know).
const char* BaseStatusText(int code);
