#include "alignment/AlignmentDlg.h"

#include <QPushButton>
#include <QShowEvent>
#include <QString>

#include "alignment/EditBlankingDlg.h"
#include "protocol/ControllerLink.h"
#include "sequences/AlignmentSequences.h"
#include "sequences/BlankingFileCommands.h"
#include "sequences/LostConnection.h"
#include "serial/Clock.h"
#include "ui_AlignmentDlg.h"
#include "widgets/IdlePump.h"
#include "widgets/Prompts.h"

namespace {

constexpr uint32_t kReconnectSettleMs = 250;
constexpr const char* kGridFont = "Courier New";
constexpr int kLabelColumn = 1;
constexpr int kBeamColumn = 2;

constexpr CFileDialogSpec kBfsFiles{kBfsExtension, kBfsFilter};

constexpr const char* kScanFailed = "Unable to Input Scan.";
constexpr const char* kClearRefused = "Unable to clear blanking fields in controller.";
constexpr const char* kInitialRefused = "Unable to restore initial controller blanking fields.";
constexpr const char* kSavedRefused = "Unable to restore blanking fields in controller.";

// Builds the form's widgets, so that the grid can be bound to its table.
QTableWidget* SetUpForm(Ui::CAlignmentDlg& form, QDialog* dialog) {
    form.setupUi(dialog);
    return form.grid;
}

}  // namespace

CAlignmentDlg::CAlignmentDlg(int channels, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::CAlignmentDlg>()),
      channels(channels),
      grid(SetUpForm(*ui, this)),
      currentScan(channels),
      rows(channels / kChannelsPerGridRow) {
    modeControls = {
        {kIdStart, ui->startButton},
        {kIdStop, ui->stopButton},
        {kIdStep, ui->stepButton},
        {kIdClearBlanking, ui->clearBlankingButton},
        {kIdRestore, ui->restoreButton},
        {kIdSaveToFile, ui->saveToFileButton},
        {kIdReadFromFile, ui->readFromFileButton},
        {kIdAutoBlanking, ui->autoBlankingButton},
        {kIdAbortAutoBlanking, ui->abortAutoBlankingButton},
        {kIdEdit, ui->editButton},
        {kIdOk, ui->okButton},
        {kIdCancel, ui->cancelButton},
    };
    const std::pair<QPushButton*, void (CAlignmentDlg::*)()> commands[] = {
        {ui->startButton, &CAlignmentDlg::Start},
        {ui->stopButton, &CAlignmentDlg::Stop},
        {ui->stepButton, &CAlignmentDlg::Step},
        {ui->clearBlankingButton, &CAlignmentDlg::ClearBlankingFields},
        {ui->restoreButton, &CAlignmentDlg::RestoreControllerSettings},
        {ui->saveToFileButton, &CAlignmentDlg::SaveBlankingFile},
        {ui->readFromFileButton, &CAlignmentDlg::ReadBlankingFile},
        {ui->autoBlankingButton, &CAlignmentDlg::AutoBlanking},
        {ui->acceptAutoBlankingButton, &CAlignmentDlg::AcceptAutoBlanking},
        {ui->abortAutoBlankingButton, &CAlignmentDlg::AbortAutoBlanking},
        {ui->editButton, &CAlignmentDlg::Edit},
        {ui->okButton, &CAlignmentDlg::accept},
        {ui->cancelButton, &CAlignmentDlg::reject},
    };
    for (const auto& [button, command] : commands) {
        connect(button, &QPushButton::clicked, this, command);
    }
    ui->acceptAutoBlankingButton->hide();

    ui->totalValue->setNum(channels);
    ui->blockedValue->clear();
    ui->madeValue->clear();
    ShowBlanked();
    EnableForMode();
    LayoutGrid();
}

CAlignmentDlg::~CAlignmentDlg() = default;

void CAlignmentDlg::SetInitialMap(const CBlankingMap& map) {
    initialMap.Assign(map);
    currentMap.Assign(map);
    ShowBlanked();
}

void CAlignmentDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The window system shows a window again when it is restored; only the program's
    // own showing starts a scan, never one inside a running loop.
    if (event->spontaneous()) {
        return;
    }
    // The show event comes before the window system shows the window. Reconnecting here
    // would let the idle pump deliver the window's first, unlaid-out geometry meanwhile,
    // and the window would open at that size: both run once the window is up.
    QMetaObject::invokeMethod(
        this,
        [this] {
            Reconnect();
            Start();
        },
        Qt::QueuedConnection);
}

void CAlignmentDlg::Reconnect() {
    link->ExitAlignmentMode();
    link->ResumeKnown(link->GetControllerTable());
    link->SuspendKnown(link->GetControllerTable());
    DelayMs(kReconnectSettleMs);
    link->FlushBuffers();
    CBlankingMap scratch(channels);
    link->InputBlankingFields(scratch);
    link->EnterAlignmentMode();
}

void CAlignmentDlg::SetMode(DialogMode newMode) {
    mode = newMode;
    EnableForMode();
}

void CAlignmentDlg::EnableForMode() {
    for (const ModeEnabling& entry : kModeEnabling) {
        for (const auto& [control, button] : modeControls) {
            if (control == entry.control) {
                button->setEnabled(EnabledInMode(entry, mode));
            }
        }
    }
}

void CAlignmentDlg::LayoutGrid() {
    grid.SetReDraw(false);
    grid.SetMaxRows(rows);
    grid.SetBlockMode(true);
    grid.SetRow(1);
    grid.SetCol(kLabelColumn);
    grid.SetRow2(rows);
    grid.SetCol2(kBeamColumn);
    grid.SetFontName(QString::fromLatin1(kGridFont));
    grid.SetBlockMode(false);
    for (int row = 1; row <= rows; ++row) {
        grid.SetCellText(kLabelColumn, row, QString::fromStdString(BeamRowLabel(row)));
        grid.SetCellText(kBeamColumn, row, QString());
    }
    grid.SetReDraw(true);
}

void CAlignmentDlg::ShowBeams(bool showBlanked) {
    for (int row = 1; row <= rows; ++row) {
        grid.SetCellText(
            kBeamColumn, row,
            QString::fromStdString(BeamRowText(currentScan, currentMap, row, showBlanked)));
    }
}

void CAlignmentDlg::ShowCounts() {
    ui->blockedValue->setNum(currentScan.BlockedCount());
    ui->madeValue->setNum(MadeCount(currentScan, currentMap, mode));
}

void CAlignmentDlg::ShowBlanked() {
    ui->blankedValue->setNum(currentMap.CountBlanked(0));
}

void CAlignmentDlg::ClearBeams() {
    grid.SetBlockMode(true);
    grid.SetRow(1);
    grid.SetCol(kBeamColumn);
    grid.SetRow2(rows);
    grid.SetCol2(kBeamColumn);
    grid.SetText(QString());
    grid.SetBlockMode(false);
}

void CAlignmentDlg::Tell(const char* text) {
    Prompts().Message(this, QString::fromLocal8Bit(text), PromptIcon::kExclamation,
                      PromptButtons::kOk);
}

int CAlignmentDlg::TakeOneScan() {
    if (!link->InputScan(currentScan)) {
        Tell(kScanFailed);
        return 0;
    }
    ShowCounts();
    ShowBeams(true);
    return 1;
}

void CAlignmentDlg::Redisplay() {
    ShowBeams(true);
    ShowBlanked();
    if (!TakeOneScan()) {
        ClearBeams();
    }
}

void CAlignmentDlg::RunScanLoop(bool showBlanked) {
    CBeamScan scan(channels);
    runFlag = 1;
    CPumpTargetScope target(this);
    while (runFlag != 0) {
        if (!link->InputScan(scan)) {
            runFlag = 0;
            Tell(kScanFailed);
            break;
        }
        if (scanCount == 0 || !(scan == currentScan)) {
            currentScan = scan;
            ShowCounts();
            ShowBeams(showBlanked);
        }
        ++scanCount;
    }
}

