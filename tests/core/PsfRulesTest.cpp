// The PSF editing rules: set point and hysteresis normalisation, box texts, the serial
// transmission buttons, and the checks of a new ID or baud rate against the table.

#include <gtest/gtest.h>

#include "records/PsfRules.h"

namespace {

SetPointValues Leave(SetPointValues values, SetPointBox box) {
    return NormaliseSetPoints(values, box, kChannelLimit);
}

TEST(PsfRulesTest, LeavingSetPointLowKeepsItWithinTheChannelsAndMovesTheOthers) {
    // 0 becomes 1: hysteresis low 0, hysteresis high set point high + 1.
    EXPECT_EQ(Leave({0, 5, 3, 9}, SetPointBox::kSetPointLow), (SetPointValues{1, 5, 0, 6}));
    EXPECT_EQ(Leave({900, 5, 3, 9}, SetPointBox::kSetPointLow),
              (SetPointValues{768, 768, 767, 769}));
    // A set point high below the new low is raised to it.
    EXPECT_EQ(Leave({40, 10, 0, 2}, SetPointBox::kSetPointLow), (SetPointValues{40, 40, 39, 41}));
    // A set point high above the channels, possible from a file, stays.
    EXPECT_EQ(Leave({40, 5000, 0, 2}, SetPointBox::kSetPointLow),
              (SetPointValues{40, 5000, 39, 5001}));
}

TEST(PsfRulesTest, LeavingSetPointHighKeepsItBetweenTheLowAndTheChannels) {
    EXPECT_EQ(Leave({10, 900, 3, 9}, SetPointBox::kSetPointHigh),
              (SetPointValues{10, 768, 3, 769}));
    EXPECT_EQ(Leave({10, 4, 3, 9}, SetPointBox::kSetPointHigh), (SetPointValues{10, 10, 3, 11}));
    // 0 takes the low one to 0, and the hysteresis low with it.
    EXPECT_EQ(Leave({10, 0, 3, 9}, SetPointBox::kSetPointHigh), (SetPointValues{0, 0, 0, 1}));
    // The hysteresis high follows the new set point high even when it was larger.
    EXPECT_EQ(Leave({10, 20, 3, 99}, SetPointBox::kSetPointHigh), (SetPointValues{10, 20, 3, 21}));
    // A low above the channels (from a file) lifts the high above them too.
    EXPECT_EQ(Leave({5000, 20, 3, 9}, SetPointBox::kSetPointHigh),
              (SetPointValues{5000, 5000, 3, 769}));
    // A hysteresis low not below the set point low is pulled under it.
    EXPECT_EQ(Leave({10, 20, 12, 30}, SetPointBox::kSetPointHigh), (SetPointValues{10, 20, 9, 21}));
}

TEST(PsfRulesTest, LeavingAHysteresisBoxAppliesOnlyItsOwnRule) {
    EXPECT_EQ(Leave({10, 20, 10, 5}, SetPointBox::kHysteresisLow), (SetPointValues{10, 20, 9, 5}));
    EXPECT_EQ(Leave({10, 20, 4, 5}, SetPointBox::kHysteresisLow), (SetPointValues{10, 20, 4, 5}));
    EXPECT_EQ(Leave({0, 0, 3, 5}, SetPointBox::kHysteresisLow), (SetPointValues{0, 0, 0, 5}));
    EXPECT_EQ(Leave({10, 20, 30, 20}, SetPointBox::kHysteresisHigh),
              (SetPointValues{10, 20, 30, 21}));
    EXPECT_EQ(Leave({10, 800, 30, 20}, SetPointBox::kHysteresisHigh),
              (SetPointValues{10, 800, 30, 769}));
    // A larger hysteresis high is kept as typed.
    EXPECT_EQ(Leave({10, 20, 3, 9999}, SetPointBox::kHysteresisHigh),
              (SetPointValues{10, 20, 3, 9999}));
}

TEST(PsfRulesTest, BoxTextsAreDigitsOnly) {
    int value = -1;
    EXPECT_TRUE(BoxValue("", &value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(BoxValue("0768", &value));
    EXPECT_EQ(value, 768);
    EXPECT_FALSE(BoxValue("12a", &value));
    EXPECT_FALSE(BoxValue("-1", &value));
    EXPECT_FALSE(BoxValue(" 1", &value));
    EXPECT_TRUE(BoxValue("123456789012345", &value));
    EXPECT_EQ(value, 999999999);

    int channel = -1;
    EXPECT_FALSE(TriggerChannelValue("", kChannelLimit, &channel));
    EXPECT_FALSE(TriggerChannelValue("0", kChannelLimit, &channel));
    EXPECT_FALSE(TriggerChannelValue("769", kChannelLimit, &channel));
    EXPECT_FALSE(TriggerChannelValue("3x", kChannelLimit, &channel));
    EXPECT_EQ(channel, -1);
    EXPECT_TRUE(TriggerChannelValue("768", kChannelLimit, &channel));
    EXPECT_EQ(channel, 768);
    EXPECT_TRUE(TriggerChannelValue("1", kChannelLimit, &channel));
    EXPECT_EQ(channel, 1);
}

TEST(PsfRulesTest, SerialModeButtonsKeepTheFormatBits) {
    const Switch keep = Switch::kKeep, on = Switch::kOn, off = Switch::kOff;
    // From no serial communication the format buttons come on.
    EXPECT_EQ(ClickSerialButton(0, SerialButton::kMeasurementResult),
              (SerialChange{0x40, on, keep}));
    EXPECT_EQ(ClickSerialButton(0, SerialButton::kAllMode), (SerialChange{0x50, on, keep}));
    EXPECT_EQ(ClickSerialButton(0, SerialButton::kMaxMeas), (SerialChange{0x60, on, on}));
    // From another mode the format bits stay and Send On Clear/Request go off.
    EXPECT_EQ(ClickSerialButton(0x77, SerialButton::kMeasurementResult),
              (SerialChange{0x47, keep, off}));
    EXPECT_EQ(ClickSerialButton(0x6D, SerialButton::kAllMode), (SerialChange{0x5D, keep, off}));
    // A byte with no mode bits 4-6 (bit 7 only) leaves them as they are.
    EXPECT_EQ(ClickSerialButton(0x84, SerialButton::kAllMode), (SerialChange{0x54, keep, keep}));
    EXPECT_EQ(ClickSerialButton(0x46, SerialButton::kMaxMeas), (SerialChange{0x66, keep, on}));
    EXPECT_EQ(ClickSerialButton(0x65, SerialButton::kSendOnRequest),
              (SerialChange{0x75, keep, keep}));
    EXPECT_EQ(ClickSerialButton(0x75, SerialButton::kSendOnClear),
              (SerialChange{0x65, keep, keep}));
    EXPECT_EQ(ClickSerialButton(0x47, SerialButton::kNoSerial), (SerialChange{0, off, off}));

    EXPECT_EQ(WithFormatBit(0x40, kBinaryFormat, true), 0x44);
    EXPECT_EQ(WithFormatBit(0x47, kSuppressHeader, false), 0x45);
}

TEST(PsfRulesTest, OnlyStraightScanningKeepsAllMode) {
    EXPECT_EQ(SerialTransmissionForScanning(0x57, ScanningMethodCode(1)), 0x47);
    EXPECT_EQ(SerialTransmissionForScanning(0x5B, ScanningMethodCode(6)), 0x4B);
    EXPECT_EQ(SerialTransmissionForScanning(0x57, kStraightScanning), 0x57);
    EXPECT_EQ(SerialTransmissionForScanning(0x67, ScanningMethodCode(1)), 0x67);
    EXPECT_EQ(SerialTransmissionForScanning(0, ScanningMethodCode(2)), 0);
}

TEST(PsfRulesTest, SerialTransmissionView) {
    EXPECT_EQ(ViewOfSerialTransmission(0),
              (SerialView{SerialMode::none, false, false, false, false, false}));
    EXPECT_EQ(ViewOfSerialTransmission(0x45),
              (SerialView{SerialMode::measurementResult, true, false, true, true, false}));
    EXPECT_EQ(ViewOfSerialTransmission(0x52),
              (SerialView{SerialMode::allMode, true, false, false, false, true}));
    EXPECT_EQ(ViewOfSerialTransmission(0x60),
              (SerialView{SerialMode::maxMeasOnClear, true, true, false, false, false}));
    // Any other nonzero mode is Max Meas Mode with Send On Request.
    EXPECT_EQ(ViewOfSerialTransmission(0x04),
              (SerialView{SerialMode::maxMeasOnRequest, true, true, true, false, false}));
    EXPECT_EQ(ViewOfSerialTransmission(0xF0),
              (SerialView{SerialMode::maxMeasOnRequest, true, true, false, false, false}));
}

TEST(PsfRulesTest, ScanNumberAppliesWhenAnOutputSendsAMeasurement) {
    EXPECT_FALSE(ScanNumberEnabled(0, 0, 0, 0));
    EXPECT_TRUE(ScanNumberEnabled(0, 3, 0, 0));
    EXPECT_TRUE(ScanNumberEnabled(0, 0, 0, 4));
    EXPECT_FALSE(ScanNumberEnabled(0, 0, 0, 5));  // Alarm
    EXPECT_FALSE(ScanNumberEnabled(0, 0, 0, 6));  // Trigger
    // A list that shows no entry does not cancel another output's measurement.
    EXPECT_TRUE(ScanNumberEnabled(-1, 0, 1, 0));
    EXPECT_FALSE(ScanNumberEnabled(-1, -1, -1, -1));

    EXPECT_TRUE(MeasModesApply(ScanningMethodCode(6)));
    EXPECT_FALSE(MeasModesApply(99));
    EXPECT_STREQ(SelectedBaudText(0x12), "38400");
    EXPECT_STREQ(SelectedBaudText(3), "");
}

TEST(PsfRulesTest, NewIdOrBaudRateAgainstTheTable) {
    ControllerTable table{};
    EXPECT_TRUE(ControllerIdAvailable(table, 'B'));
    // C is selected at 19200; A was found at 9600 and 38400.
    table[0] = {'C', 1, 'X', 0};
    table['C' - 0x40][1] = 'X';
    table['A' - 0x40][2] = 'X';
    EXPECT_TRUE(ControllerIdAvailable(table, 'C'));
    EXPECT_FALSE(ControllerIdAvailable(table, 'A'));
    EXPECT_TRUE(ControllerIdAvailable(table, 'B'));
    table[0] = {0, 0, 0, 0};
    EXPECT_TRUE(ControllerIdAvailable(table, 'A'));

    EXPECT_TRUE(BaudEntryTaken(table, 'C', 1));
    EXPECT_FALSE(BaudEntryTaken(table, 'C', 0));
    EXPECT_TRUE(BaudEntryTaken(table, 'A', 2));
    EXPECT_FALSE(BaudEntryTaken(table, 'Z', 1));
    EXPECT_FALSE(BaudEntryTaken(table, 'A', 7));
}

}  // namespace
