// The alignment dialog over a simulated controller in alignment mode: what it shows of
// the beams and the blanking, the scan loop and its refresh rule, Auto Blanking with
// Accept and Abort, Clear, Restore, Edit, the blanking files, and Cancel.

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <memory>
#include <vector>

#include "AlignmentFixture.h"
#include "SimPort.h"
#include "WhenModal.h"
#include "alignment/AlignmentDlg.h"
#include "alignment/EditBlankingDlg.h"
#include "protocol/ControllerLink.h"
#include "widgets/IdlePump.h"

namespace {

using Rows = std::vector<std::string>;

class AlignmentDlgTest : public AlignmentFixture {
protected:
    AlignmentDlgTest() : link(std::make_unique<CSimPort>(line, *clock, 9600, 'E'), 'A') {
        link.SetControllerTable(&table);
    }

    // A controller of channels beams, with its blanking, in alignment mode; the dialog
    // made for it as the session makes it, not yet shown.
    void Make(int channels, std::initializer_list<int> blanked = {}) {
        controller->SetBoards(channels / 64, channels / 64);
        Blank(blanked);
        ASSERT_TRUE(link.EnterAlignmentMode());
        dialog = std::make_unique<CAlignmentDlg>(channels, nullptr);
        dialog->SetLink(&link);
        dialog->SetInitialMap(controller->BlankingMap());
    }
    // Shows the dialog, whose scanning starts at once, and stops it after scans scans.
    void ShowAndStop(unsigned scans = 1) {
        dialog->show();
        StopAfter(scans);
    }
    void StopAfter(unsigned scans) {
        CWhen stop([this, scans] { return dialog->ScanCount() >= scans; },
                   [this] { Click("stopButton"); });
        RunUntil([&] { return stop.Done() && dialog->Mode() == DialogMode::Idle; });
    }
    // Start pressed by the operator: the loop runs inside the click, until Stop.
    void StartAndStopAfter(unsigned scans) {
        CWhen stop([this, scans] { return dialog->ScanCount() >= scans; },
                   [this] { Click("stopButton"); });
        Click("startButton");
        EXPECT_TRUE(stop.Done());
    }
    // Starts Auto Blanking; whenReady runs from inside its loop once ready() holds.
    void AutoBlank(const std::function<bool()>& ready, const std::function<void()>& whenReady) {
        CWhen step(ready, whenReady);
        Click("autoBlankingButton");
        EXPECT_TRUE(step.Done());
    }
    bool InAutoBlankingLoop() const {
        return dialog->Mode() == DialogMode::AutoBlanking && PumpTarget() == dialog.get();
    }

