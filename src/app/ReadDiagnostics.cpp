#include "app/ReadDiagnostics.h"

#include <QString>

#include "protocol/ControllerLink.h"
#include "protocol/Diagnostics.h"
#include "ui/IdlePump.h"
#include "ui/Prompts.h"

namespace {

constexpr const char* kEmitterFailure = "Error Reading VARN Emitter Diagnostics.";
constexpr const char* kReceiverFailure = "Error Reading VARN Receiver Diagnostics.";

}  // namespace

int ReadBothDiagnostics(CControllerLink& link, CDiagnostics& emitter, CDiagnostics& receiver,
                        QWidget* owner, const char* messageTail) {
    const char* failure = nullptr;
    {
        // The message box must come after the busy scope: held input would not reach it.
        CBusyScope busy;
        if (!link.InputDiagnostics(emitter, kEmitterSide)) {
            failure = kEmitterFailure;
        } else if (!link.InputDiagnostics(receiver, kReceiverSide)) {
            failure = kReceiverFailure;
        }
    }
    if (failure == nullptr) {
        return 1;
    }
    Prompts().Message(owner, QString::fromLatin1(failure) + QString::fromLatin1(messageTail),
                      PromptIcon::kExclamation, PromptButtons::kOk);
    return 0;
}
