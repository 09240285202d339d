#include "app/DiagnosticsSession.h"

#include "alignment/DiagnosticsDlg.h"
#include "app/ReadDiagnostics.h"

int CDiagnosticsSession::ReadBothDiagnostics() {
    return ::ReadBothDiagnostics(*Link(), emitter, receiver, Owner());
}

int CDiagnosticsSession::Execute() {
    SuspendKnownControllers(PortFlush::kDiscard);
    int shown = 0;
    if (ReadBothDiagnostics()) {
        CDiagnosticsDlg dialog(Owner(), this);
        dialog.exec();
        shown = 1;
    }
    ResumeKnownControllers();
    return shown;
}
