#pragma once
// The Alignment command: with every known controller suspended and the port flushed, it
// checks that the selected controller's sensor is operational, reads its blanking, puts
// it into alignment mode and runs the alignment dialog; afterwards the controller leaves
// alignment mode and the line is resumed, whatever happened in between.

#include "app/ServiceSession.h"

class CAlignmentSession : public CServiceSession {
public:
    using CServiceSession::CServiceSession;

protected:
    // 0 when the diagnostics could not be read or the sensor is not operational; 1 once
    // that check passed, also when a later step failed (the operator has been told).
    int Execute() override;

private:
    void Tell(const char* text);
};
