#include "SweepScripts.h"

#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include "app/MenuTable.h"
#include "psf/PsfDlg.h"

namespace {

using Turn = SweepScript::Turn;

constexpr int kTbmIndex = 5;  // "TBM" in the measurement mode lists
constexpr int kTypedNull = 250;

Turn Click(const char* button) {
    return [button](QDialog& dialog, CSweepRig&) { ClickButton(dialog, button); };
}

// Clicks the grid cell of row and column (both from 0, headers left out).
void ClickCell(QDialog& dialog, int row, int column) {
    auto* grid = dialog.findChild<QTableWidget*>("grid");
    ASSERT_NE(grid, nullptr);
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// Picks A at 9600 baud in the Ping dialog's grid.
void PickSelected(QDialog& dialog, CSweepRig&) {
    ClickCell(dialog, 0, 0);
}

void TypeNull1(QDialog& dialog) {
    dialog.findChild<QLineEdit*>("null1Edit")->setText(QString::number(kTypedNull));
}

// The script of command whose turns in its dialog of class dialogClass are turns.
SweepScript Script(const char* name, int command, const char* dialogClass,
                   std::vector<Turn> turns) {
    SweepScript script;
    script.name = name;
    script.command = command;
    script.turns[dialogClass] = std::move(turns);
    return script;
}

SweepScript Psf(const char* name, std::vector<Turn> turns) {
    return Script(name, kCmdEditPsf, "CPsfDlg", std::move(turns));
}

SweepScript Alignment(const char* name, std::vector<Turn> turns) {
    return Script(name, kCmdAlignment, "CAlignmentDlg", std::move(turns));
}

}  // namespace

std::vector<SweepScript> MenuScripts() {
    std::vector<SweepScript> scripts;
    scripts.push_back(Script("Ping", kCmdPing, "CPingDlg", {PickSelected}));
    scripts.push_back(
        Script("PingUpdate", kCmdPing, "CPingDlg", {Click("updateButton"), PickSelected}));

    scripts.push_back(Psf("PsfUpload", {Click("uploadButton")}));
    scripts.push_back(Psf("PsfSend", {[](QDialog& dialog, CSweepRig& rig) {
                              ChooseEntry(dialog, "meas2List", kTbmIndex);
                              rig.sentPsfs.push_back(PsfImage(static_cast<CPsfDlg&>(dialog).Psf()));
                              ClickButton(dialog, "sendButton");
                          }}));
    SweepScript step = Psf("PsfExecuteStep", {Click("executeButton")});
    step.turns["CMeasurementDlg"] = {Click("stepButton")};
    scripts.push_back(step);
    SweepScript run = Psf("PsfExecuteRun", {Click("executeButton")});
    run.turns["CMeasurementDlg"] = {Click("runButton")};
    scripts.push_back(run);
    SweepScript keep = Psf("PsfNullSpanOk", {Click("nullSpanButton")});
    keep.turns["CNullSpanDlg"] = {[](QDialog& dialog, CSweepRig& rig) {
                                      TypeNull1(dialog);
                                      // What the controller keeps on OK.
                                      CPsf adjusted = CSweepRig::StartPsf('A', 0);
                                      adjusted.SetAnalogNull(1, kTypedNull);
                                      rig.sentPsfs.push_back(PsfImage(adjusted));
                                      ClickButton(dialog, "nullUpdateButton");
                                  },
                                  Click("spanUpdateButton"), Click("okButton")};
    scripts.push_back(keep);
    SweepScript discard = Psf("PsfNullSpanCancel", {Click("nullSpanButton")});
    discard.turns["CNullSpanDlg"] = {[](QDialog& dialog, CSweepRig&) {
                                         TypeNull1(dialog);
                                         ClickButton(dialog, "nullUpdateButton");
                                     },
                                     Click("cancelButton")};
    scripts.push_back(discard);
    SweepScript save = Psf("PsfSave", {Click("saveButton")});
    save.files = {"SAVED.PSF"};
    scripts.push_back(save);
    SweepScript retrieve = Psf("PsfRetrieve", {Click("retrieveButton")});
    retrieve.files = {kPsfFileName};
    scripts.push_back(retrieve);
    scripts.push_back(Psf("PsfQuit", {Click("quitButton")}));
    SweepScript exit = Psf("PsfExit", {Click("exitButton")});
    exit.files = {"EXIT.PSF"};
    scripts.push_back(exit);

    scripts.push_back(
        Script("DiagnosticsRefresh", kCmdDiagnostics, "CDiagnosticsDlg", {Click("refreshButton")}));
    scripts.push_back(
        Script("DiagnosticsExit", kCmdDiagnostics, "CDiagnosticsDlg", {Click("exitButton")}));

    scripts.push_back(Alignment("AlignmentOk", {Click("okButton")}));
    scripts.push_back(Alignment("AlignmentCancel", {Click("cancelButton")}));
    scripts.push_back(Alignment("AlignmentStart", {Click("startButton")}));
    scripts.push_back(Alignment("AlignmentStep", {Click("stepButton")}));
    scripts.push_back(Alignment("AlignmentClear", {Click("clearBlankingButton")}));
    scripts.push_back(Alignment("AlignmentRestore", {Click("restoreButton")}));
    SweepScript saveBfs = Alignment("AlignmentSaveFile", {Click("saveToFileButton")});
    saveBfs.files = {"saved.bfs"};
    scripts.push_back(saveBfs);
    SweepScript readBfs = Alignment("AlignmentReadFile", {Click("readFromFileButton")});
    readBfs.files = {kBfsFileName};
    scripts.push_back(readBfs);
    SweepScript accept = Alignment("AlignmentAutoAccept", {Click("autoBlankingButton")});
    accept.loopEnders = {"acceptAutoBlankingButton", "stopButton"};
    scripts.push_back(accept);
    SweepScript abort = Alignment("AlignmentAutoAbort", {Click("autoBlankingButton")});
    abort.loopEnders = {"abortAutoBlankingButton", "stopButton"};
    scripts.push_back(abort);
    SweepScript edit = Alignment("AlignmentEditOk", {Click("editButton")});
    edit.turns["CEditBlankingDlg"] = {[](QDialog& dialog, CSweepRig&) {
        ClickCell(dialog, 0, 0);
        ClickButton(dialog, "okButton");
    }};
    scripts.push_back(edit);
    SweepScript editCancel = Alignment("AlignmentEditCancel", {Click("editButton")});
    editCancel.turns["CEditBlankingDlg"] = {[](QDialog& dialog, CSweepRig&) {
        ClickCell(dialog, 0, 0);
        ClickButton(dialog, "cancelButton");
    }};
    scripts.push_back(editCancel);

    scripts.push_back(
        Script("PartNumberOk", kCmdPartNumber, "CPartNumberDlg", {Click("okButton")}));
    scripts.push_back(
        Script("PartNumberCancel", kCmdPartNumber, "CPartNumberDlg", {Click("cancelButton")}));
    return scripts;
}
