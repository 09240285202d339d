#include "serial/RS232.h"

#include <cstdio>
#include <cstring>

#include "serial/Clock.h"
#include "serial/IdleHook.h"

namespace {

struct StatusEntry {
    int code;
    const char* text;
};

constexpr StatusEntry kBaseStatusTexts[] = {
    {kSuccess, "Success"},
    {kGeneralWarning, "General Warning"},
    {kNotSupported, "Function not supported"},
    {kTimeout, "Timeout"},
    {kIllegalBaudRate, "Illegal baud rate"},
    {kIllegalParity, "Illegal parity setting"},
    {kIllegalWordLength, "Illegal word length"},
    {kIllegalStopBits, "Illegal stop bits"},
    {kIllegalLineNumber, "Illegal line number"},
    {kNoModemResponse, "No modem response"},
    {kNoTerminator, "No terminator"},
    {kDtrNotSupported, "DTR control not supported"},
    {kRtsNotSupported, "RTS control not supported"},
    {kRtsCtsNotSupported, "RTS/CTS handshaking not supported"},
    {kDtrDsrNotSupported, "DTR/DSR handshaking not supported"},
    {kXonXoffNotSupported, "XON/XOFF handshaking not supported"},
    {kGeneralError, "General Error"},
    {kIrqInUse, "IRQ line in use"},
    {kPortNotFound, "Port not found"},
    {kPortInUse, "Port in use"},
    {kIllegalIrq, "Illegal IRQ"},
    {kMemoryError, "Memory allocation error"},
};

constexpr unsigned kDiscardChunk = 32;

long ElapsedSince(uint32_t start) { return static_cast<long>(TicksSince(start)); }

}  // namespace

const char* BaseStatusText(int code) {
    for (const StatusEntry& entry : kBaseStatusTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return "???";
}

int RS232::SendBreak(long) { return kNotSupported; }
int RS232::InputOverflowFlag(int) { return kNotSupported; }
int RS232::SetXonXoff(int) { return kNotSupported; }
int RS232::DiscardOutput() { return kNotSupported; }

int RS232::DiscardInput() {
    if (status < 0) {
        return status;
    }
    unsigned char chunk[kDiscardChunk];
    do {
        ReadBytes(chunk, kDiscardChunk);
    } while (byteCount > 0);
    return status != 0 ? status : 0;
}

const char* RS232::StatusText(int code) const { return BaseStatusText(code); }

int RS232::OnIdle() { return RunIdleHandler(); }

int RS232::StatusLine(std::string* out, int line) const {
    if (out == nullptr) {
        return 4;
    }
    char text[160];
    const PortSettings& s = line == 2 ? saved : current;
    switch (line) {
        case 0:
            std::snprintf(text, sizeof text, "Base class: RS232  COM%-2d  Status: %-35.35s",
                          portNumber + 1, StatusText(status));
            break;
        case 1:
            std::snprintf(text, sizeof text, "Byte count: %5u  Elapsed time: %9ld  ", byteCount,
                          elapsedMs);
            break;
        case 2:
            std::snprintf(text, sizeof text,
                          "Saved port: %6ld,%c,%2d,%2d  DTR,RTS: %2d,%2d  "
                          "XON/OFF,RTS/CTS,DTR/DSR: %2d",
                          s.baud, s.parity, s.wordLength, s.stopBits, s.dtr, s.rts, s.xonXoff);
            break;
        case 3:
            std::snprintf(text, sizeof text,
                          "Current port: %6ld,%c,%1d,%1d  DTR,RTS: %2d,%2d  "
                          "XON/OFF,RTS/CTS,DTR/DSR: %2d",
                          s.baud, s.parity, s.wordLength, s.stopBits, s.dtr, s.rts, s.xonXoff);
            break;
        default:
            return kIllegalLineNumber;
    }
    *out = text;
    return 0;
}

int RS232::Write(const void* buffer, unsigned count, long timeoutMs, const char* terminator) {
    byteCount = 0;
    elapsedMs = 0;
    if (status < 0) {
        return status;
    }
    const uint32_t start = TickCount();
    const auto* data = static_cast<const unsigned char*>(buffer);
    unsigned left = count != 0 ? count : static_cast<unsigned>(std::strlen(
                                             static_cast<const char*>(buffer)));
    unsigned total = 0;
    int result = 0;
    for (;;) {
        result = WriteBytes(data, left);
        total += byteCount;
        data += byteCount;
        left -= byteCount;
        if (left == 0 && terminator != nullptr) {
            data = reinterpret_cast<const unsigned char*>(terminator);
            left = static_cast<unsigned>(std::strlen(terminator));
            terminator = nullptr;
            continue;
        }
        if (result == kTimeout && left > 0) {
            if (timeoutMs != -1 && ElapsedSince(start) >= timeoutMs) {
                break;
            }
            OnIdle();
            continue;
        }
        OnIdle();
        break;
    }
    elapsedMs = ElapsedSince(start);
    byteCount = total;
    if (result < 0) {
        return result;
    }
    return left > 0 ? kTimeout : 0;
}

int RS232::Read(void* buffer, unsigned count, long timeoutMs) {
    byteCount = 0;
    elapsedMs = 0;
    if (status < 0) {
        return status;
    }
    const uint32_t start = TickCount();
    auto* data = static_cast<unsigned char*>(buffer);
    unsigned total = 0;
    int result = 0;
    int idleResult = 0;
    for (;;) {
        result = ReadBytes(data + total, count - total);
        total += byteCount;
        if (result == kTimeout && total < count) {
            if (timeoutMs != -1 && ElapsedSince(start) >= timeoutMs) {
                break;
            }
            idleResult = OnIdle();
            if (idleResult < 0) {
                break;
            }
            continue;
        }
        OnIdle();
        break;
    }
    byteCount = total;
    elapsedMs = ElapsedSince(start);
    return idleResult < 0 ? idleResult : result;
}
