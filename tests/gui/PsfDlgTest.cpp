// The PSF configuration dialog driven through its widgets against simulated controllers:
// opening with and without a selection, the editing rules of lists, buttons and boxes, the
// trigger channel, the ID and baud rate checks, Upload, Send (a controller moved to a new
// ID or baud rate), the PSF files, Quit and Exit, and the Edit PSF session around it.

#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <memory>

#include "PsfSimFixture.h"
#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "SimScanScript.h"
#include "WhenModal.h"
#include "app/EditPsfSession.h"
#include "protocol/ControllerLink.h"
#include "psf/PsfDlg.h"
#include "settings/PortFactory.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr char kTriggerMessage[] =
    "Invalid value for Trigger Channel number. The value must be between 1 and 768";

Bytes Frame(char id, char command) {
    return {0xF8, static_cast<unsigned char>(id), static_cast<unsigned char>(command), 0x0D};
}

class PsfDlgTest : public PsfSimFixture {
protected:
    // A controller on the line that the search found; selected makes it the selection.
    CSimController& Found(char id, int baudIndex, bool selected) {
        if (selected) {
            return Selected(id, baudIndex);
        }
        CSimController& controller = *line.AddController(id, baudIndex);
        table[id - 0x40][baudIndex] = kFoundMarker;
        return controller;
    }

