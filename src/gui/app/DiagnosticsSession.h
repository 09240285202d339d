#pragma once
// The Diagnostics command: with every known controller suspended and the port flushed,
// the emitter's and the receiver's diagnostics of the selected controller are read and,
// when both answered, shown in the diagnostics dialog, which can read them again.

#include "app/ServiceSession.h"
#include "protocol/Diagnostics.h"

class CDiagnosticsSession : public CServiceSession {
public:
    using CServiceSession::CServiceSession;

    // Reads both records again; a failure is told over the owner. 1 when both answered.
    int ReadBothDiagnostics();
    // The records as last read; the dialog shows them whatever the last read gave.
    CDiagnostics& Emitter() { return emitter; }
    CDiagnostics& Receiver() { return receiver; }

protected:
    // 1 when the dialog was shown, 0 when the diagnostics could not be read.
    int Execute() override;

private:
    CDiagnostics emitter;
    CDiagnostics receiver;
};
