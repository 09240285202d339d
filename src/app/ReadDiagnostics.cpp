#include "app/ReadDiagnostics.h"

#include <QString>

#include "protocol/DiagnosticsRead.h"
#include "ui/IdlePump.h"
#include "ui/Prompts.h"

int ReadBothDiagnostics(CControllerLink& link, CDiagnostics& emitter, CDiagnostics& receiver,
                        QWidget* owner, const char* messageTail) {
    const char* failure = nullptr;
    {
        // The message box must come after the busy scope: held input would not reach it.
        CBusyScope busy;
        failure = ReadDiagnosticsPair(link, emitter, receiver);
    }
    if (failure == nullptr) {
        return 1;
    }
    Prompts().Message(owner, QString::fromLatin1(failure) + QString::fromLatin1(messageTail),
                      PromptIcon::kExclamation, PromptButtons::kOk);
    return 0;
}
