#pragma once
// The bracket around every exchange with one controller, and the controller search with
// its own bracket. The GUI's sessions and tarnctl both run these, so that what goes on
// the line, in which order and with which pauses, is written once.

#include <cstdint>

#include "protocol/ControllerTable.h"

class CControllerLink;
class CSearchProgress;

// Pause after suspending the controllers, so that the line has fallen silent.
inline constexpr uint32_t kSettleMs = 250;
// Pause after a suspend or resume, which gets no reply: the frame is out before the
// next one or a change of rate.
inline constexpr long kBroadcastPauseMs = 160;

enum class PortFlush { kKeep, kDiscard };

// Suspends every controller the table knows, pauses kSettleMs and, with
// PortFlush::kDiscard, discards the port's input and output.
void SuspendForService(CControllerLink& link, const ControllerTable& table, PortFlush flush);
// Resumes every controller the table knows.
void ResumeAfterService(CControllerLink& link, const ControllerTable& table);

// Forgets the previous search and selection, broadcasts the suspend at every searched
// rate, pauses kSettleMs and asks every ID at every searched rate; table holds the hits.
// progress, when given, hears how far the search got and may end it before a ping.
void SearchLine(CControllerLink& link, ControllerTable& table, CSearchProgress* progress = nullptr);
// The search again while the controllers are still suspended by the last one (the Ping
// dialog's Update): forgets the previous hits and asks every ID at every searched rate,
// with nothing broadcast first.
void SearchAgain(CControllerLink& link, ControllerTable& table, CSearchProgress* progress);
// Resumes the controllers the search found, then broadcasts the resume: a controller
// that heard the broadcast suspend but whose answer to the search was lost is missing
// from the table, and only the broadcast reaches it.
void EndSearch(CControllerLink& link, const ControllerTable& table);

// A bracket for a whole command that asks the operator nothing: suspends on
// construction, resumes on destruction, whichever way the command ends.
class CServiceBracket {
public:
    CServiceBracket(CControllerLink& link, const ControllerTable& table, PortFlush flush);
    ~CServiceBracket();
    CServiceBracket(const CServiceBracket&) = delete;
    CServiceBracket& operator=(const CServiceBracket&) = delete;

private:
    CControllerLink& link;
    const ControllerTable& table;
};
