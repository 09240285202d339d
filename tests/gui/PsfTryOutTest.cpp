// Execute... and Null/Span of the PSF dialog against a simulated controller: the trial PSF
// and the previous one put back byte for byte, the link following the controller's ID and
// rate, every refusal, the save offered when the restore fails, and the null/span
// adjustment followed by a fresh upload.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "BeamMeasures.h"
#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "SimScanScript.h"
#include "WhenModal.h"
#include "app/EditPsfSession.h"
#include "protocol/ControllerLink.h"
#include "psf/MeasurementDlg.h"
#include "psf/NullSpanDlg.h"
#include "psf/PsfDlg.h"
#include "psf/PsfTryOut.h"
#include "serial/IdleHook.h"
#include "settings/PortFactory.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kNoneIndex = 10;
constexpr int kTbmIndex = 5;

Bytes Frame(char id, char command) {
    return {0xF8, static_cast<unsigned char>(id), static_cast<unsigned char>(command), 0x0D};
}

Bytes ScanFrame(char id) {
    return {0xF8, static_cast<unsigned char>(id), 'S'};
}

// The packed image, for comparing whole records.
Bytes ImageOf(CPsf psf) {
    psf.Pack();
    return Bytes(psf.Image(), psf.Image() + kPsfImageSize);
}

// While it lives, runs action once from the idle handler as soon as controller has got
// count frames with letter; pumps events as the program's idle handler does.
class COnFrame {
public:
    COnFrame(CSimController& controller, char letter, size_t count, std::function<void()> action)
        : handler([&controller, letter, count, action, this] {
              if (!done && FramesTo(controller, letter).size() >= count) {
                  done = true;
                  action();
              }
              CInputHold hold;
              QCoreApplication::processEvents();
              return 0;
          }) {}

private:
    bool done = false;
    CScopedIdleHandler handler;
};

class PsfTryOutTest : public ::testing::Test {
protected:
    PsfTryOutTest()
        : factory([this](int, long baud, char parity) {
              return std::make_unique<CSimPort>(line, *clock, baud, parity);
          }) {
        // C, found by the search at 9600 and selected, measures its blocked beams.
        table['C' - 0x40][0] = kFoundMarker;
        table[0] = {'C', 0, kFoundMarker, 0};
        CPsf& own = controller->Psf();
        own.SetControlMode('a');            // Continuous
        own.SetSerialTransmission(0x65);    // Max Meas, Send On Clear, binary, no clear data
        own.SetMeasMode(1, kTotalBlocked);  // TBB
        own.SetAnalogNull(1, 100);
        own.SetAnalogSpan(1, 4000);
        original = own;
    }
    ~PsfTryOutTest() override {
        dialog.reset();
        session.reset();
    }

    CPsfDlg& Open() {
        session = std::make_unique<CEditPsfSession>(&table, &owner, 0, 'E', 9600);
        EXPECT_EQ(session->OpenConnection(), 1);
        dialog = std::make_unique<CPsfDlg>(table, *session, &owner);
        dialog->show();
        return *dialog;
    }
    void Choose(const char* name, int index) {
        QComboBox* list = dialog->findChild<QComboBox*>(name);
        list->showPopup();
        QAbstractItemView* view = list->view();
        view->setCurrentIndex(view->model()->index(index, 0));
        QTest::keyClick(view, Qt::Key_Return);
    }
    void Click(const char* name) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(name), Qt::LeftButton);
    }
    // The frames the controller got after the dialog's opening upload.
    std::vector<Bytes> FramesAfterOpening() const {
        std::vector<Bytes> frames = FramesTo(*controller);
        frames.erase(frames.begin());
        return frames;
    }
    // What Execute sends: the working PSF in Host mode with binary measurement results.
    CPsf Trial() const {
        CPsf trial;
        trial.CopyFrom(dialog->Psf());
        trial.SetControlMode('b');
        trial.SetSerialTransmission(0x44);
        return trial;
    }

    CScopedVirtualClock clock;
    CSimLine line;
    CSimController* controller = line.AddController('C', 0);
    CScopedPortFactory factory;
    CScriptedPrompts prompts;
    ControllerTable table{};
    QWidget owner;
    CPsf original;
    std::unique_ptr<CEditPsfSession> session;
    std::unique_ptr<CPsfDlg> dialog;
};

