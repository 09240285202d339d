#pragma once
// The Set Part Number command: part number and date code are written into the selected
// controller with every known controller suspended and the port flushed.

#include "app/ServiceSession.h"

class CPartNumberSession : public CServiceSession {
public:
    using CServiceSession::CServiceSession;

protected:
    int Execute() override;
};
