#include "app/AlignmentSession.h"

int CAlignmentSession::Execute() {
    SuspendKnownControllers(PortFlush::kDiscard);
    ResumeKnownControllers();
    return 1;
}
