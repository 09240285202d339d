#include "CtlVerbose.h"

#include "protocol/LineWords.h"

CCtlVerbose::CCtlVerbose(std::ostream& log) : log(log) {}

void CCtlVerbose::OnExchange(const CLineExchange& exchange) {
    last = exchange;
    log << "> " << HexBytes(exchange.request.data(), exchange.request.size()) << "  ("
        << DescribeRequest(exchange.request.data(), exchange.request.size()) << ") @"
        << exchange.baud << '\n';
    if (exchange.expected > 0 || !exchange.reply.empty()) {
        log << "< " << HexBytes(exchange.reply.data(), exchange.reply.size()) << "  ("
            << DescribeVerdict(exchange) << ")\n";
    }
}

void CCtlVerbose::OnVerdictChanged(LineVerdict verdict) {
    last.verdict = verdict;
    log << "  (" << DescribeVerdict(last) << ")\n";
}
