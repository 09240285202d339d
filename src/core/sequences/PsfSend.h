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

// Why psf may go to no controller at all: it would move the controller to a rate (57600)
// at which this program can no longer reach it. "" when its rate is one of the search's.
std::string PsfRateRefusal(const CPsf& psf);
// Why psf may not go to the controller selected in table, "" when it may: its rate
// (PsfRateRefusal), or its ID at its rate is another controller's. A new ID is pinged at
// the link's rate and, when the rate changes, the PSF's ID also at the new rate, so that
// the controller never lands on one that answers there; an answer is refused with
// IdTakenText. Nothing goes on the line when the rate is refused.
std::string PsfSendRefusal(CControllerLink& link, const ControllerTable& table, const CPsf& psf);
// The refusal of a new ID that another controller already answers to.
std::string IdTakenText(int selectedId, int newId);

enum class PsfSendResult { kRefused, kNotAccepted, kAccepted };

// Sends psf to the controller selected in table (row 0) unless PsfSendRefusal refuses it
// (kRefused, with the refusal in *refusal when given). After kAccepted, the table entry
// has moved to psf's ID and baud index, row 0 selects it, and the link addresses that ID
// at that rate.
PsfSendResult SendPsf(CControllerLink& link, ControllerTable& table, CPsf& psf,
                      std::string* refusal = nullptr);

// Sends psf, a controller's previous PSF, back to it; a second time, a second later, when
// the first was not acknowledged, so that one lost or spoilt frame does not leave the
// controller with a trial PSF. beforeRetry, when given, runs before the second try, e.g.
// to address the controller where the first try could not reach it. Pauses a second
// after an accepted one. A device server's connection lost before either try is made
// again for it. 1 when accepted.
int SendPsfBack(CControllerLink& link, CPsf& psf, const std::function<void()>& beforeRetry = {});
