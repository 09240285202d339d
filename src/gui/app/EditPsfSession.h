#pragma once
// The Edit PSF command: the PSF configuration runs with every known controller
// suspended. The port is not flushed before it.

#include "app/ServiceSession.h"

class CEditPsfSession : public CServiceSession {
public:
    using CServiceSession::CServiceSession;

protected:
    int Execute() override;
};
