// The controller commands without a data record: null/span, alignment mode, scans,
// part number, suspend and resume. Each is one transaction on the link.

#include "protocol/Checksum16.h"
#include "protocol/ControllerLink.h"
#include "protocol/ScanReply.h"
#include "serial/Clock.h"

namespace {

constexpr char kAcknowledge = 'K';
constexpr uint32_t kScanPauseMs = 50;
constexpr int kScanAttempts = 3;
constexpr unsigned kScanRequestLength = 3;  // 0xF8, ID, 'S': the scan request has no CR
constexpr unsigned kNullSpanReplyLength = 12;
constexpr unsigned kNullSpanRequestLength = 8;
constexpr unsigned kPartNumberRequestLength = 12;

CExchange Acknowledged(unsigned requestLength, long readLimitMs, bool flushFirst) {
    CExchange exchange;
    exchange.requestLength = requestLength;
    exchange.flushFirst = flushFirst;
    exchange.replyLength = 4;
    exchange.readLimitMs = readLimitMs;
    return exchange;
}

}  // namespace

int CControllerLink::RunAcknowledged(unsigned requestLength, long readLimitMs, bool flushFirst) {
    return Transact(Acknowledged(requestLength, readLimitMs, flushFirst)) &&
                   CheckReply(id, kAcknowledge)
               ? 1
               : 0;
}

int CControllerLink::InputNullSpan(int values[4]) {
    if (!BuildRequest(id, 'A')) {
        return 0;
    }
    CExchange exchange;
    exchange.flushFirst = true;
    exchange.replyLength = kNullSpanReplyLength;
    exchange.readLimitMs = 1000;
    if (!Transact(exchange) || !CheckFrame(id, 'N', kNullSpanReplyLength)) {
        return 0;
    }
    for (int i = 0; i < 4; ++i) {
        values[i] = GetBigEndian16(&reply[static_cast<size_t>(3 + 2 * i)]);
    }
    return 1;
}

int CControllerLink::OutputNullSpan(char command, const int values[4]) {
    // This frame overwrites its own 8 bytes only; the rest of the buffer is not zeroed.
    if (busy) {
        return 0;
    }
    const bool nulls = command == 'n';
    request[0] = kRequestStart;
    request[1] = static_cast<unsigned char>(id);
    request[2] = static_cast<unsigned char>(command);
    PutBigEndian16(&request[3], static_cast<uint32_t>(nulls ? values[0] : values[1]));
    PutBigEndian16(&request[5], static_cast<uint32_t>(nulls ? values[2] : values[3]));
    request[7] = kRequestEnd;
    return RunAcknowledged(kNullSpanRequestLength, 1000, false);
}

int CControllerLink::EndNullSpan(char command) {
    if (!BuildRequest(id, command)) {
        return 0;
    }
    return RunAcknowledged(4, 1000, true);
}

int CControllerLink::EnterAlignmentMode() {
    if (!BuildRequest(id, 'a')) {
        return 0;
    }
    return RunAcknowledged(4, 250, false);
}

int CControllerLink::ExitAlignmentMode() {
    if (!BuildRequest(id, 'x')) {
        return 0;
    }
    return RunAcknowledged(4, 1000, false);
}

int CControllerLink::InputScan(CScanReply& scan) {
    if (busy) {
        return 0;
    }
    DelayMs(kScanPauseMs);
    if (!BuildRequest(id, 'S')) {
        return 0;
    }
    CExchange exchange;
    exchange.requestLength = kScanRequestLength;
    exchange.replyLength = static_cast<unsigned>(scan.ExpectedLength());
    exchange.readLimitMs = 1000;
    for (int attempt = 0; attempt < kScanAttempts; ++attempt) {
        if (Transact(exchange)) {
            const bool taken = scan.Parse(reply.data(), static_cast<int>(replyCount)) != 0;
            return ReportDecoded(taken) ? 1 : 0;
        }
        FlushBuffers();
    }
    return 0;
}

int CControllerLink::OutputPartNumber(uint32_t partNumber, uint16_t dateCode) {
    if (!BuildRequest(id, 'W')) {
        return 0;
    }
    PutBigEndian32(&request[3], partNumber);
    PutBigEndian16(&request[7], dateCode);
    PutBigEndian16(&request[9], Checksum16(&request[3], 6));
    request[11] = kRequestEnd;
    return RunAcknowledged(kPartNumberRequestLength, 1000, true);
}

int CControllerLink::SendWithoutReply(char frameId, char command, long waitMs) {
    if (!BuildRequest(frameId, command)) {
        return 0;
    }
    CExchange exchange;
    if (!Transact(exchange)) {
        return 0;
    }
    if (waitMs > 0) {
        DelayMs(static_cast<uint32_t>(waitMs));
    }
    return 1;
}

int CControllerLink::Suspend(char frameId, long waitMs) {
    return SendWithoutReply(frameId, 'V', waitMs);
}

int CControllerLink::Resume(char frameId, long waitMs) {
    return SendWithoutReply(frameId, 'v', waitMs);
}
