#pragma once
// CControllerNotes: what the controllers last reported in this run, as seen on the line:
// the last pair of diagnostics replies (emitter, then receiver) and the last PSF read
// from or accepted by a controller, each with the controller's ID and the time. It only
// listens to the exchanges that commands run; it never sends anything itself.

#include <ctime>
#include <string>
#include <vector>

#include "protocol/Diagnostics.h"
#include "protocol/LineTap.h"
#include "records/Psf.h"

struct CDiagnosticsNote {
    char id = 0;  // 0 while none was read
    std::time_t at = 0;
    CDiagnostics emitter;
    CDiagnostics receiver;
};

struct CPsfNote {
    char id = 0;  // 0 while none was read or sent
    bool sent = false;
    std::time_t at = 0;
    CPsf psf;
};

class CControllerNotes final : public CLineObserver {
public:
    CControllerNotes();

    void OnExchange(const CLineExchange& exchange) override;
    void OnVerdictChanged(LineVerdict verdict) override;

    // Takes the last exchange into the notes once its verdict is final: when the next
    // one comes, or when a command has ended and the notes are read.
    void Commit();
    CDiagnosticsNote& Diagnostics() { return diagnostics; }
    const CPsfNote& Psf() const { return psf; }

private:
    CLineExchange last;
    bool pending = false;
    CDiagnostics emitterRead;  // waits for the receiver's reply of the same controller
    char emitterId = 0;
    CDiagnosticsNote diagnostics;
    CPsfNote psf;
    CScopedLineObserver tap;
};

// The PSF in words: control mode, scanning method, measurements and outputs, a line each.
std::vector<std::string> DescribePsf(const CPsf& psf);