void CAlignmentDlg::Start() {
    SetMode(DialogMode::Scanning);
    ui->stopButton->setFocus();
    RunScanLoop(true);
    SetMode(DialogMode::Idle);
    ui->startButton->setFocus();
}

void CAlignmentDlg::ClearBlankingFields() {
    const CBlankingMap cleared(channels);
    if (!link->OutputBlankingFields(cleared)) {
        Tell(kClearRefused);
        return;
    }
    currentMap.Assign(cleared);
    Redisplay();
}

void CAlignmentDlg::RestoreControllerSettings() {
    if (!link->OutputBlankingFields(initialMap)) {
        Tell(kInitialRefused);
        return;
    }
    currentMap.Assign(initialMap);
    Redisplay();
}

void CAlignmentDlg::Edit() {
    CEditBlankingDlg editor(link, currentMap, this);
    // On OK the editor has already sent its map, when it changed.
    if (editor.exec() != QDialog::Accepted) {
        return;
    }
    currentMap.Assign(editor.Map());
    Redisplay();
}

void CAlignmentDlg::SaveBlankingFile() {
    const QString path = Prompts().SaveFileName(this, kBfsFiles);
    if (path.isEmpty()) {
        return;
    }
    const std::string failure = ::SaveBlankingFile(path.toStdString(), currentMap);
    if (!failure.empty()) {
        Tell(failure.c_str());
    }
}

void CAlignmentDlg::ReadBlankingFile() {
    const QString path = Prompts().OpenFileName(this, kBfsFiles);
    if (path.isEmpty()) {
        return;
    }
    // The dialog's map changes only once the controller has the file's blanking, so that
    // it never claims a blanking the controller refused (Abort would send it back).
    CBlankingMap sent;
    if (!SendBlankingFile(
            *link, path.toStdString(), channels, ChannelsBeyond::kWarnAndDrop,
            [this](const char* text) { Tell(text); }, sent)) {
        return;
    }
    currentMap.Assign(sent);
    Redisplay();
}

void CAlignmentDlg::AutoBlanking() {
    CBlankingMap saved;
    saved.Assign(currentMap);
    const CBlankingMap cleared(channels);
    accepted = 0;
    if (!link->OutputBlankingFields(cleared)) {
        Tell(kClearRefused);
        return;
    }
    ui->blankedValue->setNum(0);
    ui->autoBlankingButton->setEnabled(false);
    ui->autoBlankingButton->hide();
    ui->acceptAutoBlankingButton->setEnabled(true);
    ui->acceptAutoBlankingButton->show();
    ui->acceptAutoBlankingButton->setFocus();
    scanCount = 0;
    SetMode(DialogMode::AutoBlanking);

    RunScanLoop(false);

    if (accepted != 0) {
        const CBlankingMap result = BlockedChannels(currentScan);
        if (link->OutputBlankingFields(result)) {
            currentMap.Assign(result);
        } else {
            Tell(kBlankingDownloadFailed);
        }
    } else {
        currentMap.Assign(saved);
        if (!link->OutputBlankingFields(saved)) {
            Tell(kSavedRefused);
        }
    }
    mode = DialogMode::Idle;
    Redisplay();
    ui->acceptAutoBlankingButton->setEnabled(false);
    ui->acceptAutoBlankingButton->hide();
    ui->autoBlankingButton->setEnabled(true);
    ui->autoBlankingButton->show();
    ui->autoBlankingButton->setFocus();
    EnableForMode();
}

void CAlignmentDlg::AcceptAutoBlanking() {
    runFlag = 0;
    accepted = 1;
}

void CAlignmentDlg::AbortAutoBlanking() {
    runFlag = 0;
    accepted = 0;
}

void CAlignmentDlg::reject() {
    if (!ui->cancelButton->isEnabled()) {
        return;
    }
    // The initial blanking goes back over a new connection when a device server's was
    // lost, so that a cancelled alignment leaves none of its changes behind.
    if (!RunClosingStep(*link, [&] { return link->OutputBlankingFields(initialMap); })) {
        Tell(kInitialRefused);
        return;
    }
    QDialog::reject();
}
