#pragma once
// Reading the emitter's and the receiver's diagnostics of the selected controller, as the
// Diagnostics and Alignment commands both begin: the emitter first, the receiver only
// when the emitter answered.

class CControllerLink;
class CDiagnostics;
class QWidget;

// Reads the emitter's diagnostics into emitter, then the receiver's into receiver; a
// failed emitter read leaves receiver as it was. The reads run busy (wait cursor, input
// held), so call it outside any busy scope: a failure is then told over owner with
// "Error Reading VARN Emitter Diagnostics." or "Error Reading VARN Receiver
// Diagnostics.", followed by messageTail. Answers 1 only when both reads succeeded.
int ReadBothDiagnostics(CControllerLink& link, CDiagnostics& emitter, CDiagnostics& receiver,
                        QWidget* owner, const char* messageTail = "");
