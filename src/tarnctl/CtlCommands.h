#pragma once
// tarnctl's commands. Each takes the parsed command line and answers the exit status.

#include <string>

#include "CtlLine.h"

class CDiagnostics;

int SearchCommand(const CtlContext& context);
int PsfCommand(const CtlContext& context);
int DiagCommand(const CtlContext& context);
int PartNumberCommand(const CtlContext& context);
int BlankingCommand(const CtlContext& context);
int ScanCommand(const CtlContext& context);
int BackupCommand(const CtlContext& context);
int RestoreCommand(const CtlContext& context);

// Both diagnostics in the diagnostics view's words, or as JSON.
std::string DiagnosticsReport(CDiagnostics& emitter, CDiagnostics& receiver, bool json);

// The operand at index as a controller address. 0, told as a usage error with usage,
// when it is not one or the command has not exactly operandCount operands.
int TargetOperand(const CtlContext& context, size_t index, size_t operandCount, const char* usage,
                  CtlTarget* target);
// Tells a usage error with a pointer to the command's help; answers kExitUsage.
int UsageError(const CtlContext& context, const std::string& text);
