#include "serial/ComPort.h"

#include "serial/Clock.h"

namespace {

struct StatusEntry {
    int code;
    const char* text;
};

// Texts of the codes that only an operating system port reports.
constexpr StatusEntry kPortStatusTexts[] = {
    {kDefaultParametersError, "Default parameters in error"},
    {kPortNotOpen, "Port not open"},
    {kPortAlreadyOpen, "Port already open"},
    {kHandshakeLineInUse, "Handshake line in use"},
    {kPermissionDenied,
     "Permission denied: join the group that owns the device, then log in again"},
    {kDeviceGone, "Device removed or disconnected"},
    {kNotSerialDevice, "Not a serial device"},
};

bool InBaseTable(int code) {
    return code >= 0 || (code >= kGeneralError && code <= kMemoryError) ||
           (code >= kGeneralWarning && code <= kXonXoffNotSupported);
}

}  // namespace

CComPort::CComPort(int number, long baud, int parity, int wordLength, int stopBits, int dtr,
                   int rts, int xonXoff, int rtsCts, int dtrDsr, const std::string& path)
    : device(NewDevice()), devicePath(path.empty() ? DefaultDevicePath(number) : path) {
    portNumber = number;
    status = 0;
    status = OpenDevice();
    if (status != 0) {
        return;
    }
    status = ReadSettings();
    if (status != 0) {
        return;
    }
    saved = current;
    current.Adjust(baud, parity, wordLength, stopBits, dtr, rts, xonXoff, rtsCts, dtrDsr);
    status = WriteSettings();
}

CComPort::~CComPort() = default;

int CComPort::Gone() {
    status = kDeviceGone;
    return status;
}

int CComPort::GetByte() {
    unsigned char byte = 0;
    const int result = ReadBytes(&byte, 1);
    return result == 0 ? byte : result;
}

int CComPort::PutByte(int byte) {
    const auto value = static_cast<unsigned char>(byte);
    return WriteBytes(&value, 1);
}

int CComPort::Configure(long baud, int parity, int wordLength, int stopBits) {
    current.Adjust(baud, parity, wordLength, stopBits, -1, -1, -1, -1, -1);
    return WriteSettings();
}

int CComPort::LineErrorFlag(unsigned error, int clear) {
    if (status < 0) {
        return status;
    }
    lineErrors |= NewLineErrors();
    const int set = (lineErrors & error) != 0 ? 1 : 0;
    if (clear != -1 && clear != 0) {
        lineErrors &= ~error;
    }
    return set;
}

int CComPort::ParityErrorFlag(int clear) {
    return LineErrorFlag(kParityError, clear);
}
int CComPort::BreakFlag(int clear) {
    return LineErrorFlag(kBreakError, clear);
}
int CComPort::FramingErrorFlag(int clear) {
    return LineErrorFlag(kFramingError, clear);
}
int CComPort::OverrunFlag(int clear) {
    return LineErrorFlag(kOverrunError, clear);
}
int CComPort::InputOverflowFlag(int clear) {
    return LineErrorFlag(kInputOverflowError, clear);
}

int CComPort::SendBreak(long milliseconds) {
    if (status < 0) {
        return status;
    }
    const int result = SetBreak(true);
    if (result != 0) {
        return result;
    }
    const uint32_t start = TickCount();
    while (static_cast<long>(TicksSince(start)) < milliseconds) {
        OnIdle();
    }
    return SetBreak(false);
}

int CComPort::SetXonXoff(int setting) {
    if (status < 0) {
        return status;
    }
    if (setting != -1) {
        current.xonXoff = setting != 0 ? 1 : 0;
        WriteSettings();  // this operation answers the setting, not a status
    }
    return current.xonXoff;
}

const char* CComPort::StatusText(int code) const {
    if (InBaseTable(code)) {
        return RS232::StatusText(code);
    }
    if (code == status && !statusDetail.empty()) {
        return statusDetail.c_str();
    }
    for (const StatusEntry& entry : kPortStatusTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return "Undefined error";
}
