// The PSF in words: the default record line by line, a record with every kind of value,
// and the codes that no list entry stands for.

#include <gtest/gtest.h>

#include "records/PsfCodes.h"
#include "records/PsfWords.h"

TEST(PsfWordsTest, DefaultRecordInWords) {
    EXPECT_EQ(PsfWordsText(CPsf()),
              "Controller ID: A\n"
              "Baud Rate, Parity: 9600, Even\n"
              "Scanning Method: Straight\n"
              "Control Mode Selection: Host\n"
              "Analysis Mode Meas1: None\n"
              "Analysis Mode Meas2: None\n"
              "Scan #: 1\n"
              "Serial Transmission: No Serial Communication\n"
              "Reserved: 0\n"
              "Discrete Output #1: Disabled\n"
              "Discrete Output #1 Set Point Low: 1\n"
              "Discrete Output #1 Set Point High: 1\n"
              "Discrete Output #1 Hysteresis Low: 0\n"
              "Discrete Output #1 Hysteresis High: 2\n"
              "Discrete Output #2: Disabled\n"
              "Discrete Output #2 Set Point Low: 1\n"
              "Discrete Output #2 Set Point High: 1\n"
              "Discrete Output #2 Hysteresis Low: 0\n"
              "Discrete Output #2 Hysteresis High: 2\n"
              "Analog Output #1: Disabled\n"
              "Analog Output #1 Zero Value: Null\n"
              "Analog Output #1 Null: 0\n"
              "Analog Output #1 Span: 4095\n"
              "Analog Output #2: Disabled\n"
              "Analog Output #2 Zero Value: Null\n"
              "Analog Output #2 Null: 0\n"
              "Analog Output #2 Span: 4095\n");
}

TEST(PsfWordsTest, EditedRecordInWords) {
    CPsf psf;
    psf.SetControllerId('O');
    psf.SetBaudIndex(2);
    psf.SetParityIndex(0);
    psf.SetScanningMethod(ScanningMethodCode(6));
    psf.SetControlMode('a');
    psf.SetMeasMode(1, 'J');
    psf.SetSerialTransmission(0x77);
    psf.SetDiscreteAssignment(2, kOutputTrigger);
    psf.SetDiscreteSetPointLow(2, 37);
    psf.SetAnalogAssignment(1, 'Z');
    psf.SetAnalogZeroValue(1, 'c');
    psf.SetAnalogSpan(2, 65535);
    const PsfWords words = PsfInWords(psf);
    EXPECT_EQ(words[kControllerId].value, "O");
    EXPECT_EQ(words[kSerialSettings].value, "38400, None");
    EXPECT_EQ(words[kScanningMethod].value, "Double Edge - Step 32");
    EXPECT_EQ(words[kControlMode].value, "Continuous");
    EXPECT_EQ(words[kMeas1Mode].value, "TRN");
    EXPECT_EQ(words[kSerialTransmission].value,
              "Max Meas Mode, Send On Request, Binary, Suppress Clear Data, Suppress Header");
    EXPECT_EQ(words[kDiscrete2Assignment].value, "Trigger");
    EXPECT_EQ(words[kDiscrete2SetPointLow].label, "Trigger Channel Number");
    EXPECT_EQ(words[kDiscrete2SetPointLow].value, "37");
    EXPECT_EQ(words[kAnalog1Assignment].value, "Meas 2 Inverted");
    EXPECT_EQ(words[kAnalog1ZeroValue].value, "Span");
    EXPECT_EQ(words[kAnalog2Span].value, "65535");
}

TEST(PsfWordsTest, CodesWithoutTheirOwnEntryNameTheCode) {
    CPsf psf;
    psf.SetControllerId('a');
    psf.SetSerialSettings(0x3F);
    psf.SetScanningMethod(5);
    psf.SetSerialTransmission(0x88);
    psf.SetDiscreteAssignment(1, 'w');
    psf.SetDiscreteAssignment(2, 'q');
    psf.SetAnalogZeroValue(2, 'd');
    const PsfWords words = PsfInWords(psf);
    EXPECT_EQ(words[kControllerId].value, "code 97");
    EXPECT_EQ(words[kSerialSettings].value, "code 3, code 15");
    EXPECT_EQ(words[kScanningMethod].value, "Single Edge (code 5)");
    EXPECT_EQ(words[kSerialTransmission].value, "Max Meas Mode, Send On Request, ASCII (code 136)");
    EXPECT_EQ(words[kDiscrete1Assignment].value, "code 119");
    EXPECT_EQ(words[kDiscrete2Assignment].value, "Alarm (code 113)");
    EXPECT_EQ(words[kAnalog2ZeroValue].value, "code 100");
}