TEST_F(PsfTryOutTest, ExecuteTriesTheEditedPsfInHostModeAndPutsThePreviousOneBack) {
    Open();
    Choose("meas2List", kTbmIndex);
    const CPsf trial = Trial();
    std::vector<QString> row1;
    std::vector<QString> row2;
    CWhenModal<CMeasurementDlg> measure([&](CMeasurementDlg& measurement) {
        BlockFirst(*controller, 12);
        QTest::mouseClick(measurement.findChild<QPushButton*>("stepButton"), Qt::LeftButton);
        const QTableWidget* grid = measurement.findChild<QTableWidget*>("grid");
        for (int column = 0; column < 4; ++column) {
            row1.push_back(grid->item(0, column)->text());
            row2.push_back(grid->item(1, column)->text());
        }
        QTest::mouseClick(measurement.findChild<QPushButton*>("exitButton"), Qt::LeftButton);
    });
    const uint32_t start = TickCount();
    Click("executeButton");

    EXPECT_EQ(measure.Count(), 1);
    EXPECT_TRUE(prompts.Texts().empty());
    EXPECT_EQ(FramesAfterOpening(), (std::vector<Bytes>{Frame('C', 'G'), PsfFrame('C', trial),
                                                        ScanFrame('C'), PsfFrame('C', original)}));
    EXPECT_EQ(trial.GetControlMode(), 'b');
    EXPECT_EQ(trial.GetSerialTransmission(), 0x44);
    // Both measurements: blocked beams and made beams of 64.
    EXPECT_EQ(row1, (std::vector<QString>{"TBB", "12", "12", "12"}));
    EXPECT_EQ(row2, (std::vector<QString>{"TBM", "52", "52", "52"}));
    EXPECT_EQ(ImageOf(controller->Psf()), ImageOf(original));
    // The restore pauses a second after the controller took the PSF back.
    EXPECT_GE(TicksSince(start), 1000u);
    // The working PSF keeps the edit.
    EXPECT_EQ(dialog->Psf().GetMeasMode(2), 'F');
}

TEST_F(PsfTryOutTest, ExecuteRefusesWhenBothMeasurementModesAreNone) {
    controller->Psf().SetMeasMode(1, kNoMeasure);
    Open();
    EXPECT_EQ(ExecutePsf(*dialog), 0);
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{"Measurement Modes cannot both be 'None'."});
    EXPECT_EQ(prompts.Messages()[0].icon, PromptIcon::kExclamation);
    EXPECT_TRUE(FramesAfterOpening().empty());
}

TEST_F(PsfTryOutTest, ExecuteStopsWhenTheControllersPsfCannotBeRead) {
    Open();
    controller->AddFault({SimFaultKind::silence, 1});
    EXPECT_EQ(ExecutePsf(*dialog), 0);
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{"Unable to input existing controller's PSF."});
    EXPECT_EQ(FramesAfterOpening(), std::vector<Bytes>{Frame('C', 'G')});
}

TEST_F(PsfTryOutTest, ExecuteStopsWithoutIconWhenTheTrialPsfIsNotAccepted) {
    Open();
    CWhenModal<CMeasurementDlg> measure([](CMeasurementDlg& measurement) { measurement.accept(); });
    {
        // The controller stops answering once it has sent its PSF.
        COnFrame silence(*controller, 'G', 2, [this] {
            controller->AddFault({SimFaultKind::silence, 1});
        });
        EXPECT_EQ(ExecutePsf(*dialog), 0);
    }
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Unable to output PSF."});
    EXPECT_EQ(prompts.Messages()[0].icon, PromptIcon::kNone);
    EXPECT_EQ(measure.Count(), 0);
    // The previous PSF goes back all the same, in case only the acknowledgement was lost.
    EXPECT_EQ(FramesAfterOpening(), (std::vector<Bytes>{Frame('C', 'G'), PsfFrame('C', Trial()),
                                                        PsfFrame('C', original)}));
    EXPECT_EQ(ImageOf(controller->Psf()), ImageOf(original));
}

