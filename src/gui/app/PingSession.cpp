#include "app/PingSession.h"

#include "app/PingDlg.h"
#include "app/SearchNoticeDlg.h"
#include "sequences/ServiceBracket.h"
#include "widgets/IdlePump.h"

int CPingSession::Execute() {
    ControllerTable& table = *Table();
    const bool complete = SearchWithNotice(
        Owner(), [&](CSearchProgress& progress) { SearchLine(*Link(), table, &progress); });
    {
        CPingDlg dialog(&table, this, complete, Owner());
        dialog.exec();
    }
    CBusyScope busy;
    EndSearch(*Link(), table);
    return 1;
}
