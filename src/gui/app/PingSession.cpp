#include "app/PingSession.h"

#include "app/PingDlg.h"
#include "app/SearchNoticeDlg.h"
#include "sequences/LostConnection.h"
#include "sequences/ServiceBracket.h"
#include "widgets/IdlePump.h"
#include "widgets/Prompts.h"

int CPingSession::Execute() {
    ControllerTable& table = *Table();
    const bool complete = SearchWithNotice(
        Owner(), [&](CSearchProgress& progress) { SearchLine(*Link(), table, &progress); });
    // A search cut short by a lost connection found an unknown part of the line: it
    // lists nothing, and Run tells the loss.
    if (NetworkConnectionLost(*Link())) {
        table = ControllerTable{};
        return 0;
    }
    // The list that follows lacks the rates the device server did not set.
    const std::string ratesNotSet = RatesNotSetText(*Link());
    if (!ratesNotSet.empty()) {
        Prompts().Message(Owner(), QString::fromStdString(ratesNotSet), PromptIcon::kExclamation,
                          PromptButtons::kOk);
    }
    {
        CPingDlg dialog(&table, this, complete, Owner());
        dialog.exec();
    }
    CBusyScope busy;
    EndSearch(*Link(), table);
    return 1;
}
