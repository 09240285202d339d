#pragma once
// The controller sessions of tarnctl, each as the program's own command runs it on the
// line. The command holds the whole line quiet around them (CLineHold, or the search's
// own suspend and resume); a session only talks to the selected controller. Each answers
// 1 on success; a failure has been told with the controller and the step.

#include <string>

#include "CtlLine.h"

class CBlankingMap;
class CDiagnostics;
class CPsf;

// Reads the controller's PSF (the PSF dialog's upload).
int ReadPsfSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target, CPsf& psf);

// Sends psf as Send PSF does, after the upload with which the PSF dialog opens. The
// table and link follow the controller to psf's ID and rate; *moved tells where it is.
int PutPsfSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target, CPsf& psf,
                  CtlTarget* moved);

// Reads both diagnostics of the controller.
int DiagnosticsSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                       CDiagnostics& emitter, CDiagnostics& receiver);

// The alignment session with the dialog's Save To File: the controller's blanking goes
// to the BFS file at path. emitter and receiver hold the diagnostics it began with.
int GetBlankingSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                       const std::string& path, CDiagnostics& emitter, CDiagnostics& receiver);

// The alignment session with the dialog's Read From File: the BFS file at path goes to
// the controller; a file that blanks channels the controller lacks is refused.
int PutBlankingSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                       const std::string& path);

// Gives the controller back a backup's psf and map (either may be nullptr). With a map,
// the controller's diagnostics are read first, and one that is not Operational or lacks
// channels the map blanks is refused before its PSF is sent; once the PSF is sent, the
// map follows whatever stop was asked for meanwhile.
int RestoreSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target, CPsf* psf,
                   const CBlankingMap* map);

// "C@19200: step: text", told on standard error.
void TellFailure(const CtlContext& context, const CtlTarget& target, const char* step,
                 const std::string& text);
