#include "app/EditPsfSession.h"

int CEditPsfSession::Execute() {
    SuspendKnownControllers(PortFlush::kKeep);
    ResumeKnownControllers();
    return 1;
}