TEST_F(PsfTryOutTest, UnacknowledgedTrialWithANewIdAndRateIsUndoneWhereTheControllerIs) {
    Open();
    Choose("controllerIdList", 'E' - 'A');
    Choose("baudRateList", 2);
    const CPsf trial = Trial();
    {
        // The trial goes unheard: the controller keeps its PSF, ID and rate.
        COnFrame silence(*controller, 'G', 2, [this] {
            controller->AddFault({SimFaultKind::silence, 1});
        });
        EXPECT_EQ(ExecutePsf(*dialog), 0);
    }
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Unable to output PSF."});
    EXPECT_EQ(FramesAfterOpening(),
              (std::vector<Bytes>{Frame('C', 'G'), PsfFrame('C', trial), PsfFrame('C', original)}));
    EXPECT_EQ(ImageOf(controller->Psf()), ImageOf(original));

    // The controller takes the trial and only its acknowledgement is spoilt: the second
    // try reaches it at the trial's ID and rate.
    const size_t before = FramesTo(*controller).size();
    {
        COnFrame spoil(*controller, 'G', 3, [this] {
            controller->AddFault({SimFaultKind::wrongLetter, 1});
        });
        EXPECT_EQ(ExecutePsf(*dialog), 0);
    }
    EXPECT_EQ(prompts.Texts().size(), 2u);
    const std::vector<Bytes> frames = FramesTo(*controller);
    EXPECT_EQ(std::vector<Bytes>(frames.begin() + static_cast<long>(before), frames.end()),
              (std::vector<Bytes>{Frame('C', 'G'), PsfFrame('C', trial), PsfFrame('E', original)}));
    EXPECT_EQ(controller->Id(), 'C');
    EXPECT_EQ(controller->BaudIndex(), 0);
    EXPECT_EQ(ImageOf(controller->Psf()), ImageOf(original));
    EXPECT_EQ(dialog->Link().Id(), 'C');
    EXPECT_EQ(dialog->Link().GetBaudIndex(), 0);
}

TEST_F(PsfTryOutTest, FailedScansStillEndWithThePreviousPsfRestored) {
    Open();
    CWhenModal<CMeasurementDlg> measure([this](CMeasurementDlg& measurement) {
        controller->AddFault({SimFaultKind::silence, 3});
        QTest::mouseClick(measurement.findChild<QPushButton*>("runButton"), Qt::LeftButton);
        measurement.accept();
    });
    EXPECT_EQ(ExecutePsf(*dialog), 1);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Could not input scan."});
    EXPECT_EQ(FramesAfterOpening().back(), PsfFrame('C', original));
    EXPECT_EQ(ImageOf(controller->Psf()), ImageOf(original));
}

TEST_F(PsfTryOutTest, ARestoreThatFailsOffersToSaveThePreviousPsf) {
    QTemporaryDir folder;
    const std::string path = folder.filePath("ORIGINAL.PSF").toStdString();
    prompts.ScriptAnswers({kAnswerYes});
    prompts.ScriptFiles({path});
    Open();
    CWhenModal<CMeasurementDlg> measure([this](CMeasurementDlg& measurement) {
        controller->AddFault({SimFaultKind::silence, kUntilCleared});
        measurement.accept();
    });
    EXPECT_EQ(ExecutePsf(*dialog), 1);
    EXPECT_EQ(
        prompts.Texts(),
        std::vector<std::string>{"Unable to restore original PSF.\nSave original PSF to a file?"});
    EXPECT_EQ(prompts.Messages()[0].icon, PromptIcon::kStop);
    EXPECT_EQ(prompts.Messages()[0].buttons, PromptButtons::kYesNo);
    CPsf loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    EXPECT_EQ(ImageOf(loaded), ImageOf(original));
}

TEST_F(PsfTryOutTest, TheLinkFollowsTheControllerToTheTrialIdAndBack) {
    Open();
    Choose("controllerIdList", 'E' - 'A');
    const CPsf trial = Trial();
    CWhenModal<CMeasurementDlg> measure([this](CMeasurementDlg& measurement) {
        BlockFirst(*controller, 3);
        QTest::mouseClick(measurement.findChild<QPushButton*>("stepButton"), Qt::LeftButton);
        EXPECT_EQ(controller->Id(), 'E');
        measurement.accept();
    });
    EXPECT_EQ(ExecutePsf(*dialog), 1);
    EXPECT_TRUE(prompts.Texts().empty());
    // The scan and the restore go to the ID the controller had just been given.
    EXPECT_EQ(FramesAfterOpening(), (std::vector<Bytes>{Frame('C', 'G'), PsfFrame('C', trial),
                                                        ScanFrame('E'), PsfFrame('E', original)}));
    EXPECT_EQ(controller->Id(), 'C');
    EXPECT_EQ(ImageOf(controller->Psf()), ImageOf(original));
    EXPECT_EQ(dialog->Link().Id(), 'C');
}

