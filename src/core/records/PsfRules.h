#pragma once
// The rules by which the PSF dialog keeps the record consistent while the operator edits
// it: the set point and hysteresis boxes, the serial transmission buttons, the lists
// whose meaning depends on other lists, and the controller table checks of a new ID or
// baud rate. The dialog wires its widgets to these; they know nothing of windows.

#include <string_view>

#include "protocol/ControllerTable.h"
#include "records/PsfCodes.h"

// Upper limit of the set points and of the trigger channel: the most channels a curtain has.
constexpr int kChannelLimit = 768;
// Characters the set point and hysteresis boxes and the trigger channel box take.
constexpr int kSetPointBoxLength = 4;
constexpr int kTriggerBoxLength = 3;

// The four boxes of one discrete output.
struct SetPointValues {
    int setPointLow;
    int setPointHigh;
    int hysteresisLow;
    int hysteresisHigh;
    bool operator==(const SetPointValues&) const = default;
};
enum class SetPointBox { kSetPointLow, kSetPointHigh, kHysteresisLow, kHysteresisHigh };

// What the boxes of discrete output #2 hold while it is the trigger output.
inline constexpr SetPointValues kTriggerSetPoints{1, 1, 0, 2};

// The four values after the operator leaves box left. Set points stay within
// 1..channelLimit (a set point high of 0 takes the low one to 0), the high one not below
// the low one; the hysteresis low stays below the set point low and the hysteresis high
// above the set point high.
SetPointValues NormaliseSetPoints(SetPointValues values, SetPointBox left, int channelLimit);

// A set point or hysteresis box's text: true with its decimal value (0 when empty) for
// digits only, false for anything else. Very long numbers saturate at 999999999.
bool BoxValue(std::string_view text, int* value);
// True with the channel when text is digits whose value is 1..channelLimit.
bool TriggerChannelValue(std::string_view text, int channelLimit, int* channel);

// The buttons of the serial transmission setup that change the mode.
enum class SerialButton {
    kNoSerial,
    kMeasurementResult,
    kAllMode,
    kMaxMeas,
    kSendOnClear,
    kSendOnRequest
};
enum class Switch { kKeep, kOn, kOff };
// What a click on one of those buttons does: the new byte, and whether the four format
// buttons (ASCII, Binary, both suppress boxes) and Send On Clear/Request change their
// enabled state.
struct SerialChange {
    int byte;
    Switch format;
    Switch sendOn;
    bool operator==(const SerialChange&) const = default;
};
SerialChange ClickSerialButton(int serialTransmission, SerialButton button);
// The byte with format bit (kBinaryFormat, kSuppressClearData, kSuppressHeader) set or
// cleared.
int WithFormatBit(int serialTransmission, int bit, bool set);
// ALL Mode exists only with Straight scanning: any other method turns it into
// Measurement Mode Result, format bits kept.
int SerialTransmissionForScanning(int serialTransmission, int scanningMethodCode);

// The ten serial transmission buttons as a byte shows them.
struct SerialView {
    SerialMode mode;
    bool formatEnabled;
    bool sendOnEnabled;
    bool binary;
    bool suppressClearData;
    bool suppressHeader;
    bool operator==(const SerialView&) const = default;
};
SerialView ViewOfSerialTransmission(int serialTransmission);

// Whether "Scan #" applies, from the list indexes of analog outputs #1 and #2 and
// discrete outputs #1 and #2 (-1 when a list shows no entry): some output sends a
// measurement.
bool ScanNumberEnabled(int analog1Index, int analog2Index, int discrete1Index, int discrete2Index);
// The measurement lists apply to every scanning method of the list; codes from 99 up
// (possible only from a controller or a file) have no measurement modes.
bool MeasModesApply(int scanningMethodCode);
// The rate shown for the selection's baud index (its low four bits), "" when unknown.
const char* SelectedBaudText(int baudIndex);

// Whether the working PSF may take newId: always without a selection and for the
// selected controller's own ID, otherwise only when the search found no controller with
// that ID at any rate.
bool ControllerIdAvailable(const ControllerTable& table, int newId);
// Whether a controller with id already answers at baudIndex.
bool BaudEntryTaken(const ControllerTable& table, int id, int baudIndex);
