// The measurement output dialog on a simulated controller whose measurement values follow
// its beams: the grid, the statistics of Run and Step, repainting only on a change, a
// failed scan, and Stop reaching the dialog while the link waits.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <memory>

#include "BeamMeasures.h"
#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "SimScanScript.h"
#include "protocol/ControllerLink.h"
#include "psf/MeasurementDlg.h"
#include "serial/Clock.h"
#include "widgets/IdlePump.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Row = std::vector<QString>;

const Row kEmptyValues = {"", "", ""};
const Bytes kScanRequest = {0xF8, 'C', 'S'};

class MeasurementDlgTest : public ::testing::Test {
protected:
    // The controller counts blocked beams as measurement 1 and made beams as measurement 2,
    // of 64 channels; produced says which of the two it sends.
    void Produce(int selection) {
        controller->Psf().SetMeasMode(1, (selection & 1) ? kTotalBlocked : kNoMeasure);
        controller->Psf().SetMeasMode(2, (selection & 2) ? kTotalMade : kNoMeasure);
    }
    std::unique_ptr<CMeasurementDlg> Open(int selection, const QString& name1 = "TBB",
                                          const QString& name2 = "TBM") {
        Produce(selection);
        return std::make_unique<CMeasurementDlg>(link, name1, name2, selection, nullptr);
    }

    static QPushButton* Button(CMeasurementDlg& dialog, const char* name) {
        return dialog.findChild<QPushButton*>(name);
    }
    static void Click(CMeasurementDlg& dialog, const char* name) {
        QTest::mouseClick(Button(dialog, name), Qt::LeftButton);
    }
    static QTableWidget* Grid(CMeasurementDlg& dialog) {
        return dialog.findChild<QTableWidget*>("grid");
    }
    // Name, low, high and present of measurement row 1 or 2.
    static Row RowOf(CMeasurementDlg& dialog, int row) {
        Row cells;
        for (int column = 0; column < 4; ++column) {
            const QTableWidgetItem* item = Grid(dialog)->item(row - 1, column);
            cells.push_back(item != nullptr ? item->text() : QString());
        }
        return cells;
    }
    static Row ValuesOf(CMeasurementDlg& dialog, int row) {
        Row cells = RowOf(dialog, row);
        cells.erase(cells.begin());
        return cells;
    }
    static void ClearValues(CMeasurementDlg& dialog, int row) {
        for (int column = 1; column < 4; ++column) {
            Grid(dialog)->item(row - 1, column)->setText(QString());
        }
    }
    // Idle: Run, Step and Exit enabled, Stop disabled.
    static bool Idle(CMeasurementDlg& dialog) {
        return Button(dialog, "runButton")->isEnabled() &&
               Button(dialog, "stepButton")->isEnabled() &&
               Button(dialog, "exitButton")->isEnabled() &&
               !Button(dialog, "stopButton")->isEnabled() && !dialog.Running();
    }

    CScopedVirtualClock clock{1000};
    CSimLine line;
    CSimController* controller = line.AddController('C', 0);
    CControllerLink link{std::make_unique<CSimPort>(line, *clock, 9600, 'E'), 'C'};
    CScriptedPrompts prompts;
};

TEST_F(MeasurementDlgTest, OpensWithHeadersAndBothNamesWhateverTheSelection) {
    auto dialog = Open(1, "FBB", "None!");
    EXPECT_EQ(dialog->windowTitle(), "TALVEN VARN 2.1 with Blanking -- Measurement Output");
    const QStringList headers = {"Measurement", "Low", "High", "Present"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(Grid(*dialog)->horizontalHeaderItem(column)->text(), headers[column]);
    }
    EXPECT_EQ(RowOf(*dialog, 1), (Row{"FBB", "", "", ""}));
    EXPECT_EQ(RowOf(*dialog, 2), (Row{"None", "", "", ""}));
    EXPECT_TRUE(Idle(*dialog));
    EXPECT_TRUE(Button(*dialog, "exitButton")->isDefault());
    EXPECT_TRUE(FramesTo(*controller).empty());
}

TEST_F(MeasurementDlgTest, RunShowsLowestHighestAndPresentOfTheReadingsSinceRun) {
    auto dialog = Open(1);
    {
        CScanScript script(*controller, {0, 5, 3, 0});
        script.At(4, [&] { Click(*dialog, "stopButton"); });
        Click(*dialog, "runButton");
    }
    // A reading of 0 is replaced as the lowest value, but never replaces a nonzero one.
    EXPECT_EQ(RowOf(*dialog, 1), (Row{"TBB", "3", "5", "0"}));
    // Measurement 2 is not produced: its row keeps its name and no values.
    EXPECT_EQ(RowOf(*dialog, 2), (Row{"TBM", "", "", ""}));
    EXPECT_EQ(FramesTo(*controller), std::vector<Bytes>(4, kScanRequest));
    EXPECT_TRUE(Idle(*dialog));
    EXPECT_TRUE(prompts.Texts().empty());
}

