#include "app/PartNumberSession.h"

int CPartNumberSession::Execute() {
    SuspendKnownControllers(PortFlush::kDiscard);
    ResumeKnownControllers();
    return 1;
}
