#include "app/PingSession.h"

#include "app/IdlePump.h"
#include "serial/Clock.h"

namespace {
constexpr long kSuspendPauseMs = 160;  // after each broadcast suspend
}

int CPingSession::Execute() {
    ControllerTable& table = *Table();
    table = ControllerTable{};
    {
        CBusyScope busy;
        Link()->SuspendAll(kSuspendPauseMs);
        DelayMs(kSettleMs);
        Link()->FindControllers(&table);
    }
    ResumeKnownControllers();
    return 1;
}
