#pragma once
// CMeasurementDlg: the measurement output of a controller that runs a PSF in Host mode
// with binary measurement results. It requests scans once per Step or continuously
// between Run and Stop, and shows for each measurement produced its lowest, highest and
// present value since Run was pressed. A chart follows the last readings of each
// measurement during a Run, and Record to File... writes every reading of the next Run to
// a CSV file.

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

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
    // Asks for the file that the next Run records to.
    void ChooseRecordFile();
    // Writes the Run's readings to the chosen file, if any, and forgets the file.
    void FinishRecording();

    std::unique_ptr<Ui::CMeasurementDlg> ui;
    CSpreadSheet* grid;  // owned by the grid's table
    CControllerLink& link;
    int selection;
    std::array<MeasurementStats, 2> stats;
    bool running = false;
    CMeasurementTrend trend;
    QString recordPath;
};
