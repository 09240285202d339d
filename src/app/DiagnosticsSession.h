#pragma once
// The Diagnostics command: the diagnostics of the selected controller are read with every
// known controller suspended and the port flushed.

#include "app/ServiceSession.h"

class CDiagnosticsSession : public CServiceSession {
public:
    using CServiceSession::CServiceSession;

protected:
    int Execute() override;
};
