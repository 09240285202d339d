#pragma once
// What the alignment dialog shows: the labels and texts of the beam grid's rows, the
// Made count, the blanking that Auto Blanking takes from a scan, and which of the
// dialog's buttons each mode leaves usable. Kept apart from the dialog so that the rules
// are plain functions of a scan and a map.

#include <array>
#include <string>

#include "protocol/ScanReply.h"
#include "records/BlankingMap.h"

// Scanning: the Start loop runs. Idle: the operator may use the dialog's commands.
// AutoBlanking: the Auto Blanking loop runs, and Made does not subtract the blanking.
enum class DialogMode : int { Scanning = 0, Idle = 1, AutoBlanking = 2 };

constexpr int kChannelsPerGridRow = 16;
constexpr int kBeamRowTextLength = 20;

// The alignment dialog's controls that change with the mode.
enum AlignmentControl : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdStart = 1121,
    kIdStop = 1122,
    kIdStep = 1123,
    kIdClearBlanking = 1125,
    kIdRestore = 1126,
    kIdSaveToFile = 1127,
    kIdReadFromFile = 1128,
    kIdAutoBlanking = 1133,
    kIdAbortAutoBlanking = 1134,
    kIdEdit = 1136,
};

// A control and whether it is enabled in Scanning, Idle and AutoBlanking, in that order.
struct ModeEnabling {
    AlignmentControl control;
    std::array<bool, 3> enabled;
};

// Only Stop runs with the Start loop and only Abort with the Auto Blanking loop (Accept
// Auto Blanking is switched by Auto Blanking itself), so no command can start a second
// exchange while a loop waits on the line.
inline constexpr std::array<ModeEnabling, 12> kModeEnabling = {{
    {kIdStart, {false, true, false}},
    {kIdStop, {true, false, false}},
    {kIdStep, {false, true, false}},
    {kIdClearBlanking, {false, true, false}},
    {kIdRestore, {false, true, false}},
    {kIdSaveToFile, {false, true, false}},
    {kIdReadFromFile, {false, true, false}},
    {kIdAutoBlanking, {false, true, false}},
    {kIdAbortAutoBlanking, {false, false, true}},
    {kIdEdit, {false, true, false}},
    {kIdOk, {false, true, false}},
    {kIdCancel, {false, true, false}},
}};

inline bool EnabledInMode(const ModeEnabling& entry, DialogMode mode) {
    return entry.enabled[static_cast<size_t>(mode)];
}

// The label of grid row (from 1): its first and last channel shown from 1, "17 - 32".
std::string BeamRowLabel(int row);

// The beams of grid row (from 1), 16 channels in order: 'B' for a channel blanked in map
// when showBlanked is set, otherwise '0' when scan has the beam blocked and '1' when
// made; a blank after every group of four, the last one included (20 characters).
std::string BeamRowText(const CBeamScan& scan, const CBlankingMap& map, int row, bool showBlanked);

// The beams neither blocked nor, outside AutoBlanking, blanked. The controller reports
// a blanked beam as made, so outside AutoBlanking the blanked channels are subtracted.
int MadeCount(const CBeamScan& scan, const CBlankingMap& map, DialogMode mode);

// A map of scan's channels that blanks exactly the beams scan has blocked.
CBlankingMap BlockedChannels(const CBeamScan& scan);