    QPushButton* Button(const char* name) const { return dialog->findChild<QPushButton*>(name); }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
    std::string Value(const char* name) const {
        return dialog->findChild<QLabel*>(name)->text().toStdString();
    }
    QTableWidget* Grid() const { return dialog->findChild<QTableWidget*>("grid"); }
    std::string Cell(int column, int row) const {
        const QTableWidgetItem* item = Grid()->item(row - 1, column - 1);
        return item != nullptr ? item->text().toStdString() : "";
    }
    Rows BeamRows() const {
        Rows rows;
        for (int row = 1; row <= Grid()->rowCount(); ++row) {
            rows.push_back(Cell(2, row));
        }
        return rows;
    }
    std::vector<std::string> Enabled() const {
        std::vector<std::string> names;
        for (const QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->isEnabled()) {
                names.push_back(button->objectName().toStdString());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // Letters the controller got from the mark on.
    std::string CommandsSince(size_t mark) const { return Commands().substr(mark); }

    CControllerLink link;
    std::unique_ptr<CAlignmentDlg> dialog;
};

TEST_F(AlignmentDlgTest, OneEmitterBoardShowsFourRowsAndCountsBeforeTheFirstScan) {
    Make(64, {1, 2});
    EXPECT_EQ(dialog->windowTitle().toStdString(), "TALVEN VARN 2.1 with Blanking -- Alignment");
    ASSERT_EQ(Grid()->rowCount(), 4);
    EXPECT_EQ((Rows{Cell(1, 1), Cell(1, 2), Cell(1, 3), Cell(1, 4)}),
              (Rows{"1 - 16", "17 - 32", "33 - 48", "49 - 64"}));
    EXPECT_EQ(BeamRows(), Rows(4, ""));
    EXPECT_EQ(Grid()->item(0, 1)->font().family().toStdString(), "Courier New");
    EXPECT_EQ(Value("totalValue"), "64");
    EXPECT_EQ(Value("blockedValue"), "");
    EXPECT_EQ(Value("madeValue"), "");
    EXPECT_EQ(Value("blankedValue"), "2");
    EXPECT_EQ(dialog->CurrentMap().ByteLength(), 8);
    EXPECT_FALSE(Button("acceptAutoBlankingButton")->isVisible());
    EXPECT_EQ(dialog->findChild<QLabel*>("legendLabel")->text().toStdString(),
              "1 - Made    0 - Blocked     B-Blanked");
}

TEST_F(AlignmentDlgTest, ShowingReconnectsAndScansUntilStop) {
    Make(64, {3, 20, 40});
    Block({0, 1, 2, 33, 63});
    const size_t mark = Commands().size();
    dialog->show();
    // Only Stop is usable while the loop runs.
    std::vector<std::string> enabledWhileScanning;
    CWhen look([this] { return dialog->ScanCount() >= 2; },
               [&] { enabledWhileScanning = Enabled(); });
    StopAfter(3);
    EXPECT_EQ(enabledWhileScanning, std::vector<std::string>{"stopButton"});
    const std::string sent = CommandsSince(mark);
    EXPECT_EQ(sent.substr(0, 5), "xvVba");
    EXPECT_EQ(sent.substr(5), std::string(sent.size() - 5, 'S'));
    EXPECT_TRUE(controller->InAlignmentMode());
    EXPECT_EQ(BeamRows(), (Rows{"000B 1111 1111 1111 ", "1111 B111 1111 1111 ",
                                "1011 1111 B111 1111 ", "1111 1111 1111 1110 "}));
    // 5 blocked and 3 blanked of 64.
    EXPECT_EQ(Value("blockedValue"), "5");
    EXPECT_EQ(Value("madeValue"), "56");
    EXPECT_EQ(Value("blankedValue"), "3");
    EXPECT_EQ(Enabled(), (std::vector<std::string>{
                             "autoBlankingButton", "cancelButton", "clearBlankingButton",
                             "editButton", "okButton", "readFromFileButton", "restoreButton",
                             "saveToFileButton", "startButton", "stepButton"}));
    EXPECT_TRUE(prompts.Texts().empty());
}

TEST_F(AlignmentDlgTest, HidingTheDialogNeitherReconnectsNorScans) {
    Make(64);
    ShowAndStop();
    const size_t mark = Commands().size();
    dialog->hide();
    QCoreApplication::processEvents();
    EXPECT_EQ(CommandsSince(mark), "");
    // Shown again, it reconnects and scans as the first time.
    dialog->show();
    StopAfter(dialog->ScanCount() + 1);
    EXPECT_EQ(CommandsSince(mark).substr(0, 6), "xvVbaS");
}

TEST_F(AlignmentDlgTest, ScanWithTheSameSummaryIsNotDrawnAgain) {
    Make(64);
    Block({4, 10, 30});
    // After the first scan a beam moves between the ends: same count, same ends.
    CWhen move([this] { return ScansHeard() >= 1; }, [this] { Block({4, 11, 30}); });
    ShowAndStop(3);
    EXPECT_EQ(Cell(2, 1), "1111 0111 1101 1111 ");
    // A new Start does not draw its first scan either, as its summary equals the shown one.
    Block({4, 12, 30});
    StartAndStopAfter(dialog->ScanCount() + 1);
    EXPECT_EQ(Cell(2, 1), "1111 0111 1101 1111 ");
    // Step always draws what it scanned.
    Click("stepButton");
    EXPECT_EQ(Cell(2, 1), "1111 0111 1111 0111 ");
}

TEST_F(AlignmentDlgTest, ScanFailureEndsTheLoopWithItsMessage) {
    Make(64);
    dialog->show();
    CWhen fail([this] { return dialog->ScanCount() >= 1; }, [this] { Silence(3); });
    RunUntil([&] { return fail.Done() && dialog->Mode() == DialogMode::Idle; });
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Unable to Input Scan."});
    EXPECT_EQ(prompts.Messages()[0].owner, dialog.get());
    EXPECT_TRUE(Button("startButton")->isEnabled());
    // Step on a silent line keeps the display as it was.
    const Rows shown = BeamRows();
    Silence(3);
    Click("stepButton");
    EXPECT_EQ(prompts.Texts().size(), 2u);
    EXPECT_EQ(BeamRows(), shown);
}

TEST_F(AlignmentDlgTest, MadeLeavesTheBlankingInDuringAutoBlanking) {
    Make(64, {10, 11, 12});
    Block({1, 2, 3, 40, 63});
    ShowAndStop();
    EXPECT_EQ(Value("madeValue"), "56");
    std::string madeWhileAutoBlanking;
    std::string blankedWhileAutoBlanking;
    Rows rowsWhileAutoBlanking;
    AutoBlank([this] { return InAutoBlankingLoop() && dialog->ScanCount() >= 1; },
              [&] {
                  madeWhileAutoBlanking = Value("madeValue");
                  blankedWhileAutoBlanking = Value("blankedValue");
                  rowsWhileAutoBlanking = BeamRows();
                  Click("abortAutoBlankingButton");
              });
    EXPECT_EQ(madeWhileAutoBlanking, "59");
    EXPECT_EQ(blankedWhileAutoBlanking, "0");
    EXPECT_EQ(rowsWhileAutoBlanking[0], "1000 1111 1111 1111 ");
    // Abort sends the saved blanking back.
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(64, {10, 11, 12})));
    EXPECT_TRUE(dialog->CurrentMap().IsEqual(MapOf(64, {10, 11, 12})));
    EXPECT_EQ(Value("blankedValue"), "3");
    EXPECT_EQ(Cell(2, 1), "1000 1111 11BB B111 ");
    EXPECT_TRUE(Button("autoBlankingButton")->isVisible());
    EXPECT_FALSE(Button("acceptAutoBlankingButton")->isVisible());
    EXPECT_FALSE(Button("acceptAutoBlankingButton")->isEnabled());
    EXPECT_EQ(dialog->Mode(), DialogMode::Idle);
    EXPECT_TRUE(prompts.Texts().empty());
}

TEST_F(AlignmentDlgTest, AcceptRightAwayBlanksTheFirstScansBlockedBeams) {
    // Channel 3 is blocked but blanked, so the controller hides it until Auto Blanking
    // clears the blanking.
    Make(64, {3});
    Block({3, 7, 50});
    ShowAndStop();
    std::vector<std::string> enabledInLoop;
    bool waitingOnTheLine = false;
    AutoBlank([this] { return InAutoBlankingLoop(); },
              [&] {
                  enabledInLoop = Enabled();
                  waitingOnTheLine = link.Busy();
                  Click("acceptAutoBlankingButton");
              });
    EXPECT_TRUE(waitingOnTheLine);
    EXPECT_EQ(enabledInLoop,
              (std::vector<std::string>{"abortAutoBlankingButton", "acceptAutoBlankingButton"}));
    EXPECT_EQ(dialog->ScanCount(), 1u);
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(64, {3, 7, 50})));
    EXPECT_TRUE(dialog->CurrentMap().IsEqual(MapOf(64, {3, 7, 50})));
    EXPECT_EQ(Value("blankedValue"), "3");
    EXPECT_EQ(Value("madeValue"), "61");
    EXPECT_EQ(Cell(2, 1), "111B 111B 1111 1111 ");
}

