// The Windows serial port: a COM device used synchronously through the Win32
// communications functions (called through CommCalls()), with device time-outs that bound
// every read and write.

#include <windows.h>
// After windows.h, which it needs.
#include <timeapi.h>

#include <cctype>
#include <cstring>
#include <string>

#include "serial/Clock.h"
#include "serial/ComPort.h"
#include "serial/CommCalls_win32.h"

namespace {

constexpr DWORD kQueueSize = 1024;
// A read returns at once with what has arrived, or waits up to 5 ms for the first byte
// and returns with it (the documented MAXDWORD, MAXDWORD, n combination), as the POSIX
// port polls: the timed read loops of the serial base then keep their limits to within
// those 5 ms. A write gives up after 200 ms.
constexpr DWORD kReadTotalMs = 5;
constexpr DWORD kWriteTotalMs = 200;
// Waits follow the system timer; 1 ms resolution while a port is open keeps the 5 ms read
// and the protocol's pauses from stretching to the 15.6 ms default tick.
constexpr UINT kTimerResolutionMs = 1;

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
        CommCalls().escapeCommFunction(handle, state == 1 ? set : clear);
    }
}

// A bare COMn (as typed in a setting or on a command line) needs the device namespace
// prefix: CreateFile finds COM1 to COM9 without it, but not COM10 and above.
std::string Win32DevicePath(const std::string& path) {
    if (path.size() > 3 && _strnicmp(path.c_str(), "COM", 3) == 0 &&
        path.find_first_not_of("0123456789", 3) == std::string::npos) {
        return "\\\\.\\" + path;
    }
    return path;
}

// The name of the first DCB option that the device did not take as it was set, or
// nullptr when it took them all. Data size, parity and stop bits are not held to the
// request: a device without them (a pseudo-terminal behind wine) keeps its own, as on
// POSIX. Of DTR and RTS control only the handshaking matters (the program sets the lines
// itself afterwards): some devices read back the control as the line's state.
const char* RefusedOption(const DCB& wanted, const DCB& applied) {
    const auto dtrHandshake = [](const DCB& dcb) {
        return dcb.fDtrControl == DTR_CONTROL_HANDSHAKE;
    };
    const auto rtsHandshake = [](const DCB& dcb) {
        return dcb.fRtsControl == RTS_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE;
    };
    struct Option {
        const char* name;
        bool same;
    };
    const Option options[] = {
        {"the baud rate", wanted.BaudRate == applied.BaudRate},
        {"binary mode", wanted.fBinary == applied.fBinary},
        {"CTS output flow control", wanted.fOutxCtsFlow == applied.fOutxCtsFlow},
        {"DSR output flow control", wanted.fOutxDsrFlow == applied.fOutxDsrFlow},
        {"DTR handshaking", dtrHandshake(wanted) == dtrHandshake(applied)},
        {"DSR sensitivity", wanted.fDsrSensitivity == applied.fDsrSensitivity},
        {"XON/XOFF output flow control", wanted.fOutX == applied.fOutX},
        {"XON/XOFF input flow control", wanted.fInX == applied.fInX},
        {"error character replacement", wanted.fErrorChar == applied.fErrorChar},
        {"null byte stripping", wanted.fNull == applied.fNull},
        {"RTS handshaking", rtsHandshake(wanted) == rtsHandshake(applied)},
        {"abort on error", wanted.fAbortOnError == applied.fAbortOnError},
    };
    for (const Option& option : options) {
        if (!option.same) {
            return option.name;
        }
    }
    return nullptr;
}

// The line errors the flag queries keep (their bits are the CE_ values).
constexpr DWORD kLineErrorBits = CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_BREAK;

// After a failed read or write the driver may hold an error that fails every later call
// until it is cleared. Clearing it adds the line errors to lineErrors for the flag
// queries; false when even that fails: the device has gone.
bool ClearDriverError(HANDLE handle, unsigned& lineErrors) {
    DWORD errors = 0;
    if (!CommCalls().clearCommError(handle, &errors, nullptr)) {
        return false;
    }
    lineErrors |= static_cast<unsigned>(errors & kLineErrorBits);
    return true;
}

// Every line option this program relies on: no flow control of any kind unless asked
// for, every received byte kept (0x00 included, whatever DSR does), no error that stops
// later reads, DTR and RTS driven by the program alone.
void SetLineOptions(DCB& config, const PortSettings& current) {
    config.fBinary = TRUE;
    config.fParity = config.Parity != NOPARITY ? TRUE : FALSE;
    config.fOutxCtsFlow = FALSE;
    config.fOutxDsrFlow = FALSE;
    config.fDsrSensitivity = FALSE;
    config.fTXContinueOnXoff = TRUE;
    config.fOutX = current.xonXoff != 0 ? TRUE : FALSE;
    config.fInX = config.fOutX;
    config.fErrorChar = FALSE;
    config.fNull = FALSE;
    config.fAbortOnError = FALSE;
    config.fDtrControl = current.dtr == 0 ? DTR_CONTROL_DISABLE : DTR_CONTROL_ENABLE;
    config.fRtsControl = current.rts == 0 ? RTS_CONTROL_DISABLE : RTS_CONTROL_ENABLE;
}

}  // namespace

