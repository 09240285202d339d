#include "app/ReadDiagnostics.h"

#include <QString>

#include "sequences/DiagnosticsRead.h"
#include "widgets/IdlePump.h"
#include "widgets/Prompts.h"

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