TEST_F(AlignmentDlgTest, AcceptTakesTheScanShownNotALaterOneWithTheSameSummary) {
    Make(64);
    Block({4, 10, 30});
    ShowAndStop();
    CWhen move([this] { return InAutoBlankingLoop() && ScansHeard() >= 3; },
               [this] {
                   Block({4, 11, 30});
               });
    AutoBlank([this] { return InAutoBlankingLoop() && dialog->ScanCount() >= 3; },
              [this] { Click("acceptAutoBlankingButton"); });
    EXPECT_TRUE(move.Done());
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(64, {4, 10, 30})));
}

TEST_F(AlignmentDlgTest, ScanFailureDuringAutoBlankingRestoresTheSavedBlanking) {
    Make(64, {20, 21});
    Block({5});
    ShowAndStop();
    AutoBlank([this] { return InAutoBlankingLoop() && dialog->ScanCount() >= 1; },
              [this] { Silence(3); });
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Unable to Input Scan."});
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(64, {20, 21})));
    EXPECT_TRUE(dialog->CurrentMap().IsEqual(MapOf(64, {20, 21})));
    EXPECT_EQ(dialog->Mode(), DialogMode::Idle);
    EXPECT_TRUE(Button("autoBlankingButton")->isEnabled());
}

TEST_F(AlignmentDlgTest, RefusedAutoBlankingResultOrRestoreIsTold) {
    Make(64, {20});
    Block({5});
    ShowAndStop();
    // The controller answers the scan in progress, then not the blanking that follows.
    const int heardBefore = ScansHeard();
    AutoBlank([&] { return InAutoBlankingLoop() && ScansHeard() - heardBefore == 1; },
              [this] {
                  Click("acceptAutoBlankingButton");
                  Silence(1);
              });
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{"Unable to download blanking fields to controller."});
    EXPECT_TRUE(dialog->CurrentMap().IsEqual(MapOf(64, {20})));
    EXPECT_EQ(dialog->Mode(), DialogMode::Idle);

    const int heardThen = ScansHeard();
    AutoBlank([&] { return InAutoBlankingLoop() && ScansHeard() - heardThen == 1; },
              [this] {
                  Click("abortAutoBlankingButton");
                  Silence(1);
              });
    EXPECT_EQ(prompts.Texts().back(), "Unable to restore blanking fields in controller.");
    EXPECT_TRUE(dialog->CurrentMap().IsEqual(MapOf(64, {20})));
    EXPECT_EQ(controller->BlankingMap().CountBlanked(0), 0);
}

