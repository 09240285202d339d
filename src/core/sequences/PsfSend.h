#pragma once
// Sending a PSF into the selected controller, as Send PSF does: a new ID must be free on
// the line, and once the controller has taken the PSF, the controller table, the
// selection and the link follow it to its new ID and rate. Also the sending back of a
// controller's previous PSF after a trial.

#include <functional>
#include <string>

#include "protocol/ControllerTable.h"

class CControllerLink;
class CPsf;

inline constexpr const char* kPsfAccepted = "PSF Accepted";
inline constexpr const char* kPsfNotAccepted = "PSF Not Accepted";
inline constexpr const char* kPsfNotReceived = "PSF Was Not Received";
inline constexpr const char* kPsfNotUploaded = "Unable to Upload PSF";
inline constexpr const char* kPsfFileNotCompatible = "This File is Not Compatible.";

// True when the controller selected in table may be given psf's ID: it is its own, or
// no controller answers to it at the link's rate.
bool NewIdIsFree(CControllerLink& link, const ControllerTable& table, const CPsf& psf);
// The refusal of a new ID that another controller already answers to.
std::string IdTakenText(int selectedId, int newId);

enum class PsfSendResult { kIdTaken, kNotAccepted, kAccepted };

// Sends psf to the controller selected in table (row 0). After kAccepted, the table entry
// has moved to psf's ID and baud index, row 0 selects it, and the link addresses that ID
// at that rate.
PsfSendResult SendPsf(CControllerLink& link, ControllerTable& table, CPsf& psf);

// Sends psf, a controller's previous PSF, back to it; a second time, a second later, when
// the first was not acknowledged, so that one lost or spoilt frame does not leave the
// controller with a trial PSF. beforeRetry, when given, runs before the second try, e.g.
// to address the controller where the first try could not reach it. Pauses a second
// after an accepted one. 1 when accepted.
int SendPsfBack(CControllerLink& link, CPsf& psf, const std::function<void()>& beforeRetry = {});
