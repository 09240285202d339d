// The PSF in words says what the PSF dialog shows: for every code of every field that a
// list or the serial transmission buttons show, the words are the dialog's text.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QStringList>

#include "PsfSimFixture.h"
#include "records/PsfWords.h"

namespace {

class PsfWordsDlgTest : public PsfSimFixture {
protected:
    PsfWordsDlgTest() { Open(); }

    // Shows code in field and answers the words of that field.
    std::string Show(int field, int code) {
        dialog->Psf() = CPsf();
        dialog->Psf().Set(field, code);
        const PsfWords words = PsfInWords(dialog->Psf());
        dialog->ShowPsf();
        return words[static_cast<size_t>(field)].value;
    }
    // What the list shows, in words: its text, else "code N".
    static std::string ListText(const QComboBox* list, int code) {
        return list->currentIndex() < 0 ? "code " + std::to_string(code)
                                        : list->currentText().toStdString();
    }
};

TEST_F(PsfWordsDlgTest, EveryCodeOfEveryListReadsAsTheListShowsIt) {
    const std::pair<int, const char*> lists[] = {{kControllerId, "controllerIdList"},
                                                 {kScanningMethod, "scanningMethodList"},
                                                 {kControlMode, "controlModeList"},
                                                 {kMeas1Mode, "meas1List"},
                                                 {kMeas2Mode, "meas2List"},
                                                 {kScanNumber, "scanNumberList"},
                                                 {kDiscrete1Assignment, "discrete1List"},
                                                 {kDiscrete2Assignment, "discrete2List"},
                                                 {kAnalog1Assignment, "analog1List"},
                                                 {kAnalog2Assignment, "analog2List"},
                                                 {kAnalog1ZeroValue, "zeroValue1List"},
                                                 {kAnalog2ZeroValue, "zeroValue2List"}};
    for (const auto& [field, name] : lists) {
        const QComboBox* list = Child<QComboBox>(name);
        ASSERT_NE(list, nullptr) << name;
        int ownCodes = 0;
        for (int code = 0; code < 256; ++code) {
            const std::string words = Show(field, code);
            const std::string shown = ListText(list, code);
            if (words == shown && list->currentIndex() >= 0) {
                ++ownCodes;
            } else if (list->currentIndex() >= 0) {
                EXPECT_EQ(words, shown + " (code " + std::to_string(code) + ")") << name;
            } else {
                EXPECT_EQ(words, shown) << name;
            }
        }
        // Each entry stands for exactly one code.
        EXPECT_EQ(ownCodes, list->count()) << name;
    }

    const QComboBox* baud = Child<QComboBox>("baudRateList");
    const QComboBox* parity = Child<QComboBox>("parityList");
    for (int code = 0; code < 256; ++code) {
        const std::string words = Show(kSerialSettings, code);
        EXPECT_EQ(words, ListText(baud, code >> 4) + ", " + ListText(parity, code & 0x0F));
    }
}

TEST_F(PsfWordsDlgTest, EverySerialTransmissionByteReadsAsItsCheckedButtons) {
    const char* buttons[] = {
        "noSerialButton",       "measurementResultButton", "allModeButton", "maxMeasButton",
        "sendOnClearButton",    "sendOnRequestButton",     "asciiButton",   "binaryButton",
        "suppressClearDataBox", "suppressHeaderBox"};
    int ownCodes = 0;
    for (int code = 0; code < 256; ++code) {
        const std::string words = Show(kSerialTransmission, code);
        QStringList checked;
        for (const char* name : buttons) {
            const QAbstractButton* button = Child<QAbstractButton>(name);
            // A disabled format button says nothing about the byte.
            if (button->isChecked() && button->isEnabled()) {
                checked << button->text();
            }
        }
        const std::string shown = checked.join(QStringLiteral(", ")).toStdString();
        if (words == shown) {
            ++ownCodes;
        } else {
            EXPECT_EQ(words, shown + " (code " + std::to_string(code) + ")");
        }
    }
    // No serial communication, and eight format combinations of four modes.
    EXPECT_EQ(ownCodes, 1 + 4 * 8);
}

}  // namespace