TEST_F(AlignmentDlgTest, ClearThenCancelSendsTheInitialBlankingAndStaysOpenWhenRefused) {
    Make(64, {8, 9});
    ShowAndStop();
    Click("clearBlankingButton");
    EXPECT_EQ(controller->BlankingMap().CountBlanked(0), 0);
    EXPECT_EQ(Value("blankedValue"), "0");
    EXPECT_EQ(Cell(2, 1), "1111 1111 1111 1111 ");

    Silence(1);
    Click("cancelButton");
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{"Unable to restore initial controller blanking fields."});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(controller->BlankingMap().CountBlanked(0), 0);

    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(64, {8, 9})));
}

TEST_F(AlignmentDlgTest, RefusedClearAndRestoreChangeNothing) {
    Make(64, {8});
    ShowAndStop();
    Silence(1);
    Click("clearBlankingButton");
    Silence(1);
    Click("restoreButton");
    EXPECT_EQ(prompts.Texts(),
              (std::vector<std::string>{"Unable to clear blanking fields in controller.",
                                        "Unable to restore initial controller blanking fields."}));
    EXPECT_TRUE(dialog->CurrentMap().IsEqual(MapOf(64, {8})));
    EXPECT_EQ(Value("blankedValue"), "1");
}

TEST_F(AlignmentDlgTest, OkKeepsTheBlankingLastSent) {
    Make(64, {8});
    ShowAndStop();
    Click("clearBlankingButton");
    const size_t mark = Commands().size();
    Click("okButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(CommandsSince(mark), "");
    EXPECT_EQ(controller->BlankingMap().CountBlanked(0), 0);
}

TEST_F(AlignmentDlgTest, CancelAndCloseAreRefusedWhileScanning) {
    Make(64, {8});
    dialog->show();
    CWhen tryToLeave([this] { return dialog->ScanCount() >= 1; },
                     [this] {
                         QTest::keyClick(dialog.get(), Qt::Key_Escape);
                         dialog->close();
                         Click("stopButton");
                     });
    RunUntil([&] { return tryToLeave.Done() && dialog->Mode() == DialogMode::Idle; });
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Commands().find('B'), std::string::npos);
}

TEST_F(AlignmentDlgTest, RestoreAfterReadFromFileBringsBackTheSessionsStart) {
    Make(64, {1});
    ShowAndStop();
    QTemporaryDir folder;
    const std::string path = folder.filePath("b.bfs").toStdString();
    ASSERT_TRUE(WriteBlockFile(path, MapOf(64, {30, 31})));
    prompts.ScriptFiles({path});
    Click("readFromFileButton");
    EXPECT_EQ(prompts.FileDialogs()[0].filter, "BFS Files (*.bfs) |*.bfs||");
    EXPECT_EQ(prompts.FileDialogs()[0].defaultExtension, "bfs");
    EXPECT_FALSE(prompts.FileDialogs()[0].save);
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(64, {30, 31})));
    EXPECT_EQ(Value("blankedValue"), "2");
    EXPECT_EQ(Cell(2, 2), "1111 1111 1111 11BB ");

    Click("restoreButton");
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(64, {1})));
    EXPECT_TRUE(dialog->CurrentMap().IsEqual(MapOf(64, {1})));
    EXPECT_EQ(Cell(2, 1), "1B11 1111 1111 1111 ");
    EXPECT_TRUE(prompts.Texts().empty());
}