TEST_F(MeasurementDlgTest, BothMeasurementsOrTheSecondAloneFillTheirRows) {
    auto both = Open(3);
    {
        CScanScript script(*controller, {10, 20});
        script.At(2, [&] { Click(*both, "stopButton"); });
        Click(*both, "runButton");
    }
    EXPECT_EQ(ValuesOf(*both, 1), (Row{"10", "20", "20"}));
    EXPECT_EQ(ValuesOf(*both, 2), (Row{"44", "54", "44"}));  // made beams: 54, then 44

    auto second = Open(2);
    {
        CScanScript script(*controller, {60});
        script.At(1, [&] { Click(*second, "stopButton"); });
        Click(*second, "runButton");
    }
    EXPECT_EQ(ValuesOf(*second, 1), kEmptyValues);
    EXPECT_EQ(ValuesOf(*second, 2), (Row{"4", "4", "4"}));
}

TEST_F(MeasurementDlgTest, OnlyAScanThatDiffersFromThePreviousOneIsShown) {
    auto dialog = Open(1);
    // The grid is wiped once the first scan is shown: equal scans do not fill it again.
    {
        CScanScript script(*controller, {7, 7, 7});
        script.At(2, [&] { ClearValues(*dialog, 1); });
        script.At(3, [&] { Click(*dialog, "stopButton"); });
        Click(*dialog, "runButton");
    }
    EXPECT_EQ(ValuesOf(*dialog, 1), kEmptyValues);
    // A changed reading is shown, with the statistics of every scan of the Run.
    {
        CScanScript script(*controller, {7, 7, 9, 9});
        script.At(2, [&] { ClearValues(*dialog, 1); });
        script.At(4, [&] { Click(*dialog, "stopButton"); });
        Click(*dialog, "runButton");
    }
    EXPECT_EQ(ValuesOf(*dialog, 1), (Row{"7", "9", "9"}));
}

TEST_F(MeasurementDlgTest, AFailedScanEndsTheRunAndKeepsTheValuesShown) {
    auto dialog = Open(1);
    {
        CScanScript script(*controller, {4, 6});
        script.At(2, [&] { controller->AddFault({SimFaultKind::silence, kUntilCleared}); });
        Click(*dialog, "runButton");
    }
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Could not input scan."});
    EXPECT_EQ(prompts.Messages()[0].icon, PromptIcon::kExclamation);
    EXPECT_EQ(prompts.Messages()[0].owner, dialog.get());
    EXPECT_EQ(ValuesOf(*dialog, 1), (Row{"4", "6", "6"}));
    EXPECT_TRUE(Idle(*dialog));
    // Two good scans, then the link's three attempts at the third.
    EXPECT_EQ(FramesTo(*controller).size(), 5u);
}

TEST_F(MeasurementDlgTest, StepContinuesTheStatisticsOfTheLastRunAndRunStartsThemAnew) {
    auto dialog = Open(1);
    {
        CScanScript script(*controller, {5, 9});
        script.At(2, [&] { Click(*dialog, "stopButton"); });
        Click(*dialog, "runButton");
    }
    BlockFirst(*controller, 2);
    Click(*dialog, "stepButton");
    EXPECT_EQ(ValuesOf(*dialog, 1), (Row{"2", "9", "2"}));
    EXPECT_TRUE(Idle(*dialog));

    controller->AddFault({SimFaultKind::silence, 3});
    Click(*dialog, "stepButton");
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Could not input scan."});
    EXPECT_EQ(ValuesOf(*dialog, 1), (Row{"2", "9", "2"}));

    {
        CScanScript script(*controller, {7});
        script.At(1, [&] { Click(*dialog, "stopButton"); });
        Click(*dialog, "runButton");
    }
    EXPECT_EQ(ValuesOf(*dialog, 1), (Row{"7", "7", "7"}));
}

TEST_F(MeasurementDlgTest, StopReachesTheDialogThroughTheIdlePumpWhileTheLinkWaits) {
    auto dialog = Open(1);
    dialog->show();
    bool held = false;
    bool shownWhileRunning = false;
    // Fires in the first event pump of the Run loop, while input is held back.
    QTimer::singleShot(0, dialog.get(), [&] {
        held = InputHeld();
        QTest::keyClick(dialog.get(), Qt::Key_Escape);  // ignored while Run is active
        shownWhileRunning = dialog->isVisible();
        Click(*dialog, "stopButton");
    });
    Click(*dialog, "runButton");
    EXPECT_TRUE(held);
    EXPECT_TRUE(shownWhileRunning);
    EXPECT_EQ(FramesTo(*controller).size(), 1u);
    EXPECT_TRUE(Idle(*dialog));
    EXPECT_EQ(ValuesOf(*dialog, 1), (Row{"0", "0", "0"}));
    EXPECT_EQ(PumpTarget(), nullptr);

    Click(*dialog, "exitButton");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

}  // namespace
