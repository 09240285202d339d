#include "records/PsfWords.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "records/PsfCodes.h"
#include "records/PsfRules.h"

namespace {

constexpr std::array<const char*, kPsfFieldCount> kLabels = {
    "Controller ID",
    "Baud Rate, Parity",
    "Scanning Method",
    "Control Mode Selection",
    "Analysis Mode Meas1",
    "Analysis Mode Meas2",
    "Scan #",
    "Serial Transmission",
    "Reserved",
    "Discrete Output #1",
    "Discrete Output #1 Set Point Low",
    "Discrete Output #1 Set Point High",
    "Discrete Output #1 Hysteresis Low",
    "Discrete Output #1 Hysteresis High",
    "Discrete Output #2",
    "Discrete Output #2 Set Point Low",
    "Discrete Output #2 Set Point High",
    "Discrete Output #2 Hysteresis Low",
    "Discrete Output #2 Hysteresis High",
    "Analog Output #1",
    "Analog Output #1 Zero Value",
    "Analog Output #1 Null",
    "Analog Output #1 Span",
    "Analog Output #2",
    "Analog Output #2 Zero Value",
    "Analog Output #2 Null",
    "Analog Output #2 Span",
};
constexpr char kTriggerChannelLabel[] = "Trigger Channel Number";

std::string CodeWords(int code) {
    return "code " + std::to_string(code);
}

// What a list shows at index for code: its entry, marked with the code when the entry
// stands for another code.
std::string ListWords(std::span<const char* const> texts, int index, int code, int entryCode) {
    if (index < 0 || index >= static_cast<int>(texts.size())) {
        return CodeWords(code);
    }
    std::string words = texts[static_cast<size_t>(index)];
    return code == entryCode ? words : words + " (" + CodeWords(code) + ")";
}

template <size_t N>
std::string OffsetWords(const std::array<const char*, N>& texts, COffsetCode codes, int code) {
    const int index = codes.IndexOf(code);
    return ListWords(texts, index, code, codes.CodeOf(index));
}

std::string OutputWords(PsfOutput output, int code) {
    const int index = OutputListIndex(output, code);
    return ListWords(std::span(kOutputTexts).first(static_cast<size_t>(OutputListLength(output))),
                     index, code, OutputCode(index));
}

std::string SerialSettingsWords(const CPsf& psf) {
    const int baud = psf.GetBaudIndex();
    const int parity = psf.GetParityIndex();
    return ListWords(kBaudRateTexts, baud, baud, baud) + ", " +
           ListWords(kParityTexts, parity, parity, parity);
}

// The checked buttons of the serial transmission setup, in the dialog's order.
std::string SerialTransmissionWords(int byte) {
    const SerialView view = ViewOfSerialTransmission(byte);
    const int mode = static_cast<int>(view.mode);
    std::string words = kSerialModeTexts[static_cast<size_t>(std::min(mode, 3))];
    if (view.mode == SerialMode::maxMeasOnClear || view.mode == SerialMode::maxMeasOnRequest) {
        words += std::string(", ") + kSendOnTexts[view.mode == SerialMode::maxMeasOnClear ? 0 : 1];
    }
    if (view.mode != SerialMode::none) {
        words += std::string(", ") + kTransmissionTypeTexts[view.binary ? 1 : 0];
        if (view.suppressClearData) {
            words += std::string(", ") + kSuppressClearDataText;
        }
        if (view.suppressHeader) {
            words += std::string(", ") + kSuppressHeaderText;
        }
    }
    const int shown =
        WithSerialMode(byte & (kSuppressClearData | kSuppressHeader | kBinaryFormat), view.mode);
    return shown == byte ? words : words + " (code " + std::to_string(byte) + ")";
}

std::string NumberWords(int32_t value) {
    // The boxes show their fields as unsigned decimal numbers.
    return std::to_string(static_cast<uint32_t>(value));
}

std::string ValueWords(const CPsf& psf, int field) {
    const int value = psf.Get(field);
    switch (field) {
        case kControllerId:
            return OffsetWords(kControllerIdTexts, kControllerIdCodes, value);
        case kSerialSettings:
            return SerialSettingsWords(psf);
        case kScanningMethod: {
            const int index = ScanningMethodIndex(value);
            return ListWords(kScanningMethodTexts, index, value, ScanningMethodCode(index));
        }
        case kControlMode:
            return OffsetWords(kControlModeTexts, kControlModeCodes, value);
        case kMeas1Mode:
        case kMeas2Mode:
            return OffsetWords(kMeasModeTexts, kMeasModeCodes, value);
        case kScanNumber:
            return OffsetWords(kScanNumberTexts, kScanNumberCodes, value);
        case kSerialTransmission:
            return SerialTransmissionWords(value);
        case kDiscrete1Assignment:
            return OutputWords(PsfOutput::discrete1, value);
        case kDiscrete2Assignment:
            return OutputWords(PsfOutput::discrete2, value);
        case kAnalog1Assignment:
            return OutputWords(PsfOutput::analog1, value);
        case kAnalog2Assignment:
            return OutputWords(PsfOutput::analog2, value);
        case kAnalog1ZeroValue:
        case kAnalog2ZeroValue:
            return OffsetWords(kZeroValueTexts, kZeroValueCodes, value);
        default:
            return NumberWords(value);
    }
}

}  // namespace

PsfWords PsfInWords(const CPsf& psf) {
    PsfWords words;
    for (int field = 0; field < kPsfFieldCount; ++field) {
        words[static_cast<size_t>(field)] = {kLabels[static_cast<size_t>(field)],
                                             ValueWords(psf, field)};
    }
    if (psf.GetDiscreteAssignment(2) == kOutputTrigger) {
        words[kDiscrete2SetPointLow].label = kTriggerChannelLabel;
    }
    return words;
}

std::string PsfWordsText(const CPsf& psf) {
    std::string text;
    for (const PsfWord& word : PsfInWords(psf)) {
        text += word.label + ": " + word.value + "\n";
    }
    return text;
}
