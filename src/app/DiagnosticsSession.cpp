#include "app/DiagnosticsSession.h"

int CDiagnosticsSession::Execute() {
    SuspendKnownControllers(PortFlush::kDiscard);
    ResumeKnownControllers();
    return 1;
}
