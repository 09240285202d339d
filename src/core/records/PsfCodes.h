#pragma once
// The codes that the PSF fields store and the texts of the PSF dialog's lists, with the
// conversions between a list index and the stored code. Values outside a table are
// carried through by the record unchanged; the conversions say what a list shows for them.

#include <array>

// Tables whose code is a first code plus the list index: controller ID, control mode,
// measurement mode, zero value and scan number.
struct COffsetCode {
    int first;
    constexpr int CodeOf(int index) const { return first + index; }
    constexpr int IndexOf(int code) const { return code - first; }
};

inline constexpr COffsetCode kControllerIdCodes{'A'};
inline constexpr std::array<const char*, 15> kControllerIdTexts = {
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O"};

// Baud and parity are list indexes stored as-is in the nibbles of serialSettings.
inline constexpr std::array<const char*, 3> kBaudRateTexts = {"9600", "19200", "38400"};
inline constexpr std::array<const char*, 3> kParityTexts = {"None", "Odd", "Even"};

inline constexpr COffsetCode kControlModeCodes{'a'};
inline constexpr std::array<const char*, 6> kControlModeTexts = {
    "Continuous", "Host", "Gate - On", "Gate - Off", "Gate - Off to On", "Gate - On to Off"};

inline constexpr std::array<const char*, 7> kScanningMethodTexts = {"Straight",
                                                                    "Single Edge",
                                                                    "Double Edge - Step 2",
                                                                    "Double Edge - Step 4",
                                                                    "Double Edge - Step 8",
                                                                    "Double Edge - Step 16",
                                                                    "Double Edge - Step 32"};
constexpr int kStraightScanning = 1;
// Index 0 is 1 and index 1 is 3; the double-edge methods are 16 * index - 12 (8 bits).
int ScanningMethodCode(int index);
// The inverse, extended by (code - 4) / 16 + 1 to every other code.
int ScanningMethodIndex(int code);

inline constexpr COffsetCode kMeasModeCodes{'A'};
inline constexpr std::array<const char*, 11> kMeasModeTexts = {
    "FBB", "FBM", "LBB", "LBM", "TBB", "TBM", "MBB", "CBB", "CBM", "TRN", "None"};

inline constexpr COffsetCode kZeroValueCodes{'a'};
inline constexpr std::array<const char*, 3> kZeroValueTexts = {"Last", "Null", "Span"};

inline constexpr COffsetCode kScanNumberCodes{1};
inline constexpr std::array<const char*, 9> kScanNumberTexts = {"1", "2", "3", "4", "5",
                                                                "6", "7", "8", "9"};

// The four outputs that take an assignment code. Discrete output #2 offers two more
// entries than the others ("Alarm" and "Trigger").
enum class PsfOutput { analog1, analog2, discrete1, discrete2 };
inline constexpr char kOutputCodes[] = "xyzYZwv";
inline constexpr std::array<const char*, 7> kOutputTexts = {
    "Disabled", "Meas 1", "Meas 2", "Meas 1 Inverted", "Meas 2 Inverted", "Alarm", "Trigger"};
static_assert(sizeof kOutputCodes - 1 == kOutputTexts.size());
constexpr char kOutputDisabled = 'x';
constexpr char kOutputAlarm = 'w';
constexpr char kOutputTrigger = 'v';
// Entries of the output's list: 7 for discrete output #2, else 5.
int OutputListLength(PsfOutput output);
// The code of list entry index; an index outside 0..6 (no entry selected) is Disabled.
int OutputCode(int index);
// The list entry that shows code. On discrete output #2 every code that is not one of
// its own list's is Alarm; on the other outputs such a code shows no entry (-1).
int OutputListIndex(PsfOutput output, int code);
// Whether an output with this code sends a measurement: any code but Disabled, and on
// discrete output #2 any code but Disabled, Alarm and Trigger.
bool OutputInUse(PsfOutput output, int code);

// The serial transmission byte: three format bits and the mode in the high nibble;
// 0 is no serial communication at all.
// The texts of the mode buttons (Max Meas Mode takes one of the two send buttons), of
// the transmission type and of the two serial options.
inline constexpr std::array<const char*, 4> kSerialModeTexts = {
    "No Serial Communication", "Measurement Mode Result", "ALL Mode", "Max Meas Mode"};
inline constexpr std::array<const char*, 2> kSendOnTexts = {"Send On Clear", "Send On Request"};
inline constexpr std::array<const char*, 2> kTransmissionTypeTexts = {"ASCII", "Binary"};
constexpr char kSuppressClearDataText[] = "Suppress Clear Data";
constexpr char kSuppressHeaderText[] = "Suppress Header";
constexpr int kSuppressClearData = 0x01;
constexpr int kSuppressHeader = 0x02;
constexpr int kBinaryFormat = 0x04;
constexpr int kFormatBits = 0x0F;
enum class SerialMode { none, measurementResult, allMode, maxMeasOnClear, maxMeasOnRequest };
inline constexpr std::array<int, 5> kSerialModeNibbles = {0x00, 0x40, 0x50, 0x60, 0x70};
// The mode a byte shows: a nonzero byte whose high nibble is not 0x4, 0x5 or 0x6 is
// Max Meas Mode with Send On Request.
SerialMode SerialModeOf(int serialTransmission);
// The byte with its mode replaced by mode, format bits kept; mode none gives 0.
int WithSerialMode(int serialTransmission, SerialMode mode);
