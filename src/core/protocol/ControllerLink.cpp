#include "protocol/ControllerLink.h"

#include <algorithm>
#include <array>
#include <utility>

#include "serial/Clock.h"

namespace {

constexpr long kBaudRates[kBaudRateCount] = {9600, 19200, 38400, 57600};
// The line counts as quiet after this long without a byte (some twenty bytes at 9600
// baud); draining it never takes longer than the longest reply time limit.
constexpr long kQuietMs = 20;
constexpr uint32_t kMaxDrainMs = 1000;

// Marks the link busy for the length of one transaction.
class CBusyScope {
public:
    explicit CBusyScope(bool& flag) : flag(flag) { flag = true; }
    ~CBusyScope() { flag = false; }
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

private:
    bool& flag;
};

}  // namespace

CControllerLink::CControllerLink(std::unique_ptr<RS232> port, char id)
    : port(std::move(port)), reply(kReplyBufferSize, 0), request(kRequestBufferSize, 0), id(id) {}

CControllerLink::~CControllerLink() = default;

int CControllerLink::ReopenLostPort() {
    if (!reopen || busy) {
        return 0;
    }
    std::unique_ptr<RS232> fresh = reopen(port->Current().baud);
    if (fresh == nullptr || fresh->Status() != kSuccess) {
        // A server that cannot be reached now is not tried again by every closing step of
        // the command, each waiting out the connect limit anew.
        reopen = nullptr;
        return 0;
    }
    if (mendedLoss.empty()) {
        mendedLoss = port->StatusText(kDeviceGone);
    }
    port = std::move(fresh);
    // Nothing of the old connection's exchanges is still on its way over the new one.
    outOfStep = false;
    return 1;
}

int CControllerLink::FlushInput() {
    if (!busy) {
        port->DiscardInput();
    }
    return 1;
}

int CControllerLink::FlushBuffers() {
    if (busy) {
        return 0;
    }
    port->DiscardInput();
    port->DiscardOutput();
    return 1;
}

int CControllerLink::SetBaudIndex(int index) {
    if (busy || index < 0 || index >= kBaudRateCount) {
        return 0;
    }
    return port->Configure(BaudRateOf(index), -1, -1, -1) == 0 ? 1 : 0;
}

int CControllerLink::GetBaudIndex() const {
    const long* found =
        std::find(std::begin(kBaudRates), std::end(kBaudRates), port->Current().baud);
    return found == std::end(kBaudRates) ? 0 : static_cast<int>(found - std::begin(kBaudRates));
}

long CControllerLink::BaudRateOf(int index) {
    return index >= 0 && index < kBaudRateCount ? kBaudRates[index] : kBaudRates[0];
}

bool CControllerLink::BuildRequest(char frameId, char command) {
    if (busy) {
        return false;
    }
    std::fill(request.begin(), request.end(), 0);
    request[0] = kRequestStart;
    request[1] = static_cast<unsigned char>(frameId);
    request[2] = static_cast<unsigned char>(command);
    request[3] = kRequestEnd;
    return true;
}

bool CControllerLink::CheckReply(char frameId, char letter) const {
    return CheckFrame(frameId, letter, 4);
}

bool CControllerLink::CheckFrame(char frameId, char letter, unsigned length) const {
    const bool whole = length >= 4 && length <= kReplyBufferSize && reply[0] == kReplyStart &&
                       reply[1] == static_cast<unsigned char>(frameId) &&
                       reply[2] == static_cast<unsigned char>(letter) &&
                       reply[length - 1] == kReplyEnd;
    if (!whole) {
        ReportVerdict(LineVerdict::kWrongReply);
    }
    return whole;
}

bool CControllerLink::Transact(const CExchange& exchange) {
    if (busy) {
        return false;
    }
    if (LineObservers().empty()) {
        observedVerdict = LineVerdict::kSent;
        return RunTransaction(exchange);
    }
    const uint32_t start = TickCount();
    const bool accepted = RunTransaction(exchange);
    const CLineExchange observed = Observed(exchange, start, accepted);
    observedVerdict = observed.verdict;
    // A copy of the list: an observer may remove itself (a window closed meanwhile).
    for (CLineObserver* observer : std::vector<CLineObserver*>(LineObservers())) {
        observer->OnExchange(observed);
    }
    return accepted;
}

