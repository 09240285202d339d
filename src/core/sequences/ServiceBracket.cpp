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

CServiceBracket::CServiceBracket(CControllerLink& link, const ControllerTable& table,
                                 PortFlush flush)
    : link(link), table(table) {
    SuspendForService(link, table, flush);
}

CServiceBracket::~CServiceBracket() {
    ResumeAfterService(link, table);
}
