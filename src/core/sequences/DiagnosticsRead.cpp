#include "sequences/DiagnosticsRead.h"

#include "protocol/ControllerLink.h"
#include "protocol/Diagnostics.h"

const char* ReadDiagnosticsPair(CControllerLink& link, CDiagnostics& emitter,
                                CDiagnostics& receiver) {
    if (!link.InputDiagnostics(emitter, kEmitterSide)) {
        return kEmitterReadFailure;
    }
    if (!link.InputDiagnostics(receiver, kReceiverSide)) {
        return kReceiverReadFailure;
    }
    return nullptr;
}
