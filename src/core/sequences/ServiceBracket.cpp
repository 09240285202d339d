#include "sequences/ServiceBracket.h"

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
