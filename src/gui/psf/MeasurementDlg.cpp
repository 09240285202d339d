#include "psf/MeasurementDlg.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTableWidget>
#include <cstring>

#include "files/AtomicFile.h"
#include "protocol/ControllerLink.h"
#include "protocol/ScanReply.h"
#include "serial/Clock.h"
#include "ui_MeasurementDlg.h"
#include "widgets/IdlePump.h"
#include "widgets/Prompts.h"
#include "widgets/SpreadSheet.h"
#include "widgets/TrendChart.h"

namespace {

constexpr int kNameLength = 4;
constexpr std::array<const char*, 4> kHeaders = {"Measurement", "Low", "High", "Present"};
constexpr int kLowColumn = 2;
constexpr const char* kScanFailed = "Could not input scan.";
// Redrawing the chart a few times a second is smooth enough and keeps the Run loop fast.
constexpr uint32_t kChartRefreshMs = 250;
constexpr CFileDialogSpec kCsvFiles{"csv", "CSV Files (*.csv) |*.csv||"};
// A recording reaches the disk at least this often.
constexpr uint32_t kRecordSyncMs = 1000;

QString Reason(int errorNumber) {
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

void ReportScanFailure(QWidget* owner) {
    Prompts().Message(owner, QString::fromLatin1(kScanFailed), PromptIcon::kExclamation,
                      PromptButtons::kOk);
}

}  // namespace

CMeasurementDlg::CMeasurementDlg(CControllerLink& link, const QString& name1, const QString& name2,
                                 int selection, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::CMeasurementDlg>()),
      link(link),
      selection(selection),
      names{name1.left(kNameLength), name2.left(kNameLength)} {
    ui->setupUi(this);
    // The grid shows its header and two rows whole, and nothing below them.
    QTableWidget* table = ui->grid;
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() + table->rowHeight(0) +
                          table->rowHeight(1) + 2 * table->frameWidth());
    grid = new CSpreadSheet(table);
    grid->SetRow(0);
    for (int column = 1; column <= static_cast<int>(kHeaders.size()); ++column) {
        grid->SetCol(column);
        grid->SetText(QString::fromLatin1(kHeaders[static_cast<size_t>(column - 1)]));
    }
    grid->SetCol(1);
    grid->SetRow(1);
    grid->SetText(name1.left(kNameLength));
    grid->SetRow(2);
    grid->SetText(name2.left(kNameLength));

    connect(ui->runButton, &QPushButton::clicked, this, &CMeasurementDlg::Run);
    connect(ui->stopButton, &QPushButton::clicked, this, &CMeasurementDlg::Stop);
    connect(ui->stepButton, &QPushButton::clicked, this, &CMeasurementDlg::Step);
    connect(ui->exitButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->recordButton, &QPushButton::clicked, this, &CMeasurementDlg::ChooseRecordFile);
    ui->trendChart->SetNames(name1.left(kNameLength), name2.left(kNameLength));
    trend.Start(selection, TickCount());
    ui->trendChart->Show(trend);
}

CMeasurementDlg::~CMeasurementDlg() = default;

void CMeasurementDlg::reject() {
    if (!running) {
        QDialog::reject();
    }
}

void CMeasurementDlg::ShowIdle(bool idle) {
    ui->runButton->setEnabled(idle);
    ui->stepButton->setEnabled(idle);
    ui->exitButton->setEnabled(idle);
    ui->recordButton->setEnabled(idle);
    ui->stopButton->setEnabled(!idle);
    (idle ? ui->runButton : ui->stopButton)->setFocus();
}

void CMeasurementDlg::Run() {
    ShowIdle(false);
    running = true;
    for (MeasurementStats& one : stats) {
        one.Reset();
    }
    CMeasurementScan current(selection);
    CMeasurementScan previous(selection);
    bool first = true;
    if (!recordPath.isEmpty()) {
        StartRecording();
    } else {
        trend.Start(selection, TickCount());
    }
    uint32_t drawn = TickCount();
    {
        // Stop must reach this dialog while the link waits for a reply.
        CPumpTargetScope pumpTarget(this);
        while (running) {
            if (!link.InputScan(current)) {
                ReportScanFailure(this);
                running = false;
                break;
            }
            // Only a change is worth repainting the grid for.
            if (first || !(current == previous)) {
                ShowScan(current);
            }
            trend.Add(TickCount(), {current.Value1(), current.Value2()}, stats);
            RecordNewReadings();
            if (TicksSince(drawn) >= kChartRefreshMs) {
                ui->trendChart->Show(trend);
                drawn = TickCount();
            }
            previous = current;
            first = false;
        }
    }
    ui->trendChart->Show(trend);
    FinishRecording();
    ShowIdle(true);
}