TEST_F(PsfTryOutTest, TheLinkFollowsTheControllerToTheTrialRateAndBack) {
    Open();
    Choose("baudRateList", 2);
    std::vector<long> rates;
    CWhenModal<CMeasurementDlg> measure([&](CMeasurementDlg& measurement) {
        rates.push_back(dialog->Link().Port().Current().baud);
        QTest::mouseClick(measurement.findChild<QPushButton*>("stepButton"), Qt::LeftButton);
        measurement.accept();
    });
    EXPECT_EQ(ExecutePsf(*dialog), 1);
    EXPECT_TRUE(prompts.Texts().empty());
    EXPECT_EQ(rates, std::vector<long>{38400});
    EXPECT_EQ(controller->BaudIndex(), 0);
    EXPECT_EQ(ImageOf(controller->Psf()), ImageOf(original));
    EXPECT_EQ(dialog->Link().GetBaudIndex(), 0);
}

TEST_F(PsfTryOutTest, NullSpanKeepsTheAdjustmentOnOkAndUploadsThePsfAgain) {
    Open();
    Choose("meas2List", kTbmIndex);  // an edit that the upload replaces
    CWhenModal<CNullSpanDlg> adjust([](CNullSpanDlg& nullSpan) {
        QLineEdit* null1 = nullSpan.findChild<QLineEdit*>("null1Edit");
        null1->setText("250");
        QTest::mouseClick(nullSpan.findChild<QPushButton*>("nullUpdateButton"), Qt::LeftButton);
        QTest::mouseClick(nullSpan.findChild<QPushButton*>("okButton"), Qt::LeftButton);
    });
    Click("nullSpanButton");
    EXPECT_EQ(adjust.Count(), 1);
    EXPECT_TRUE(prompts.Texts().empty());
    EXPECT_EQ(FramesAfterOpening(),
              (std::vector<Bytes>{Frame('C', 'A'),
                                  {0xF8, 'C', 'n', 0x00, 250, 0x00, 0x00, 0x0D},
                                  Frame('C', 'E'),
                                  Frame('C', 'G')}));
    EXPECT_EQ(controller->Psf().GetAnalogNull(1), 250);
    EXPECT_EQ(dialog->Psf().GetAnalogNull(1), 250);
    EXPECT_EQ(dialog->Psf().GetMeasMode(2), kNoMeasure);
    EXPECT_EQ(dialog->findChild<QComboBox*>("meas2List")->currentIndex(), kNoneIndex);
}

TEST_F(PsfTryOutTest, NullSpanCancelledStillUploadsThePsfAgain) {
    Open();
    CWhenModal<CNullSpanDlg> adjust([](CNullSpanDlg& nullSpan) {
        QTest::mouseClick(nullSpan.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
    });
    EXPECT_EQ(AdjustNullSpan(*dialog), 1);
    EXPECT_EQ(FramesAfterOpening(),
              (std::vector<Bytes>{Frame('C', 'A'), Frame('C', 'Q'), Frame('C', 'G')}));
    EXPECT_EQ(ImageOf(dialog->Psf()), ImageOf(original));
}

TEST_F(PsfTryOutTest, NullSpanRefusals) {
    table[0][2] = 0;  // C selected by hand, not by the search
    Open();
    EXPECT_EQ(AdjustNullSpan(*dialog), 0);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"You must select an Analog Controller."});
    dialog.reset();

    table[0][2] = kFoundMarker;
    Open();
    {
        controller->AddFault({SimFaultKind::silence, 1});
        CWhenModal<CNullSpanDlg> adjust([](CNullSpanDlg& nullSpan) { nullSpan.done(0); });
        EXPECT_EQ(AdjustNullSpan(*dialog), 0);
        EXPECT_EQ(prompts.Texts().back(), "Serial Interface is not active.");
        EXPECT_EQ(adjust.Count(), 0);
    }
    {
        // The upload after the adjustment fails.
        CWhenModal<CNullSpanDlg> cancel([this](CNullSpanDlg& nullSpan) {
            QTest::mouseClick(nullSpan.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
            controller->AddFault({SimFaultKind::silence, 1});
        });
        EXPECT_EQ(AdjustNullSpan(*dialog), 0);
        EXPECT_EQ(prompts.Texts().back(), "Unable to Upload PSF");
        EXPECT_EQ(cancel.Count(), 1);
    }
}

}  // namespace
