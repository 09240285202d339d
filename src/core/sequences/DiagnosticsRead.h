#pragma once
// Reading the emitter's and the receiver's diagnostics of the selected controller, as the
// Diagnostics and Alignment commands both begin: the emitter first, the receiver only
// when the emitter answered.

class CControllerLink;
class CDiagnostics;

inline constexpr const char* kEmitterReadFailure = "Error Reading VARN Emitter Diagnostics.";
inline constexpr const char* kReceiverReadFailure = "Error Reading VARN Receiver Diagnostics.";
inline constexpr const char* kOperational = "Operational";

// Reads the emitter's diagnostics into emitter, then the receiver's into receiver; a
// failed emitter read leaves receiver as it was. Answers nullptr when both were read,
// else the text that tells which read failed.
const char* ReadDiagnosticsPair(CControllerLink& link, CDiagnostics& emitter,
                                CDiagnostics& receiver);