    // Opens the session's connection and the dialog over it, and shows it.
    CPsfDlg& Open() {
        PsfSimFixture::Open().show();
        return *dialog;
    }
    // Makes the dialog the active window, so that focus moves between its boxes.
    void Activate() {
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    QComboBox* List(const char* name) const { return Child<QComboBox>(name); }
    QLineEdit* Edit(const char* name) const { return Child<QLineEdit>(name); }
    QAbstractButton* Button(const char* name) const { return Child<QAbstractButton>(name); }
    QString Text(const char* name) const { return Child<QLabel>(name)->text(); }
    QString BoxText(const char* name) const { return Edit(name)->text(); }

    // Picks entry index from the list's popup, as the operator does.
    void Choose(const char* name, int index) {
        QComboBox* list = List(name);
        list->showPopup();
        QAbstractItemView* view = list->view();
        view->setCurrentIndex(view->model()->index(index, 0));
        QTest::keyClick(view, Qt::Key_Return);
        EXPECT_FALSE(view->isVisible());
    }
    // Clicks near the left edge: on a radio button or check box that is the indicator.
    void Click(const char* name) {
        QAbstractButton* button = Button(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    // Replaces the text of a box by typing, then leaves it with Tab.
    void Type(const char* name, const char* text, bool leave = true) {
        QLineEdit* box = Edit(name);
        box->setFocus();
        box->selectAll();
        if (*text == '\0') {
            QTest::keyClick(box, Qt::Key_Delete);
        } else {
            QTest::keyClicks(box, QString::fromLatin1(text));
        }
        if (leave) {
            QTest::keyClick(box, Qt::Key_Tab);
        }
    }

    std::vector<Bytes> Frames(const CSimController& controller) const {
        std::vector<Bytes> frames;
        for (const SimReceivedFrame& frame : controller.Received()) {
            frames.push_back(frame.bytes);
        }
        return frames;
    }
};

TEST_F(PsfDlgTest, WithoutSelectionOpensOnTheDefaultsWithTheControllerButtonsOff) {
    CPsfDlg& psfDlg = Open();
    EXPECT_EQ(psfDlg.windowTitle().toStdString(),
              "TALVEN VARN 2.1 with Blanking -- PSF Configuration");
    EXPECT_TRUE(prompts.Texts().empty());
    EXPECT_EQ(List("controllerIdList")->currentText(), "A");
    EXPECT_EQ(List("baudRateList")->currentText(), "9600");
    EXPECT_EQ(List("parityList")->currentText(), "Even");
    EXPECT_EQ(List("controlModeList")->currentText(), "Host");
    EXPECT_EQ(List("scanningMethodList")->currentText(), "Straight");
    EXPECT_EQ(List("meas1List")->currentText(), "None");
    EXPECT_EQ(List("meas2List")->currentText(), "None");
    for (const char* output : {"analog1List", "analog2List", "discrete1List", "discrete2List"}) {
        EXPECT_EQ(List(output)->currentText(), "Disabled") << output;
    }
    EXPECT_EQ(List("zeroValue1List")->currentText(), "Null");
    EXPECT_EQ(List("discrete2List")->count(), 7);
    EXPECT_EQ(List("discrete1List")->count(), 5);
    EXPECT_FALSE(List("scanNumberList")->isEnabled());
    EXPECT_TRUE(Button("noSerialButton")->isChecked());
    EXPECT_TRUE(Button("asciiButton")->isChecked());
    EXPECT_FALSE(Button("asciiButton")->isEnabled());
    EXPECT_FALSE(Button("sendOnClearButton")->isEnabled());
    EXPECT_FALSE(Edit("setPointLow1Box")->isEnabled());
    EXPECT_FALSE(Edit("triggerChannelBox")->isEnabled());
    EXPECT_EQ(BoxText("hysteresisHigh2Box"), "2");
    EXPECT_EQ(Text("typeText"), "");
    for (const char* name : {"uploadButton", "sendButton", "executeButton", "nullSpanButton"}) {
        EXPECT_FALSE(Button(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(Button("saveButton")->isEnabled());
    EXPECT_EQ(Button("sendButton")->text(), "Send &PSF");

    // Enter, Escape and the close box leave it open.
    QTest::keyClick(&psfDlg, Qt::Key_Return);
    QTest::keyClick(&psfDlg, Qt::Key_Escape);
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QApplication::instance()->notify(&psfDlg, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_TRUE(psfDlg.isVisible());
    Click("quitButton");
    EXPECT_FALSE(psfDlg.isVisible());
}

TEST_F(PsfDlgTest, OpeningReadsTheSelectedControllersPsf) {
    CSimController& controller = Found('C', 1, true);
    controller.Psf().SetScanningMethod(ScanningMethodCode(3));
    controller.Psf().SetMeasMode(1, 'C');
    controller.Psf().SetSerialTransmission(0x65);
    controller.Psf().SetAnalogAssignment(2, 'Z');
    controller.Psf().SetAnalogZeroValue(2, 'c');
    controller.Psf().SetDiscreteAssignment(1, 'y');
    controller.Psf().SetDiscreteSetPointLow(1, 40);
    controller.Psf().SetDiscreteSetPointHigh(1, 60);
    controller.Psf().SetScanNumber(4);
    CPsfDlg& psfDlg = Open();

    EXPECT_EQ(Frames(controller), std::vector<Bytes>{Frame('C', 'G')});
    EXPECT_TRUE(prompts.Texts().empty());
    EXPECT_EQ(Text("idText"), "C");
    EXPECT_EQ(Text("baudText"), "19200");
    EXPECT_EQ(Text("typeText"), "VARN with Blanking");
    EXPECT_EQ(List("controllerIdList")->currentText(), "C");
    EXPECT_EQ(List("baudRateList")->currentText(), "19200");
    EXPECT_EQ(List("scanningMethodList")->currentText(), "Double Edge - Step 4");
    EXPECT_FALSE(Button("allModeButton")->isEnabled());
    EXPECT_EQ(List("meas1List")->currentText(), "LBB");
    EXPECT_TRUE(Button("maxMeasButton")->isChecked());
    EXPECT_TRUE(Button("sendOnClearButton")->isChecked());
    EXPECT_TRUE(Button("binaryButton")->isChecked());
    EXPECT_TRUE(Button("suppressClearDataBox")->isChecked());
    EXPECT_FALSE(Button("suppressHeaderBox")->isChecked());
    EXPECT_EQ(List("analog2List")->currentText(), "Meas 2 Inverted");
    EXPECT_EQ(List("zeroValue2List")->currentText(), "Span");
    EXPECT_EQ(List("scanNumberList")->currentText(), "4");
    EXPECT_TRUE(List("scanNumberList")->isEnabled());
    EXPECT_TRUE(Edit("setPointLow1Box")->isEnabled());
    EXPECT_FALSE(Edit("setPointLow2Box")->isEnabled());
    EXPECT_EQ(BoxText("setPointLow1Box"), "40");
    EXPECT_EQ(BoxText("setPointHigh1Box"), "60");
    EXPECT_TRUE(Button("uploadButton")->isEnabled());
    EXPECT_EQ(psfDlg.Psf().GetSerialTransmission(), 0x65);
}

TEST_F(PsfDlgTest, ControllerThatDoesNotAnswerLeavesTheDefaultsWithItsIdAndRate) {
    CSimController& controller = Found('D', 2, true);
    controller.AddFault(SimFault{SimFaultKind::silence});
    CPsfDlg& psfDlg = Open();
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Unable to Upload PSF"});
    EXPECT_EQ(prompts.Messages()[0].icon, PromptIcon::kExclamation);
    EXPECT_EQ(psfDlg.Psf().GetControllerId(), 'D');
    EXPECT_EQ(psfDlg.Psf().GetBaudIndex(), 2);
    EXPECT_EQ(psfDlg.Psf().GetScanningMethod(), kStraightScanning);
    EXPECT_EQ(Text("baudText"), "38400");
}

TEST_F(PsfDlgTest, SetPointsAreNormalisedOnLeavingTheirBoxes) {
    CSimController& controller = Found('A', 0, true);
    controller.Psf().SetDiscreteAssignment(1, 'y');
    controller.Psf().SetDiscreteSetPointHigh(1, 5);
    CPsfDlg& psfDlg = Open();
    Activate();
    const CPsf& psf = psfDlg.Psf();

    Type("setPointLow1Box", "0");
    EXPECT_EQ(BoxText("setPointLow1Box"), "1");
    EXPECT_EQ(BoxText("hysteresisLow1Box"), "0");
    EXPECT_EQ(BoxText("hysteresisHigh1Box"), "6");
    EXPECT_EQ(psf.GetDiscreteSetPointLow(1), 1);
    EXPECT_EQ(psf.GetDiscreteHysteresisHigh(1), 6);

    Type("setPointLow1Box", "900");
    EXPECT_EQ(BoxText("setPointLow1Box"), "768");
    EXPECT_EQ(BoxText("setPointHigh1Box"), "768");
    EXPECT_EQ(psf.GetDiscreteHysteresisLow(1), 767);
    EXPECT_EQ(psf.GetDiscreteHysteresisHigh(1), 769);

    Type("setPointLow1Box", "20");
    Type("hysteresisLow1Box", "25");
    EXPECT_EQ(BoxText("hysteresisLow1Box"), "19");
    EXPECT_EQ(psf.GetDiscreteHysteresisLow(1), 19);
    Type("setPointHigh1Box", "0");
    EXPECT_EQ(BoxText("setPointLow1Box"), "0");
    EXPECT_EQ(BoxText("hysteresisLow1Box"), "0");
    EXPECT_EQ(BoxText("hysteresisHigh1Box"), "1");
    EXPECT_EQ(psf.GetDiscreteSetPointLow(1), 0);

    // Every change is stored as typed; anything but digits empties the box.
    Type("hysteresisHigh1Box", "123", false);
    EXPECT_EQ(psf.GetDiscreteHysteresisHigh(1), 123);
    QTest::keyClicks(Edit("hysteresisHigh1Box"), "45");
    EXPECT_EQ(BoxText("hysteresisHigh1Box"), "1234");
    QTest::keyClick(Edit("hysteresisHigh1Box"), Qt::Key_Backspace);
    QTest::keyClick(Edit("hysteresisHigh1Box"), Qt::Key_X);
    EXPECT_EQ(BoxText("hysteresisHigh1Box"), "");
    EXPECT_EQ(psf.GetDiscreteHysteresisHigh(1), 0);
}

TEST_F(PsfDlgTest, TriggerOutputTakesItsChannelFromItsOwnBox) {
    CPsfDlg& psfDlg = Open();
    Activate();
    const CPsf& psf = psfDlg.Psf();
    Choose("discrete2List", 6);
    EXPECT_EQ(psf.GetDiscreteAssignment(2), 'v');
    EXPECT_FALSE(Edit("setPointLow2Box")->isEnabled());
    EXPECT_EQ(BoxText("setPointLow2Box"), "1");
    EXPECT_EQ(BoxText("setPointHigh2Box"), "1");
    EXPECT_EQ(BoxText("hysteresisLow2Box"), "0");
    EXPECT_EQ(BoxText("hysteresisHigh2Box"), "2");
    EXPECT_EQ(BoxText("triggerChannelBox"), "1");
    EXPECT_TRUE(Edit("triggerChannelBox")->hasFocus());

    Type("triggerChannelBox", "0", false);
    EXPECT_EQ(BoxText("triggerChannelBox"), "");
    EXPECT_EQ(prompts.Beeps(), 1);
    QTest::keyClick(Edit("triggerChannelBox"), Qt::Key_Tab);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{kTriggerMessage});

    Type("triggerChannelBox", "3777", false);
    EXPECT_EQ(BoxText("triggerChannelBox"), "377");
    EXPECT_EQ(psf.GetDiscreteSetPointLow(2), 377);
    Type("triggerChannelBox", "769");
    EXPECT_EQ(prompts.Beeps(), 2);
    EXPECT_EQ(prompts.Texts().size(), 2u);
    Type("triggerChannelBox", "37");
    EXPECT_EQ(psf.GetDiscreteSetPointLow(2), 37);
    EXPECT_EQ(prompts.Texts().size(), 2u);

    // Leaving Trigger: the record takes back what set point low #2 shows.
    Choose("discrete2List", 1);
    EXPECT_FALSE(Edit("triggerChannelBox")->isEnabled());
    EXPECT_EQ(BoxText("triggerChannelBox"), "");
    EXPECT_TRUE(Edit("setPointLow2Box")->isEnabled());
    EXPECT_EQ(psf.GetDiscreteSetPointLow(2), 1);
    EXPECT_TRUE(List("scanNumberList")->isEnabled());
}

TEST_F(PsfDlgTest, PsfWithTriggerChannel37KeepsIt) {
    CSimController& controller = Found('B', 0, true);
    controller.Psf().SetDiscreteAssignment(2, 'v');
    controller.Psf().SetDiscreteSetPointLow(2, 37);
    controller.Psf().SetDiscreteSetPointHigh(2, 50);
    controller.Psf().SetDiscreteHysteresisHigh(2, 60);
    CPsfDlg& psfDlg = Open();
    EXPECT_EQ(BoxText("triggerChannelBox"), "37");
    EXPECT_TRUE(Edit("triggerChannelBox")->isEnabled());
    EXPECT_EQ(BoxText("setPointLow2Box"), "1");
    const CPsf& psf = psfDlg.Psf();
    EXPECT_EQ(psf.GetDiscreteSetPointLow(2), 37);
    EXPECT_EQ(psf.GetDiscreteSetPointHigh(2), 1);
    EXPECT_EQ(psf.GetDiscreteHysteresisLow(2), 0);
    EXPECT_EQ(psf.GetDiscreteHysteresisHigh(2), 2);
    EXPECT_EQ(List("discrete2List")->currentText(), "Trigger");
    EXPECT_FALSE(List("scanNumberList")->isEnabled());
    EXPECT_EQ(prompts.Beeps(), 0);
}

TEST_F(PsfDlgTest, SerialTransmissionButtonsSetTheByte) {
    CPsfDlg& psfDlg = Open();
    const CPsf& psf = psfDlg.Psf();
    Click("maxMeasButton");
    EXPECT_EQ(psf.GetSerialTransmission(), 0x60);
    EXPECT_TRUE(Button("sendOnClearButton")->isChecked());
    EXPECT_TRUE(Button("sendOnRequestButton")->isEnabled());
    EXPECT_TRUE(Button("asciiButton")->isChecked());
    Click("binaryButton");
    Click("suppressHeaderBox");
    Click("sendOnRequestButton");
    EXPECT_EQ(psf.GetSerialTransmission(), 0x76);
    Click("allModeButton");
    EXPECT_EQ(psf.GetSerialTransmission(), 0x56);
    EXPECT_FALSE(Button("sendOnRequestButton")->isEnabled());
    EXPECT_TRUE(Button("binaryButton")->isEnabled());

    // Another scanning method turns ALL Mode into Measurement Mode Result.
    Choose("scanningMethodList", 2);
    EXPECT_EQ(psf.GetScanningMethod(), 20);
    EXPECT_EQ(psf.GetSerialTransmission(), 0x46);
    EXPECT_TRUE(Button("measurementResultButton")->isChecked());
    EXPECT_TRUE(Button("binaryButton")->isChecked());
    EXPECT_TRUE(Button("suppressHeaderBox")->isChecked());
    EXPECT_FALSE(Button("allModeButton")->isEnabled());
    Choose("scanningMethodList", 0);
    EXPECT_TRUE(Button("allModeButton")->isEnabled());
    EXPECT_EQ(psf.GetScanningMethod(), 1);

    Click("suppressHeaderBox");
    Click("asciiButton");
    EXPECT_EQ(psf.GetSerialTransmission(), 0x40);
    Click("noSerialButton");
    EXPECT_EQ(psf.GetSerialTransmission(), 0);
    EXPECT_FALSE(Button("asciiButton")->isEnabled());
    EXPECT_FALSE(Button("suppressHeaderBox")->isEnabled());
    Click("measurementResultButton");
    EXPECT_EQ(psf.GetSerialTransmission(), 0x40);
    EXPECT_TRUE(Button("asciiButton")->isChecked());
    EXPECT_TRUE(Button("suppressClearDataBox")->isEnabled());
}

TEST_F(PsfDlgTest, ListsStoreTheirCodes) {
    CPsfDlg& psfDlg = Open();
    const CPsf& psf = psfDlg.Psf();
    Choose("controlModeList", 4);
    Choose("meas2List", 9);
    Choose("analog1List", 3);
    Choose("zeroValue1List", 0);
    Choose("scanNumberList", 8);
    Choose("discrete1List", 2);
    EXPECT_EQ(psf.GetControlMode(), 'e');
    EXPECT_EQ(psf.GetMeasMode(2), 'J');
    EXPECT_EQ(psf.GetAnalogAssignment(1), 'Y');
    EXPECT_EQ(psf.GetAnalogZeroValue(1), 'a');
    EXPECT_EQ(psf.GetScanNumber(), 9);
    EXPECT_EQ(psf.GetDiscreteAssignment(1), 'z');
    EXPECT_TRUE(Edit("hysteresisLow1Box")->isEnabled());
    EXPECT_EQ(psfDlg.MeasIndex(2), 9);
    EXPECT_EQ(psfDlg.MeasName(2), "TRN");
    EXPECT_EQ(psfDlg.MeasName(1), "None");

    Choose("analog1List", 0);
    Choose("discrete1List", 0);
    EXPECT_FALSE(List("scanNumberList")->isEnabled());
    EXPECT_FALSE(Edit("hysteresisLow1Box")->isEnabled());
    Choose("discrete2List", 5);  // Alarm sends no measurement
    EXPECT_EQ(psf.GetDiscreteAssignment(2), 'w');
    EXPECT_FALSE(List("scanNumberList")->isEnabled());
    EXPECT_FALSE(Edit("setPointHigh2Box")->isEnabled());

    Choose("parityList", 1);
    EXPECT_EQ(psf.GetParityIndex(), 1);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Changed Parity"});
    EXPECT_EQ(prompts.Messages()[0].icon, PromptIcon::kExclamation);
}

TEST_F(PsfDlgTest, ListsTakeTheWheelOnlyWithTheFocus) {
    CPsfDlg& psfDlg = Open();
    Activate();
    const CPsf& psf = psfDlg.Psf();
    // One notch away from the entry shown, as the window system delivers it.
    auto wheel = [](QComboBox* list) {
        const QPoint inside(5, 5);
        QWheelEvent event(inside, list->mapToGlobal(inside), QPoint(),
                          QPoint(0, list->currentIndex() > 0 ? 120 : -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&event);
        QApplication::instance()->notify(list, &event);
    };
    Button("quitButton")->setFocus();
    ASSERT_TRUE(Button("quitButton")->hasFocus());
    const int parity = psf.GetParityIndex();
    const int id = psf.GetControllerId();
    const int baud = psf.GetBaudIndex();
    for (const char* name : {"parityList", "controllerIdList", "baudRateList", "meas1List"}) {
        const int shown = List(name)->currentIndex();
        wheel(List(name));
        EXPECT_EQ(List(name)->currentIndex(), shown) << name;
        EXPECT_FALSE(List(name)->hasFocus()) << name;
    }
    EXPECT_EQ(psf.GetParityIndex(), parity);
    EXPECT_EQ(psf.GetControllerId(), id);
    EXPECT_EQ(psf.GetBaudIndex(), baud);
    EXPECT_TRUE(prompts.Texts().empty());

    // The list the operator moved to takes it, one entry a notch.
    List("parityList")->setFocus();
    wheel(List("parityList"));
    EXPECT_NE(psf.GetParityIndex(), parity);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Changed Parity"});
}

TEST_F(PsfDlgTest, IdOrBaudRateOfAControllerOnTheLineIsRefused) {
    Found('C', 1, true);
    Found('A', 0, false);
    CPsfDlg& psfDlg = Open();
    const CPsf& psf = psfDlg.Psf();

    Choose("controllerIdList", 0);
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{"Controller ID 'A' cannot be selected because a "
                                       "controller with that ID already exists."});
    EXPECT_EQ(List("controllerIdList")->currentText(), "C");
    EXPECT_EQ(psf.GetControllerId(), 'C');
    Choose("controllerIdList", 3);
    EXPECT_EQ(psf.GetControllerId(), 'D');
    Choose("controllerIdList", 2);  // its own ID again
    EXPECT_EQ(psf.GetControllerId(), 'C');
    EXPECT_EQ(prompts.Texts().size(), 1u);

    // The rate at which the selected controller itself was found.
    Choose("baudRateList", 0);
    Choose("baudRateList", 1);
    EXPECT_EQ(prompts.Texts().back(), "This controller is already present.");
    EXPECT_EQ(List("baudRateList")->currentText(), "9600");
    EXPECT_EQ(psf.GetBaudIndex(), 0);
}

TEST_F(PsfDlgTest, SendPsfToANewRateMovesTheTableEntryAndTheLink) {
    CSimController& controller = Found('C', 1, true);
    CPsfDlg& psfDlg = Open();
    Choose("baudRateList", 2);
    const CPsf sent = psfDlg.Psf();
    Click("sendButton");
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"PSF Accepted"});
    EXPECT_EQ(controller.BaudIndex(), 2);
    EXPECT_EQ(table[0], (std::array<int32_t, 4>{'C', 2, kFoundMarker, 0}));
    EXPECT_EQ(table['C' - 0x40], (std::array<int32_t, 4>{0, 0, kFoundMarker, 0}));
    EXPECT_EQ(psfDlg.Link().GetBaudIndex(), 2);
    EXPECT_EQ(Text("baudText"), "38400");

    Click("uploadButton");
    EXPECT_EQ(prompts.Texts().back(), "Uploaded PSF");
    EXPECT_EQ(prompts.Messages().back().icon, PromptIcon::kInformation);
    EXPECT_EQ(Frames(controller),
              (std::vector<Bytes>{Frame('C', 'G'), PsfFrame('C', sent), Frame('C', 'G')}));
}

// 57600 is a rate the serial port cannot go to: a controller sent there would be lost, so
// such a PSF is refused, naming the rate, before anything goes on the line.
TEST_F(PsfDlgTest, SendPsfAt57600IsRefusedBeforeAnythingGoesOnTheLine) {
    CSimController& controller = Found('C', 1, true);
    CPsfDlg& psfDlg = Open();
    // A rate the lists do not offer, as a PSF from elsewhere may carry.
    psfDlg.Psf().SetBaudIndex(3);
    Click("sendButton");
    ASSERT_EQ(prompts.Texts().size(), 1u);
    EXPECT_NE(prompts.Texts()[0].find("57600 baud"), std::string::npos) << prompts.Texts()[0];
    EXPECT_EQ(controller.BaudIndex(), 1);
    EXPECT_EQ(table[0][1], 1);
    EXPECT_EQ(psfDlg.Link().GetBaudIndex(), 1);
    EXPECT_EQ(Frames(controller), std::vector<Bytes>{Frame('C', 'G')});  // the dialog's upload
}

TEST_F(PsfDlgTest, SendPsfWithANewIdMovesTheControllerAndTheLinkFollowsIt) {
    CSimController& controller = Found('C', 1, true);
    Found('A', 1, false);
    CPsfDlg& psfDlg = Open();
    Choose("controllerIdList", 4);
    const CPsf sent = psfDlg.Psf();
    Click("sendButton");
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"PSF Accepted"});
    EXPECT_EQ(controller.Id(), 'E');
    EXPECT_EQ(table[0][0], 'E');
    EXPECT_EQ(table['C' - 0x40][1], 0);
    EXPECT_EQ(table['E' - 0x40][1], kFoundMarker);
    EXPECT_EQ(Text("idText"), "E");

    Click("uploadButton");
    EXPECT_EQ(prompts.Texts().back(), "Uploaded PSF");
    EXPECT_EQ(Frames(controller),
              (std::vector<Bytes>{Frame('C', 'G'), PsfFrame('C', sent), Frame('E', 'G')}));
    EXPECT_EQ(psfDlg.Link().Id(), 'E');
}

TEST_F(PsfDlgTest, NewIdThatAnswersAPingIsNotSent) {
    CSimController& controller = Found('C', 1, true);
    // F is on the line, but the last search did not find it.
    CSimController& other = *line.AddController('F', 1);
    CPsfDlg& psfDlg = Open();
    Choose("controllerIdList", 5);
    Click("sendButton");
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{
                  "The id for controller 'C' cannot be changed to id 'F' because a contoller "
                  "already exists with the new id. You must select a unique id."});
    EXPECT_EQ(Frames(controller), std::vector<Bytes>{Frame('C', 'G')});
    EXPECT_EQ(Frames(other), std::vector<Bytes>{Frame('F', 'P')});
    EXPECT_EQ(psfDlg.Psf().GetControllerId(), 'F');
    EXPECT_EQ(table[0][0], 'C');
}

TEST_F(PsfDlgTest, RefusedOrUnansweredCommandsChangeNothing) {
    CSimController& controller = Found('C', 1, true);
    CPsfDlg& psfDlg = Open();
    Choose("baudRateList", 0);
    const ControllerTable before = table;
    controller.AddFault(SimFault{SimFaultKind::silence, 2});
    Click("sendButton");
    Click("uploadButton");
    EXPECT_EQ(prompts.Texts(),
              (std::vector<std::string>{"PSF Not Accepted", "PSF Was Not Received"}));
    EXPECT_EQ(table, before);
    EXPECT_EQ(psfDlg.Link().GetBaudIndex(), 1);
    EXPECT_EQ(controller.BaudIndex(), 1);
    EXPECT_EQ(psfDlg.Psf().GetBaudIndex(), 0);
}

class PsfFileTest : public PsfDlgTest {
protected:
    std::string Path(const char* name) const { return folder.filePath(name).toStdString(); }
    QTemporaryDir folder;
};

TEST_F(PsfFileTest, RetrievedFileTakesTheSelectionsIdAndRate) {
    CPsf file;
    file.SetControllerId('K');
    file.SetBaudIndex(2);
    file.SetControlMode('f');
    file.SetReserved(0x1234);
    ASSERT_TRUE(file.SaveToFile(Path("K.PSF")));
    Found('C', 1, true);
    CPsfDlg& psfDlg = Open();
    prompts.ScriptFiles({Path("K.PSF")});
    Click("retrieveButton");
    ASSERT_EQ(prompts.FileDialogs().size(), 1u);
    EXPECT_FALSE(prompts.FileDialogs()[0].save);
    EXPECT_EQ(prompts.FileDialogs()[0].filter, "PSF Files (*.PSF) |*.PSF||");
    EXPECT_EQ(prompts.FileDialogs()[0].defaultExtension, "PSF");
    EXPECT_TRUE(prompts.Texts().empty());
    EXPECT_EQ(psfDlg.Psf().GetControllerId(), 'C');
    EXPECT_EQ(psfDlg.Psf().GetBaudIndex(), 1);
    EXPECT_EQ(psfDlg.Psf().GetControlMode(), 'f');
    EXPECT_EQ(psfDlg.Psf().GetReserved(), 0x1234);
    EXPECT_EQ(List("controllerIdList")->currentText(), "C");
    EXPECT_EQ(List("controlModeList")->currentText(), "Gate - On to Off");
}

TEST_F(PsfFileTest, CorruptedFileIsRefused) {
    CPsf file;
    file.SetScanNumber(8);
    ASSERT_TRUE(file.SaveToFile(Path("bad.PSF")));
    {
        QFile raw(folder.filePath("bad.PSF"));
        ASSERT_TRUE(raw.open(QIODevice::ReadWrite));
        raw.seek(6);
        raw.write("\x07", 1);
    }
    CPsfDlg& psfDlg = Open();
    prompts.ScriptFiles({Path("bad.PSF"), Path("missing.PSF"), ""});
    Click("retrieveButton");
    Click("retrieveButton");
    Click("retrieveButton");  // cancelled
    EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"This File is Not Compatible.",
                                                         "This File is Not Compatible."}));
    EXPECT_EQ(psfDlg.Psf().GetScanNumber(), 1);
}

