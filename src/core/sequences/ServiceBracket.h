#pragma once
// The bracket around every exchange with one controller, the hold of the whole line for a
// command that asks the operator nothing, and the controller search with its own bracket.
// The GUI's sessions and tarnctl both run these, so that what goes on the line, in which
// order and with which pauses, is written once.

#include <cstdint>
#include <string>

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
// What the operator is told after a search that passed over rates the port could not
// set (a device server that did not follow the change); empty when it set them all.
std::string RatesNotSetText(const CControllerLink& link);

// The search again while the controllers are still suspended by the last one (the Ping
// dialog's Update): forgets the previous hits and asks every ID at every searched rate,
// with nothing broadcast first.
void SearchAgain(CControllerLink& link, ControllerTable& table, CSearchProgress* progress);
// Resumes the controllers the search found, then broadcasts the resume: a controller
// that heard the broadcast suspend but whose answer to the search was lost is missing
// from the table, and only the broadcast reaches it.
void EndSearch(CControllerLink& link, const ControllerTable& table);

// Which controllers a CLineHold suspends: those the table knows, or, when the line's
// controllers are not known, all of them by the search's broadcast at every rate.
enum class LineKnown { kFromTable, kNo };

// Holds the whole line quiet for a command that asks the operator nothing, however many
// exchanges with however many controllers it runs: suspends before the first (pausing
// kSettleMs and flushing as SuspendForService does), resumes on destruction, whichever
// way the command ends. A broadcast hold also reaches a controller that a PSF has moved.
class CLineHold {
public:
    CLineHold(CControllerLink& link, const ControllerTable& table, LineKnown known,
              PortFlush flush);
    ~CLineHold();
    CLineHold(const CLineHold&) = delete;
    CLineHold& operator=(const CLineHold&) = delete;

private:
    CControllerLink& link;
    const ControllerTable& table;
    LineKnown known;
};
