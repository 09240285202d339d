#include "sequences/ServiceBracket.h"

#include <string>
#include <vector>

#include "protocol/ControllerLink.h"
#include "protocol/SearchProgress.h"
#include "serial/Clock.h"

void SuspendForService(CControllerLink& link, const ControllerTable& table, PortFlush flush) {
    link.SuspendKnown(&table);
    DelayMs(kSettleMs);
    if (flush == PortFlush::kDiscard) {
        link.FlushBuffers();
    }
}

void ResumeAfterService(CControllerLink& link, const ControllerTable& table) {
    link.ResumeKnown(&table);
}

void SearchLine(CControllerLink& link, ControllerTable& table, CSearchProgress* progress) {
    table = ControllerTable{};
    link.SuspendAll(kBroadcastPauseMs);
    if (progress != nullptr) {
        progress->Suspended();
    }
    DelayMs(kSettleMs);
    link.FindControllers(&table, progress);
}

std::string RatesNotSetText(const CControllerLink& link) {
    std::vector<std::string> rates;
    for (int index = 0; index < kSearchedBaudIndexes; ++index) {
        if ((link.RatesNotSet() & (1u << index)) != 0) {
            rates.push_back(std::to_string(CControllerLink::BaudRateOf(index)));
        }
    }
    if (rates.empty()) {
        return {};
    }
    // "9600", "9600 and 19200", "9600, 19200 and 38400"
    std::string named = rates[0];
    for (size_t i = 1; i < rates.size(); ++i) {
        named += (i + 1 == rates.size() ? " and " : ", ") + rates[i];
    }
    return "The device server did not change the line's rate to " + named +
           " baud: no controller was searched at " +
           (rates.size() == 1 ? "that rate." : "those rates.");
}

void SearchAgain(CControllerLink& link, ControllerTable& table, CSearchProgress* progress) {
    table = ControllerTable{};
    if (progress != nullptr) {
        progress->Suspended();
    }
    link.FindControllers(&table, progress);
}

void EndSearch(CControllerLink& link, const ControllerTable& table) {
    link.ResumeKnown(&table);
    link.ResumeAll(kBroadcastPauseMs);
}

CLineHold::CLineHold(CControllerLink& link, const ControllerTable& table, LineKnown known,
                     PortFlush flush)
    : link(link), table(table), known(known) {
    if (known == LineKnown::kFromTable) {
        SuspendForService(link, table, flush);
        return;
    }
    link.SuspendAll(kBroadcastPauseMs);
    DelayMs(kSettleMs);
    if (flush == PortFlush::kDiscard) {
        link.FlushBuffers();
    }
}

CLineHold::~CLineHold() {
    if (known == LineKnown::kFromTable) {
        ResumeAfterService(link, table);
    } else {
        link.ResumeAll(kBroadcastPauseMs);
    }
}
