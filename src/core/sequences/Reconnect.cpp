#include "sequences/Reconnect.h"

#include "protocol/ControllerLink.h"
#include "serial/Clock.h"

namespace {
constexpr uint32_t kSettleMs = 250;  // the line falls silent after the suspends
}

int ReconnectSelected(CControllerLink& link, const ControllerTable& table) {
    const int restoreIndex = link.GetBaudIndex();
    link.SuspendKnown(&table);
    DelayMs(kSettleMs);
    link.SetBaudIndex(table[0][1]);
    const int answered = link.Ping(static_cast<char>(table[0][0])) == kFoundMarker ? 1 : 0;
    link.SetBaudIndex(restoreIndex);
    link.ResumeKnown(&table);
    return answered;
}
