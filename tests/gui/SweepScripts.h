#pragma once
// The operator's scripts for the fault sweep and the re-entrancy runs: every controller
// command of the main menu with each button of its dialogs, one script per button.

#include <vector>

#include "FaultSweep.h"

// The scripts, in menu order: Ping, Edit PSF (with Execute and Null/Span), Diagnostics,
// Alignment, Set Part Number. They record on the rig the PSFs the operator sends.
std::vector<SweepScript> MenuScripts();