CLineExchange CControllerLink::Observed(const CExchange& exchange, uint32_t startTick,
                                        bool accepted) const {
    CLineExchange observed;
    observed.startTick = startTick;
    observed.baud = port->Current().baud;
    observed.request.assign(request.begin(),
                            request.begin() + std::min(exchange.requestLength, kRequestBufferSize));
    observed.reply.assign(reply.begin(), reply.begin() + replyCount);
    observed.expected =
        exchange.minReplyLength != 0 ? exchange.minReplyLength : exchange.replyLength;
    if (!sent) {
        observed.verdict = LineVerdict::kNotSent;
    } else if (exchange.replyLength == 0) {
        observed.verdict = LineVerdict::kSent;
    } else if (replyCount == 0) {
        observed.verdict = LineVerdict::kNoAnswer;
    } else if (!accepted) {
        observed.verdict = LineVerdict::kShort;
    } else if (outOfStep) {
        observed.verdict = LineVerdict::kOutOfStep;
    }
    observed.inputLost = port->InputOverflowFlag(1) == 1;
    return observed;
}

void CControllerLink::ReportVerdict(LineVerdict verdict) const {
    if (observedVerdict != LineVerdict::kAnswered) {
        return;
    }
    observedVerdict = verdict;
    for (CLineObserver* observer : std::vector<CLineObserver*>(LineObservers())) {
        observer->OnVerdictChanged(verdict);
    }
}

bool CControllerLink::ReportDecoded(bool taken) const {
    if (observedVerdict != LineVerdict::kAnswered && observedVerdict != LineVerdict::kOutOfStep) {
        return taken;
    }
    const LineVerdict verdict = taken ? LineVerdict::kAnswered : LineVerdict::kUnreadable;
    if (verdict != observedVerdict) {
        observedVerdict = verdict;
        for (CLineObserver* observer : std::vector<CLineObserver*>(LineObservers())) {
            observer->OnVerdictChanged(verdict);
        }
    }
    return taken;
}

bool CControllerLink::RunTransaction(const CExchange& exchange) {
    CBusyScope scope(busy);
    replyCount = 0;
    sent = false;
    if (exchange.flushFirst) {
        port->DiscardInput();
    } else if (outOfStep) {
        DrainInput();
    }
    outOfStep = false;
    if (port->Write(request.data(), exchange.requestLength, exchange.writeLimitMs) != 0) {
        return false;
    }
    sent = true;
    if (exchange.replyLength == 0) {
        return true;
    }
    DelayMs(exchange.pauseAfterWriteMs);
    const unsigned wanted = std::min(exchange.replyLength, kReplyBufferSize);
    const int result = port->Read(reply.data(), wanted, exchange.readLimitMs);
    replyCount = port->ByteCount();
    const bool accepted = result == 0 || (result == kTimeout && exchange.minReplyLength > 0 &&
                                          replyCount >= exchange.minReplyLength);
    // A reply that did not come whole, or that does not begin and end as every reply does,
    // leaves the line out of step: the rest of it, or a late one, may still be coming.
    outOfStep = !accepted || replyCount == 0 || reply[0] != kReplyStart ||
                reply[replyCount - 1] != kReplyEnd;
    return accepted;
}

void CControllerLink::DrainInput() {
    port->DiscardInput();
    std::array<unsigned char, 64> scratch{};
    const uint32_t start = TickCount();
    do {
        port->Read(scratch.data(), static_cast<unsigned>(scratch.size()), kQuietMs);
    } while (port->ByteCount() > 0 && TicksSince(start) < kMaxDrainMs);
}

int CControllerLink::Ping(char pingId) {
    if (!BuildRequest(pingId, 'P')) {
        return 0;
    }
    CExchange exchange;
    exchange.flushFirst = true;
    exchange.writeLimitMs = 50;
    exchange.replyLength = kReplyBufferSize;  // never comes: the read gathers for the full limit
    exchange.readLimitMs = 200;
    exchange.minReplyLength = 4;
    if (!Transact(exchange) || replyCount < 4) {
        return 0;
    }
    return CheckReply(pingId, 'X') ? kFoundMarker : 0;
}
