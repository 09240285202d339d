#pragma once
// The Alignment command: the beams of the selected controller are aligned with every
// known controller suspended and the port flushed.

#include "app/ServiceSession.h"

class CAlignmentSession : public CServiceSession {
public:
    using CServiceSession::CServiceSession;

protected:
    int Execute() override;
};