struct CComPort::Device {
    HANDLE handle = INVALID_HANDLE_VALUE;
    DCB config{};
    bool fineTimer = false;

    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device() {
        if (handle != INVALID_HANDLE_VALUE) {
            CommCalls().closeHandle(handle);
        }
        if (fineTimer) {
            timeEndPeriod(kTimerResolutionMs);
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
    const CommCallTable& calls = CommCalls();
    device->handle =
        calls.createFile(Win32DevicePath(devicePath).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                         nullptr, OPEN_EXISTING, 0, nullptr);
    if (device->handle == INVALID_HANDLE_VALUE) {
        return OpenFailure(GetLastError());
    }
    device->fineTimer = timeBeginPeriod(kTimerResolutionMs) == TIMERR_NOERROR;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = kReadTotalMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTotalMs;
    // Without its time-outs the port could block a read forever, so each step counts.
    if (!calls.setCommMask(device->handle, 0) ||
        !calls.setupComm(device->handle, kQueueSize, kQueueSize) ||
        !calls.setCommTimeouts(device->handle, &timeouts)) {
        return Failure(static_cast<long>(GetLastError()));
    }
    return 0;
}

int CComPort::ReadSettings() {
    DCB& config = device->config;
    config.DCBlength = sizeof config;
    if (!CommCalls().getCommState(device->handle, &config)) {
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
    SetLineOptions(config, current);
    const CommCallTable& calls = CommCalls();
    // A device that keeps only part of a configuration may refuse it after applying the
    // rest (wine's port on a pseudo-terminal, which has no parity, refuses a configuration
    // with parity); what it applied decides.
    const bool taken = calls.setCommState(device->handle, &config) != FALSE;
    const DWORD error = taken ? ERROR_SUCCESS : GetLastError();
    DCB applied{};
    applied.DCBlength = sizeof applied;
    if (!calls.getCommState(device->handle, &applied)) {
        return Failure(static_cast<long>(taken ? GetLastError() : error));
    }
    if (const char* refused = RefusedOption(config, applied)) {
        statusDetail = "The serial driver of " + devicePath + " refused to set " + refused;
        return kDefaultParametersError;
    }
    device->config = config;
    // After the DCB, whose DTR and RTS control could otherwise set the lines again.
    SetModemLine(device->handle, SETRTS, CLRRTS, current.rts);
    SetModemLine(device->handle, SETDTR, CLRDTR, current.dtr);
    return 0;
}

int CComPort::Failure(long platformError) {
    switch (platformError) {
        // What the calls answer once a USB adapter has been unplugged, or its handle
        // been closed under the port.
        case ERROR_INVALID_HANDLE:
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
    // One failure (a USB driver's ERROR_OPERATION_ABORTED now and then) is cleared and
    // the read tried again; a failure that stays takes the read's own time, so the timed
    // loops above wait out their limits instead of spinning.
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD got = 0;
        if (CommCalls().readFile(device->handle, buffer, count, &got, nullptr)) {
            byteCount = got;
            return got < count ? kTimeout : 0;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_INVALID_HANDLE || !ClearDriverError(device->handle, lineErrors)) {
            return Gone();
        }
    }
    DelayMs(kReadTotalMs);
    return kTimeout;
}

int CComPort::WriteBytes(const unsigned char* buffer, unsigned count) {
    byteCount = 0;
    if (status < 0) {
        return status;
    }
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 2 && byteCount < count; ++attempt) {
        DWORD put = 0;
        const BOOL done = CommCalls().writeFile(device->handle, buffer + byteCount,
                                                count - byteCount, &put, nullptr);
        byteCount += put;
        if (done) {
            return byteCount < count ? kTimeout : 0;
        }
        error = GetLastError();
        if (error == ERROR_INVALID_HANDLE || !ClearDriverError(device->handle, lineErrors)) {
            return Gone();
        }
    }
    return byteCount < count ? Failure(static_cast<long>(error)) : 0;
}

int CComPort::DiscardInput() {
    if (status < 0) {
        return status;
    }
    return CommCalls().purgeComm(device->handle, PURGE_RXCLEAR)
               ? 0
               : Failure(static_cast<long>(GetLastError()));
}

int CComPort::DiscardOutput() {
    if (status < 0) {
        return status;
    }
    return CommCalls().purgeComm(device->handle, PURGE_TXCLEAR)
               ? 0
               : Failure(static_cast<long>(GetLastError()));
}

int CComPort::SetBreak(bool on) {
    const BOOL done =
        on ? CommCalls().setCommBreak(device->handle) : CommCalls().clearCommBreak(device->handle);
    return done ? 0 : Failure(static_cast<long>(GetLastError()));
}

unsigned CComPort::NewLineErrors() {
    unsigned errors = 0;
    return ClearDriverError(device->handle, errors) ? errors : 0;
}
