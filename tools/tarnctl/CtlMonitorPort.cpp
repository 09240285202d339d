#include "CtlMonitorPort.h"

#include <cstdio>
#include <string>

CCtlMonitorPort::CCtlMonitorPort(std::unique_ptr<RS232> inner, std::ostream& log)
    : inner(std::move(inner)), log(log) {
    portNumber = this->inner->PortNumber();
    saved = this->inner->Saved();
    Follow(0);
}

CCtlMonitorPort::~CCtlMonitorPort() {
    FlushReceived();
}

int CCtlMonitorPort::Follow(int result) {
    status = inner->Status();
    byteCount = inner->ByteCount();
    current = inner->Current();
    return result;
}

void CCtlMonitorPort::Print(char direction, const unsigned char* bytes, size_t count) {
    std::string line(1, direction);
    char hex[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
        line += hex;
    }
    log << line << " @" << current.baud << '\n';
}

void CCtlMonitorPort::FlushReceived() {
    if (!received.empty()) {
        Print('<', received.data(), received.size());
        received.clear();
    }
}

int CCtlMonitorPort::ReadBytes(unsigned char* buffer, unsigned count) {
    const int result = Follow(inner->ReadBytes(buffer, count));
    received.insert(received.end(), buffer, buffer + byteCount);
    return result;
}

int CCtlMonitorPort::WriteBytes(const unsigned char* buffer, unsigned count) {
    FlushReceived();
    const int result = Follow(inner->WriteBytes(buffer, count));
    if (byteCount > 0) {
        Print('>', buffer, byteCount);
    }
    return result;
}

int CCtlMonitorPort::GetByte() {
    const int result = Follow(inner->GetByte());
    if (result >= 0) {
        received.push_back(static_cast<unsigned char>(result));
    }
    return result;
}

int CCtlMonitorPort::PutByte(int byte) {
    FlushReceived();
    const int result = Follow(inner->PutByte(byte));
    if (result >= 0) {
        const auto sent = static_cast<unsigned char>(byte);
        Print('>', &sent, 1);
    }
    return result;
}

int CCtlMonitorPort::Configure(long baud, int parity, int wordLength, int stopBits) {
    FlushReceived();
    return Follow(inner->Configure(baud, parity, wordLength, stopBits));
}

int CCtlMonitorPort::ParityErrorFlag(int clear) {
    return Follow(inner->ParityErrorFlag(clear));
}

int CCtlMonitorPort::BreakFlag(int clear) {
    return Follow(inner->BreakFlag(clear));
}

int CCtlMonitorPort::FramingErrorFlag(int clear) {
    return Follow(inner->FramingErrorFlag(clear));
}

int CCtlMonitorPort::OverrunFlag(int clear) {
    return Follow(inner->OverrunFlag(clear));
}

int CCtlMonitorPort::SendBreak(long milliseconds) {
    return Follow(inner->SendBreak(milliseconds));
}

int CCtlMonitorPort::InputOverflowFlag(int clear) {
    return Follow(inner->InputOverflowFlag(clear));
}

int CCtlMonitorPort::SetXonXoff(int setting) {
    return Follow(inner->SetXonXoff(setting));
}

int CCtlMonitorPort::DiscardOutput() {
    return Follow(inner->DiscardOutput());
}

int CCtlMonitorPort::DiscardInput() {
    FlushReceived();
    return Follow(inner->DiscardInput());
}

const char* CCtlMonitorPort::StatusText(int code) const {
    return inner->StatusText(code);
}
