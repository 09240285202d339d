// The controller commands that carry a data record: the PSF image, the blanking
// fields and the diagnostics reply.

#include <algorithm>

#include "protocol/Checksum16.h"
#include "protocol/ControllerLink.h"
#include "protocol/Diagnostics.h"
#include "records/BlankingMap.h"
#include "records/Psf.h"

namespace {

constexpr unsigned kPsfFrameLength = 3 + kPsfImageSize + 1;  // 46
constexpr unsigned char kPsfRequestEnd = 0x0E;               // not CR: the controller expects it
constexpr unsigned kBlankingFrameLength = 3 + kBlankingBlockSize + 1;  // 102
constexpr unsigned kDiagnosticsMinLength = 12;
constexpr unsigned kDiagnosticsMaxLength = 108;
constexpr uint32_t kBlankingReplyPauseMs = 100;

}  // namespace

int CControllerLink::OutputPsf(CPsf& psf) {
    if (!BuildRequest(id, 'C')) {
        return 0;
    }
    psf.Pack();
    std::copy_n(psf.Image(), kPsfImageSize, &request[3]);
    request[kPsfFrameLength - 1] = kPsfRequestEnd;
    return RunAcknowledged(kPsfFrameLength, 500, true);
}

int CControllerLink::InputPsf(CPsf& psf) {
    if (!BuildRequest(id, 'G')) {
        return 0;
    }
    CExchange exchange;
    exchange.flushFirst = true;
    exchange.replyLength = kPsfFrameLength;
    exchange.readLimitMs = 1000;
    if (!Transact(exchange) || !CheckFrame(id, 'H', kPsfFrameLength)) {
        return 0;
    }
    if (!psf.Unpack(&reply[3])) {
        ReportVerdict(LineVerdict::kChecksumWrong);
        return 0;
    }
    return 1;
}

int CControllerLink::InputDiagnostics(CDiagnostics& diagnostics, int receiver) {
    if (!BuildRequest(id, receiver == 0 ? 'I' : 'J')) {
        return 0;
    }
    CExchange exchange;
    exchange.replyLength = kDiagnosticsMaxLength;
    exchange.readLimitMs = 1000;
    exchange.minReplyLength = kDiagnosticsMinLength;
    if (!Transact(exchange)) {
        return 0;
    }
    const bool taken = diagnostics.Decode(reply.data(), static_cast<int>(replyCount)) != 0;
    return ReportDecoded(taken) ? 1 : 0;
}

int CControllerLink::InputBlankingFields(CBlankingMap& map) {
    if (!BuildRequest(id, 'b')) {
        return 0;
    }
    CExchange exchange;
    exchange.replyLength = kBlankingFrameLength;
    exchange.readLimitMs = 1000;
    exchange.pauseAfterWriteMs = kBlankingReplyPauseMs;
    if (!Transact(exchange) || !CheckFrame(id, 'd', kBlankingFrameLength)) {
        return 0;
    }
    // The checksum is tested before the map is touched, so a corrupted reply never
    // replaces the caller's blanking.
    if (!map.ReadBlock(&reply[3])) {
        ReportVerdict(LineVerdict::kChecksumWrong);
        return 0;
    }
    return 1;
}

int CControllerLink::OutputBlankingFields(const CBlankingMap& map) {
    if (!BuildRequest(id, 'B')) {
        return 0;
    }
    map.WriteBlock(&request[3]);
    request[kBlankingFrameLength - 1] = kRequestEnd;
    return RunAcknowledged(kBlankingFrameLength, 1000, false);
}
