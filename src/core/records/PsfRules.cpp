#include "records/PsfRules.h"

#include <algorithm>

#include "records/PsfCodes.h"

namespace {

constexpr int kMeasModesLastMethod = 98;
// Box values saturate here, far above any field, so that the rules can add one.
constexpr long long kBoxValueMax = 999999999;
// Bits 4-6 of the serial transmission byte: a mode is set.
constexpr int kModeBitsLow = 0x70;

// The hysteresis low stays below the set point low.
void ApplyHysteresisLowRule(SetPointValues& v) {
    if (v.hysteresisLow >= v.setPointLow) {
        v.hysteresisLow = v.setPointLow > 0 ? v.setPointLow - 1 : 0;
    }
}

int AboveSetPointHigh(int setPointHigh, int channelLimit) {
    return setPointHigh > channelLimit ? channelLimit + 1 : setPointHigh + 1;
}

// The hysteresis high stays above the set point high; a larger one is kept.
void ApplyHysteresisHighRule(SetPointValues& v, int channelLimit) {
    if (v.hysteresisHigh <= v.setPointHigh) {
        v.hysteresisHigh = AboveSetPointHigh(v.setPointHigh, channelLimit);
    }
}

}  // namespace

SetPointValues NormaliseSetPoints(SetPointValues v, SetPointBox left, int channelLimit) {
    switch (left) {
        case SetPointBox::kSetPointLow: {
            const int low = std::clamp(v.setPointLow, 1, channelLimit);
            const int high = std::max(v.setPointHigh, low);
            v = {low, high, low - 1, high + 1};
            break;
        }
        case SetPointBox::kSetPointHigh: {
            int high = std::min(v.setPointHigh, channelLimit);
            if (high == 0) {
                v.setPointLow = 0;
            }
            high = std::max(high, v.setPointLow);
            v.setPointHigh = high;
            v.hysteresisHigh = AboveSetPointHigh(high, channelLimit);
            break;
        }
        case SetPointBox::kHysteresisLow:
        case SetPointBox::kHysteresisHigh:
            break;
    }
    if (left != SetPointBox::kHysteresisLow) {
        ApplyHysteresisHighRule(v, channelLimit);
    }
    if (left != SetPointBox::kHysteresisHigh) {
        ApplyHysteresisLowRule(v);
    }
    return v;
}

bool BoxValue(std::string_view text, int* value) {
    long long sum = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        sum = std::min(sum * 10 + (c - '0'), kBoxValueMax);
    }
    *value = static_cast<int>(sum);
    return true;
}

bool TriggerChannelValue(std::string_view text, int channelLimit, int* channel) {
    int value = 0;
    if (text.empty() || !BoxValue(text, &value) || value < 1 || value > channelLimit) {
        return false;
    }
    *channel = value;
    return true;
}

SerialChange ClickSerialButton(int byte, SerialButton button) {
    switch (button) {
        case SerialButton::kNoSerial:
            return {WithSerialMode(byte, SerialMode::none), Switch::kOff, Switch::kOff};
        case SerialButton::kMeasurementResult:
        case SerialButton::kAllMode: {
            const SerialMode mode = button == SerialButton::kAllMode
                                        ? SerialMode::allMode
                                        : SerialMode::measurementResult;
            if (byte == 0) {
                return {WithSerialMode(byte, mode), Switch::kOn, Switch::kKeep};
            }
            return {WithSerialMode(byte, mode), Switch::kKeep,
                    (byte & kModeBitsLow) != 0 ? Switch::kOff : Switch::kKeep};
        }
        case SerialButton::kMaxMeas:
            return {WithSerialMode(byte, SerialMode::maxMeasOnClear),
                    byte == 0 ? Switch::kOn : Switch::kKeep, Switch::kOn};
        case SerialButton::kSendOnClear:
            return {WithSerialMode(byte, SerialMode::maxMeasOnClear), Switch::kKeep, Switch::kKeep};
        case SerialButton::kSendOnRequest:
            return {WithSerialMode(byte, SerialMode::maxMeasOnRequest), Switch::kKeep,
                    Switch::kKeep};
    }
    return {byte, Switch::kKeep, Switch::kKeep};
}

int WithFormatBit(int byte, int bit, bool set) {
    return set ? (byte | bit) : (byte & ~bit);
}

int SerialTransmissionForScanning(int byte, int scanningMethodCode) {
    if (scanningMethodCode != kStraightScanning &&
        (byte & 0xF0) == kSerialModeNibbles[static_cast<int>(SerialMode::allMode)]) {
        return WithSerialMode(byte, SerialMode::measurementResult);
    }
    return byte;
}

SerialView ViewOfSerialTransmission(int byte) {
    const SerialMode mode = SerialModeOf(byte);
    return {mode,
            byte != 0,
            mode == SerialMode::maxMeasOnClear || mode == SerialMode::maxMeasOnRequest,
            (byte & kBinaryFormat) != 0,
            (byte & kSuppressClearData) != 0,
            (byte & kSuppressHeader) != 0};
}

bool ScanNumberEnabled(int analog1Index, int analog2Index, int discrete1Index, int discrete2Index) {
    // Indexes 1..4 are the measurement assignments; discrete output #2's 5 and 6 are
    // Alarm and Trigger, which send none.
    return analog1Index > 0 || analog2Index > 0 || discrete1Index > 0 ||
           (discrete2Index >= 1 && discrete2Index <= 4);
}

bool MeasModesApply(int scanningMethodCode) {
    return scanningMethodCode <= kMeasModesLastMethod;
}

const char* SelectedBaudText(int baudIndex) {
    const int index = baudIndex & 0x0F;
    return index < static_cast<int>(kBaudRateTexts.size()) ? kBaudRateTexts[index] : "";
}

bool ControllerIdAvailable(const ControllerTable& table, int newId) {
    const int selectedId = table[0][0];
    int baudIndex = 0;
    return selectedId == 0 || newId == selectedId || !FindBaudIndex(table, newId, &baudIndex);
}

bool BaudEntryTaken(const ControllerTable& table, int id, int baudIndex) {
    return IsControllerId(id) && baudIndex >= 0 && baudIndex < 4 &&
           table[id - 0x40][baudIndex] != 0;
}
