#include "records/PsfCodes.h"

int ScanningMethodCode(int index) {
    if (index == 0) {
        return kStraightScanning;
    }
    if (index == 1) {
        return 3;
    }
    return (16 * index - 12) & 0xFF;
}

int ScanningMethodIndex(int code) {
    if (code == kStraightScanning) {
        return 0;
    }
    if (code == 3) {
        return 1;
    }
    return (code - 4) / 16 + 1;
}

int OutputListLength(PsfOutput output) {
    return output == PsfOutput::discrete2 ? 7 : 5;
}

int OutputCode(int index) {
    return index >= 0 && index < static_cast<int>(kOutputTexts.size()) ? kOutputCodes[index]
                                                                       : kOutputDisabled;
}

int OutputListIndex(PsfOutput output, int code) {
    int index = -1;
    for (int i = 0; kOutputCodes[i] != '\0'; ++i) {
        if (code == kOutputCodes[i]) {
            index = i;
        }
    }
    if (output == PsfOutput::discrete2) {
        return index == 6 ? 6 : index >= 0 && index < 5 ? index : 5;
    }
    return index < OutputListLength(output) ? index : -1;
}

bool OutputInUse(PsfOutput output, int code) {
    if (output == PsfOutput::discrete2) {
        return code != kOutputDisabled && code != kOutputAlarm && code != kOutputTrigger;
    }
    return code != kOutputDisabled;
}

SerialMode SerialModeOf(int serialTransmission) {
    if (serialTransmission == 0) {
        return SerialMode::none;
    }
    switch (serialTransmission & 0xF0) {
        case 0x40:
            return SerialMode::measurementResult;
        case 0x50:
            return SerialMode::allMode;
        case 0x60:
            return SerialMode::maxMeasOnClear;
        default:
            return SerialMode::maxMeasOnRequest;
    }
}

int WithSerialMode(int serialTransmission, SerialMode mode) {
    if (mode == SerialMode::none) {
        return 0;
    }
    return (serialTransmission & kFormatBits) | kSerialModeNibbles[static_cast<int>(mode)];
}