void CMeasurementDlg::ChooseRecordFile() {
    const QString path = Prompts().SaveFileName(this, kCsvFiles);
    // Enter goes on to Run, not to Exit, the default button.
    ui->runButton->setFocus();
    if (path.isEmpty()) {
        return;
    }
    FileWriteError error;
    if (!CAppendFile::Check(path.toStdString(), &error)) {
        recordPath.clear();
        ui->recordText->clear();
        Prompts().Message(this,
                          QStringLiteral("Unable to record to %1: %2.")
                              .arg(QDir::toNativeSeparators(path), Reason(error.errorNumber)),
                          PromptIcon::kExclamation, PromptButtons::kOk);
        return;
    }
    recordPath = path;
    ui->recordText->setText(
        QStringLiteral("Run records every reading to %1").arg(QFileInfo(path).fileName()));
}

void CMeasurementDlg::StartRecording() {
    const QString started =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    trend.Start(selection, TickCount(),
                RecordingHeader(link.Id(), link.Port().Current().baud, started.toStdString(),
                                {names[0].toStdString(), names[1].toStdString()}));
    recorded = 0;
    recordLost = false;
    syncedMs = TickCount();
    // The folder may have gone since the file was chosen.
    if (record.Open(recordPath.toStdString())) {
        RecordNewReadings();
    } else {
        RecordingFailed();
    }
}

void CMeasurementDlg::RecordNewReadings() {
    if (!record.IsOpen()) {
        return;
    }
    const std::string& csv = trend.Csv();
    if (!record.Append(csv.data() + recorded, csv.size() - recorded)) {
        RecordingFailed();
        return;
    }
    recorded = csv.size();
    if (TicksSince(syncedMs) >= kRecordSyncMs) {
        if (!record.Sync()) {
            RecordingFailed();
            return;
        }
        syncedMs = TickCount();
    }
}

// Said in the dialog, not in a message box, so that the Run goes on meanwhile.
void CMeasurementDlg::RecordingFailed() {
    const int reason = record.ErrorNumber();
    record.Close();
    recordLost = true;
    ui->recordText->setText(
        QStringLiteral("Recording stopped: %1 cannot be written (%2). The readings are kept; "
                       "Stop offers to save them to another file.")
            .arg(QFileInfo(recordPath).fileName(), Reason(reason)));
    Prompts().Beep();
}

void CMeasurementDlg::FinishRecording() {
    if (record.IsOpen()) {
        if (!record.Sync() || !record.Close()) {
            RecordingFailed();
        }
    }
    if (recordLost) {
        SaveReadingsElsewhere();
    }
    recordLost = false;
    recordPath.clear();
    ui->recordText->clear();
}

void CMeasurementDlg::SaveReadingsElsewhere() {
    const QString question = QStringLiteral(
                                 "The readings of this Run could not all be written to %1.\n"
                                 "Save them to another file?")
                                 .arg(QDir::toNativeSeparators(recordPath));
    while (Prompts().Message(this, question, PromptIcon::kExclamation, PromptButtons::kYesNo) ==
           kAnswerYes) {
        const QString path = Prompts().SaveFileName(this, kCsvFiles);
        if (path.isEmpty()) {
            continue;
        }
        const std::string& csv = trend.Csv();
        if (WriteFileAtomically(path.toStdString(),
                                reinterpret_cast<const unsigned char*>(csv.data()), csv.size())) {
            return;
        }
        Prompts().Message(this, QString::asprintf("Unable to write %s.", qUtf8Printable(path)),
                          PromptIcon::kExclamation, PromptButtons::kOk);
    }
}

void CMeasurementDlg::Stop() {
    running = false;
}

void CMeasurementDlg::Step() {
    CMeasurementScan scan(selection);
    if (link.InputScan(scan)) {
        ShowScan(scan);
    } else {
        ReportScanFailure(this);
    }
}

void CMeasurementDlg::ShowScan(const CMeasurementScan& scan) {
    const std::array<bool, 2> produced = {(selection & 1) != 0, (selection & 2) != 0};
    const std::array<unsigned, 2> values = {scan.Value1(), scan.Value2()};
    for (size_t n = 0; n < stats.size(); ++n) {
        if (produced[n]) {
            stats[n].Update(static_cast<uint16_t>(values[n]));
        }
    }
    grid->SetReDraw(false);
    for (size_t n = 0; n < stats.size(); ++n) {
        if (!produced[n]) {
            continue;
        }
        grid->SetRow(static_cast<int>(n) + 1);
        const std::array<int32_t, 3> shown = {stats[n].low, stats[n].high, stats[n].present};
        for (size_t i = 0; i < shown.size(); ++i) {
            grid->SetCol(kLowColumn + static_cast<int>(i));
            grid->SetText(QString::asprintf("%d", shown[i]));
        }
    }
    grid->SetReDraw(true);
}
