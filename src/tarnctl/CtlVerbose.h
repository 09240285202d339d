#pragma once
// tarnctl -v: every exchange on the line printed to standard error as it happens, a line
// for the request ("> " in hex, in words, at its rate) and one for the reply ("< " in hex
// and what became of it), from the same line tap and words as the program's line monitor.

#include <ostream>

#include "protocol/LineTap.h"

class CCtlVerbose final : public CLineObserver {
public:
    explicit CCtlVerbose(std::ostream& log);

    void OnExchange(const CLineExchange& exchange) override;
    void OnVerdictChanged(LineVerdict verdict) override;

private:
    std::ostream& log;
    CLineExchange last;
    CScopedLineObserver installed{this};
};