TEST_F(PsfFileTest, ExitSavesAFileThatLoadsBack) {
    CPsfDlg& psfDlg = Open();
    Choose("meas1List", 2);
    prompts.ScriptFiles({Path("saved.PSF")});
    Click("exitButton");
    EXPECT_FALSE(psfDlg.isVisible());
    EXPECT_EQ(psfDlg.result(), QDialog::Accepted);
    ASSERT_EQ(prompts.FileDialogs().size(), 1u);
    EXPECT_TRUE(prompts.FileDialogs()[0].save);
    EXPECT_EQ(prompts.FileDialogs()[0].filter, "PSF Files (*.PSF) |*.PSF||");
    CPsf loaded;
    ASSERT_TRUE(loaded.LoadFromFile(Path("saved.PSF")));
    EXPECT_EQ(loaded.GetMeasMode(1), 'C');
}

TEST_F(PsfFileTest, ExitClosesAfterACancelledSaveButNotAfterAFailedOne) {
    CPsfDlg& psfDlg = Open();
    const std::string unwritable = Path("no-such-folder/x.PSF");
    prompts.ScriptFiles({unwritable, ""});
    Click("exitButton");
    EXPECT_TRUE(psfDlg.isVisible());
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Unable to write " + unwritable + "."});
    Click("exitButton");
    EXPECT_FALSE(psfDlg.isVisible());
}

