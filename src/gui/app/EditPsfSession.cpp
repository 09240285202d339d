#include "app/EditPsfSession.h"

#include "psf/PsfDlg.h"

int CEditPsfSession::Execute() {
    SuspendKnownControllers(PortFlush::kKeep);
    {
        CPsfDlg dialog(*Table(), *this, Owner());
        dialog.exec();
    }
    ResumeKnownControllers();
    return 1;
}
