// The Windows serial port: a COM device used synchronously through the Win32
// communications functions, with device time-outs that bound every read and write.

#include <windows.h>

#include <cctype>
#include <cstring>

#include "serial/ComPort.h"

namespace {

constexpr DWORD kQueueSize = 1024;
// A read returns what has arrived within 5 ms of the call, however long the gaps between
// the bytes (interval time-out off), as the POSIX port polls: the timed read loops of the
// serial base then keep their limits to within those 5 ms. A write gives up after 200 ms.
constexpr DWORD kReadIntervalMs = MAXDWORD;
constexpr DWORD kReadTotalMs = 5;
constexpr DWORD kWriteTotalMs = 200;

// Parity letters in the order of the DCB's parity codes (NOPARITY .. SPACEPARITY).
constexpr char kParityLetters[] = "NOEMS";

constexpr long kHighestPlainRate = 19200;
constexpr long kOnlyHigherRate = 38400;

int OpenFailure(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return kPortNotFound;
        case ERROR_ACCESS_DENIED:  // how Windows reports a port another program holds
        case ERROR_SHARING_VIOLATION:
            return kPortInUse;
        default:
            return kGeneralError;
    }
}

// state 0 clears the line, 1 sets it, anything else leaves it.
void SetModemLine(HANDLE handle, DWORD set, DWORD clear, int state) {
    if (state == 0 || state == 1) {
        EscapeCommFunction(handle, state == 1 ? set : clear);
    }
}

}  // namespace

struct CComPort::Device {
    HANDLE handle = INVALID_HANDLE_VALUE;
    DCB config{};

    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device() {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};

static_assert(CE_RXOVER == 0x01 && CE_OVERRUN == 0x02 && CE_RXPARITY == 0x04 && CE_FRAME == 0x08 &&
              CE_BREAK == 0x10);

void CComPort::DeviceDeleter::operator()(Device* d) const {
    delete d;
}

CComPort::Device* CComPort::NewDevice() {
    return new Device;
}

std::string DefaultDevicePath(int portNumber) {
    return "\\\\.\\COM" + std::to_string(portNumber + 1);
}

int CComPort::OpenDevice() {
    device->handle = CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (device->handle == INVALID_HANDLE_VALUE) {
        return OpenFailure(GetLastError());
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kReadIntervalMs;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = kReadTotalMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTotalMs;
    // Without its time-outs the port could block a read forever, so each step counts.
    if (!SetCommMask(device->handle, 0) || !SetupComm(device->handle, kQueueSize, kQueueSize) ||
        !SetCommTimeouts(device->handle, &timeouts)) {
        return Failure(static_cast<long>(GetLastError()));
    }
    return 0;
}

int CComPort::ReadSettings() {
    DCB& config = device->config;
    config.DCBlength = sizeof config;
    if (!GetCommState(device->handle, &config)) {
        return Failure(static_cast<long>(GetLastError()));
    }
    current.baud = static_cast<long>(config.BaudRate);
    current.parity =
        config.Parity < std::strlen(kParityLetters) ? kParityLetters[config.Parity] : '?';
    current.wordLength = config.ByteSize;
    current.stopBits = config.StopBits <= TWOSTOPBITS ? config.StopBits : -1;
    // The DCB does not tell the state of the modem lines.
    current.dtr = -1;
    current.rts = -1;
    current.xonXoff = config.fOutX ? 1 : 0;
    return 0;
}

int CComPort::WriteSettings() {
    DCB config = device->config;
    if (current.baud != -1 &&
        (current.baud <= kHighestPlainRate || current.baud == kOnlyHigherRate)) {
        if (current.baud <= 0) {
            return kIllegalBaudRate;
        }
        config.BaudRate = static_cast<DWORD>(current.baud);
    }
    const char parity = static_cast<char>(std::toupper(static_cast<unsigned char>(current.parity)));
    const char* letter = parity != '\0' ? std::strchr(kParityLetters, parity) : nullptr;
    if (letter != nullptr) {
        config.Parity = static_cast<BYTE>(letter - kParityLetters);
    }
    if (current.wordLength >= 5 && current.wordLength <= 8) {
        config.ByteSize = static_cast<BYTE>(current.wordLength);
    }
    if (current.stopBits == 0) {
        config.StopBits = ONESTOPBIT;
    } else if (current.stopBits == 1 || current.stopBits == 2) {
        config.StopBits = TWOSTOPBITS;
    }
    config.fBinary = TRUE;
    config.fOutX = current.xonXoff != 0 ? TRUE : FALSE;
    config.fInX = config.fOutX;
    // Otherwise one line error would fail every later read until the errors are cleared.
    config.fAbortOnError = FALSE;
    if (!SetCommState(device->handle, &config)) {
        // A device that keeps only part of a configuration refuses it after applying the
        // rate (wine's port on a pseudo-terminal, which has no parity, refuses the second
        // configuration with parity). As on POSIX, only the rate is held to the request.
        const DWORD error = GetLastError();
        DCB applied{};
        applied.DCBlength = sizeof applied;
        if (!GetCommState(device->handle, &applied) || applied.BaudRate != config.BaudRate) {
            return Failure(static_cast<long>(error));
        }
    }
    device->config = config;
    // After the DCB, whose DTR and RTS control could otherwise set the lines again.
    SetModemLine(device->handle, SETRTS, CLRRTS, current.rts);
    SetModemLine(device->handle, SETDTR, CLRDTR, current.dtr);
    return 0;
}

int CComPort::Failure(long platformError) {
    switch (platformError) {
        // What the calls answer once a USB adapter has been unplugged.
        case ERROR_ACCESS_DENIED:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
            return Gone();
        default:
            return kGeneralError;
    }
}

int CComPort::ReadBytes(unsigned char* buffer, unsigned count) {
    byteCount = 0;
    if (status < 0) {
        return status;
    }
    DWORD got = 0;
    if (!ReadFile(device->handle, buffer, count, &got, nullptr)) {
        const int failure = Failure(static_cast<long>(GetLastError()));
        return failure == kDeviceGone ? failure : kTimeout;
    }
    byteCount = got;
    return got < count ? kTimeout : 0;
}

int CComPort::WriteBytes(const unsigned char* buffer, unsigned count) {
    byteCount = 0;
    if (status < 0) {
        return status;
    }
    DWORD put = 0;
    if (!WriteFile(device->handle, buffer, count, &put, nullptr)) {
        return Failure(static_cast<long>(GetLastError()));
    }
    byteCount = put;
    return put < count ? kTimeout : 0;
}

int CComPort::DiscardInput() {
    if (status < 0) {
        return status;
    }
    return PurgeComm(device->handle, PURGE_RXCLEAR) ? 0
                                                    : Failure(static_cast<long>(GetLastError()));
}

int CComPort::DiscardOutput() {
    if (status < 0) {
        return status;
    }
    return PurgeComm(device->handle, PURGE_TXCLEAR) ? 0
                                                    : Failure(static_cast<long>(GetLastError()));
}

int CComPort::SetBreak(bool on) {
    const BOOL done = on ? SetCommBreak(device->handle) : ClearCommBreak(device->handle);
    return done ? 0 : Failure(static_cast<long>(GetLastError()));
}

unsigned CComPort::NewLineErrors() {
    DWORD errors = 0;
    if (!ClearCommError(device->handle, &errors, nullptr)) {
        return 0;
    }
    return static_cast<unsigned>(errors) &
           (kInputOverflowError | kOverrunError | kParityError | kFramingError | kBreakError);
}