TEST(EditPsfSessionTest, RunsTheDialogBetweenSuspendAndResume) {
    CScopedVirtualClock clock;
    CSimLine line;
    const CScopedPortFactory factory([&](int, long baud, char parity) {
        return std::make_unique<CSimPort>(line, *clock, baud, parity);
    });
    CSimController& controller = *line.AddController('B', 0);
    ControllerTable table{};
    table[0] = {'B', 0, kFoundMarker, 0};
    table[2][0] = kFoundMarker;
    QWidget owner;
    int shown = 0;
    const CWhenModal<CPsfDlg> quit([&](CPsfDlg& dialog) {
        shown += dialog.Psf().GetControllerId() == 'B' && dialog.parent() == &owner ? 1 : 0;
        QTest::mouseClick(dialog.findChild<QPushButton*>("quitButton"), Qt::LeftButton);
    });
    CEditPsfSession session(&table, &owner, 0, 'E', 9600);
    EXPECT_EQ(session.Run(), 1);
    EXPECT_EQ(shown, 1);
    std::vector<Bytes> frames;
    for (const SimReceivedFrame& frame : controller.Received()) {
        frames.push_back(frame.bytes);
    }
    EXPECT_EQ(frames, (std::vector<Bytes>{Frame('B', 'V'), Frame('B', 'G'), Frame('B', 'v')}));
    EXPECT_FALSE(controller.IsSuspended());
}

}  // namespace
