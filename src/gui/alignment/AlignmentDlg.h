#pragma once
// The alignment dialog: it scans the beams of a controller in alignment mode and shows
// each channel as made, blocked or blanked with their counts, while the operator lines
// up emitter and receiver. It clears, restores, edits, sets automatically, saves and
// reads the controller's blanking; every change goes to the controller at once, and
// Cancel sends back the blanking the controller had when the session began.
//
// The scan loops run inside the Start and Auto Blanking handlers. While they wait on the
// line the dialog is the pump target, so Stop, Accept and Abort reach it; every other
// command is disabled for the loop's mode, and input to other windows is held back.

#include <QDialog>
#include <memory>
#include <utility>
#include <vector>

#include "protocol/ScanReply.h"
#include "records/BeamDisplay.h"
#include "records/BlankingMap.h"
#include "widgets/SpreadSheet.h"

class CControllerLink;
class QAbstractButton;

namespace Ui {
class CAlignmentDlg;
}

class CAlignmentDlg : public QDialog {
    Q_OBJECT

public:
    // channels: the controller's channel count, a multiple of 16 up to 768.
    CAlignmentDlg(int channels, QWidget* parent);
    ~CAlignmentDlg() override;

    // Both are set before the dialog shows: the link (not owned) to a controller in
    // alignment mode, and the blanking it held when the session began.
    void SetLink(CControllerLink* controllerLink) { link = controllerLink; }
    void SetInitialMap(const CBlankingMap& map);

    DialogMode Mode() const { return mode; }
    // The blanking the dialog believes the controller holds.
    const CBlankingMap& CurrentMap() const { return currentMap; }
    // Scans the loops took since construction or the last Auto Blanking started.
    unsigned ScanCount() const { return scanCount; }

    // Writes the row texts of the current scan into the beam column, with the blanked
    // channels as 'B' when showBlanked is set.
    void ShowBeams(bool showBlanked);

    // Cancel, Esc and the close box: only while Cancel is enabled, and only once the
    // controller has taken the initial blanking back; otherwise the dialog stays open.
    void reject() override;

protected:
    // When the dialog is shown (not when hidden): reconnect and Start, posted so that
    // scanning begins as soon as the operator sees the dialog at its laid-out size.
    void showEvent(QShowEvent* event) override;

private:
    void Start();
    void Stop() { runFlag = 0; }
    void Step() { TakeOneScan(); }
    void ClearBlankingFields();
    void RestoreControllerSettings();
    void SaveBlankingFile();
    void ReadBlankingFile();
    void Edit();
    void AutoBlanking();
    void AcceptAutoBlanking();
    void AbortAutoBlanking();

    // Takes the controller out of alignment mode and the line through a new suspension,
    // then back into alignment mode; each result is ignored.
    void Reconnect();
    void SetMode(DialogMode newMode);
    void EnableForMode();
    void LayoutGrid();
    void ShowCounts();
    void ShowBlanked();
    void ClearBeams();
    // One scan into the current scan, shown with the blanking; 1 or 0 (told).
    int TakeOneScan();
    // Shows the current map and rescans after the controller took a new blanking.
    void Redisplay();
    // Scans while runFlag is set, as the pump target. A scan becomes the current one and
    // is drawn only when its summary differs from the one shown, or it is the first
    // since scanCount was reset; a failed scan ends the loop (told).
    void RunScanLoop(bool showBlanked);
    // A message box over the dialog; text in the local encoding of file names.
    void Tell(const char* text);

    std::unique_ptr<Ui::CAlignmentDlg> ui;
    int channels;
    CControllerLink* link = nullptr;
    CBlankingMap initialMap;
    CSpreadSheet grid;
    int runFlag = 0;
    unsigned scanCount = 0;
    CBeamScan currentScan;
    CBlankingMap currentMap;
    int rows;
    DialogMode mode = DialogMode::Idle;
    int accepted = 0;
    std::vector<std::pair<AlignmentControl, QAbstractButton*>> modeControls;
};
