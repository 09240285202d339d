#include "app/PingSession.h"

#include <memory>

#include "app/PingDlg.h"
#include "app/SearchNoticeDlg.h"
#include "serial/Clock.h"
#include "ui/IdlePump.h"

namespace {
constexpr long kSuspendPauseMs = 160;  // after each broadcast suspend
}

int CPingSession::Execute() {
    ControllerTable& table = *Table();
    {
        // The notice is painted before the search blocks the event loop, and removed
        // after the busy state ends.
        CSearchNoticeDlg notice(Owner());
        table = ControllerTable{};
        CBusyScope busy;
        // Cancel and Esc reach the notice while the line is busy.
        const CPumpTargetScope target(&notice);
        Link()->SuspendAll(kSuspendPauseMs);
        notice.Suspended();
        DelayMs(kSettleMs);
        Link()->FindControllers(&table, &notice);
    }
    {
        CPingDlg dialog(&table, this, Owner());
        dialog.exec();
    }
    ResumeKnownControllers();
    {
        // A controller that heard the broadcast suspend but whose answer to the search
        // was lost is missing from the table: only a broadcast resume reaches it.
        CBusyScope busy;
        Link()->ResumeAll(kSuspendPauseMs);
    }
    return 1;
}
