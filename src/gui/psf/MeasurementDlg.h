#pragma once
// CMeasurementDlg: the measurement output of a controller that runs a PSF in Host mode
// with binary measurement results. It requests scans once per Step or continuously
// between Run and Stop, and shows for each measurement produced its lowest, highest and
// present value since Run was pressed. A chart follows the last readings of each
// measurement during a Run, and Record to File... writes every reading of the next Run to
// a CSV file as it comes. The file is checked when it is chosen and made when the Run
// starts, so a choice that no Run follows leaves nothing behind; should the file fail
// during the Run, recording stops and says so at once, and at Stop the readings, all still
// held here, may be saved to another file.

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

#include "files/AppendFile.h"
#include "records/MeasurementStats.h"
#include "records/MeasurementTrend.h"

class CControllerLink;
class CMeasurementScan;
class CSpreadSheet;

namespace Ui {
class CMeasurementDlg;
}

class CMeasurementDlg : public QDialog {
    Q_OBJECT

public:
    // name1, name2: the texts of the two measurement mode lists (4 characters are shown).
    // selection: bit 0 set when measurement 1 is produced, bit 1 for measurement 2.
    CMeasurementDlg(CControllerLink& link, const QString& name1, const QString& name2,
                    int selection, QWidget* parent);
    ~CMeasurementDlg() override;

    bool Running() const { return running; }

public slots:
    // Escape and the close box close the dialog only while no Run is active: the Run loop
    // lives inside the Run button's handler and must end first.
    void reject() override;

private:
    void Run();
    void Stop();
    void Step();
    // Takes the scan's values into the statistics and shows the rows that changed.
    void ShowScan(const CMeasurementScan& scan);
    void ShowIdle(bool idle);
    // Asks for the file that the next Run records to, and checks that it can be written.
    void ChooseRecordFile();
    // Opens the chosen file at the start of a Run and writes the recording's header.
    void StartRecording();
    // Appends the readings not yet in the recording file; a failure stops the recording.
    void RecordNewReadings();
    void RecordingFailed();
    // Closes the Run's recording file, if any; after a failure offers to save the
    // readings elsewhere.
    void FinishRecording();
    // Asks for another file until the Run's readings are saved or the operator declines.
    void SaveReadingsElsewhere();

    std::unique_ptr<Ui::CMeasurementDlg> ui;
    CSpreadSheet* grid;  // owned by the grid's table
    CControllerLink& link;
    int selection;
    std::array<MeasurementStats, 2> stats;
    bool running = false;
    CMeasurementTrend trend;
    QString names[2];
    // The file the next Run records to (empty for none), open during that Run.
    CAppendFile record;
    QString recordPath;
    size_t recorded = 0;      // bytes of the trend's CSV in the file
    bool recordLost = false;  // a write failed during this Run
    uint32_t syncedMs = 0;
};