TEST_F(AlignmentDlgTest, FileWithMoreChannelsWarnsAndKeepsTheControllersPart) {
    Make(128);
    ShowAndStop();
    QTemporaryDir folder;
    const std::string path = folder.filePath("wide.bfs").toStdString();
    ASSERT_TRUE(WriteBlockFile(path, MapOf(768, {5, 127, 700})));
    prompts.ScriptFiles({path});
    Click("readFromFileButton");
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{
                  "Warning! The number of channels in the file is greater than\n the number in "
                  "the controller. Blanking data for channels that\ndo not exist in the "
                  "controller will be ignored."});
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(128, {5, 127})));
    EXPECT_EQ(Value("blankedValue"), "2");
}

TEST_F(AlignmentDlgTest, RefusedFileBlankingLeavesTheDialogWithTheControllersMap) {
    Make(64, {1});
    ShowAndStop();
    QTemporaryDir folder;
    const std::string path = folder.filePath("b.bfs").toStdString();
    ASSERT_TRUE(WriteBlockFile(path, MapOf(64, {30})));
    prompts.ScriptFiles({path, ""});
    Silence(1);
    const Rows shown = BeamRows();
    Click("readFromFileButton");
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{"Unable to download blanking fields to controller."});
    EXPECT_TRUE(dialog->CurrentMap().IsEqual(MapOf(64, {1})));
    EXPECT_EQ(BeamRows(), shown);
    // A cancelled file dialog sends nothing.
    const size_t mark = Commands().size();
    Click("readFromFileButton");
    EXPECT_EQ(CommandsSince(mark), "");
}

TEST_F(AlignmentDlgTest, SaveWritesTheCurrentBlankingAndReportsAFailedOpen) {
    Make(64, {0, 15});
    ShowAndStop();
    QTemporaryDir folder;
    const std::string path = folder.filePath("saved.bfs").toStdString();
    const std::string missing = folder.filePath("none/saved.bfs").toStdString();
    prompts.ScriptFiles({path, missing, ""});
    const size_t mark = Commands().size();
    Click("saveToFileButton");
    Click("saveToFileButton");
    Click("saveToFileButton");
    EXPECT_EQ(CommandsSince(mark), "");
    EXPECT_TRUE(prompts.FileDialogs()[0].save);
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_EQ(bytes.size(), 98u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x80);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0x01);
    ASSERT_EQ(prompts.Texts().size(), 1u);
    EXPECT_EQ(prompts.Texts()[0].rfind("Error opening file '" + missing + "'\n", 0), 0u);
}

TEST_F(AlignmentDlgTest, EditedBlankingIsTakenOverAndRescanned) {
    Make(64);
    ShowAndStop();
    CWhenModal<CEditBlankingDlg> edit([](CEditBlankingDlg& editor) {
        // Channel 17 is column 2 of row 2.
        auto* boxes = editor.findChild<QTableWidget*>("grid");
        boxes->item(1, 1)->setCheckState(Qt::Checked);
        QTest::mouseClick(editor.findChild<QPushButton*>("okButton"), Qt::LeftButton);
    });
    const size_t mark = Commands().size();
    Click("editButton");
    EXPECT_EQ(edit.Count(), 1);
    EXPECT_EQ(CommandsSince(mark), "BS");
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(64, {17})));
    EXPECT_TRUE(dialog->CurrentMap().IsEqual(MapOf(64, {17})));
    EXPECT_EQ(Cell(2, 2), "1B11 1111 1111 1111 ");
    EXPECT_EQ(Value("blankedValue"), "1");
}

TEST_F(AlignmentDlgTest, EditorUnchangedOrCancelledSendsNoBlanking) {
    Make(64, {2});
    ShowAndStop();
    int opened = 0;
    CWhenModal<CEditBlankingDlg> edit([&opened](CEditBlankingDlg& editor) {
        ++opened;
        const char* button = opened == 1 ? "okButton" : "cancelButton";
        QTest::mouseClick(editor.findChild<QPushButton*>(button), Qt::LeftButton);
    });
    const size_t mark = Commands().size();
    Click("editButton");
    // OK without a change sends nothing, and the dialog still rescans.
    EXPECT_EQ(CommandsSince(mark), "S");
    Click("editButton");
    EXPECT_EQ(CommandsSince(mark), "S");
    EXPECT_EQ(opened, 2);
    EXPECT_TRUE(dialog->CurrentMap().IsEqual(MapOf(64, {2})));
}

}  // namespace
