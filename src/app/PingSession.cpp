#include "app/PingSession.h"

#include <memory>

#include "app/PingDlg.h"
#include "app/SearchNoticeDlg.h"
#include "protocol/ServiceBracket.h"
#include "ui/IdlePump.h"

int CPingSession::Execute() {
    ControllerTable& table = *Table();
    {
        // The notice is painted before the search blocks the event loop, and removed
        // after the busy state ends.
        const CSearchNoticeDlg notice(Owner());
        table = ControllerTable{};
        CBusyScope busy;
        SearchLine(*Link(), table);
    }
    {
        CPingDlg dialog(&table, this, Owner());
        dialog.exec();
    }
    CBusyScope busy;
    EndSearch(*Link(), table);
    return 1;
}
