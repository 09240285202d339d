#pragma once
// Trying the edited PSF out from the PSF dialog: Execute... runs it on the controller as a
// temporary PSF and shows the measurement values, Null/Span adjusts the analog outputs live.
// Both return 1 when the command ran to its end, 0 when it stopped on a refusal or failure
// (the operator has been told).

class CPsfTrial;

int ExecutePsf(CPsfTrial& dialog);      // the Execute... button
int AdjustNullSpan(CPsfTrial& dialog);  // the Null/Span button
