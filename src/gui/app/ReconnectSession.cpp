#include "app/ReconnectSession.h"

#include <QString>

#include "sequences/Reconnect.h"
#include "widgets/IdlePump.h"
#include "widgets/Prompts.h"

namespace {
constexpr char kNoAnswer[] =
    "Controller %c did not answer at %ld baud.\nPress F5 (Ping) to search the line.";
}

int CReconnectSession::Execute() {
    int answered = 0;
    {
        CBusyScope busy;
        answered = ReconnectSelected(*Link(), *Table());
    }
    if (!answered) {
        Prompts().Message(
            Owner(), QString::asprintf(kNoAnswer, static_cast<char>((*Table())[0][0]), BaudRate()),
            PromptIcon::kExclamation, PromptButtons::kOk);
    }
    return answered;
}
