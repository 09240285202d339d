#pragma once
// The diagnostics dialog: the system state, the emitter's and the receiver's board
// counts, the emitter's part number, version and date code, and a grid row per board
// with its state (emitter boards, one empty row, receiver boards). Refresh reads the
// diagnostics again through the session and rebuilds the whole display.

#include <QDialog>
#include <memory>

#include "widgets/SpreadSheet.h"

class CDiagnosticsSession;

namespace Ui {
class CDiagnosticsDlg;
}

class CDiagnosticsDlg : public QDialog {
    Q_OBJECT

public:
    // session (not owned) holds the records shown and reads them again on Refresh.
    CDiagnosticsDlg(QWidget* parent, CDiagnosticsSession* session);
    ~CDiagnosticsDlg() override;

private:
    void Refresh();
    // Empties every cell of the grid and writes the column headers and widths.
    void LayoutGrid();
    void FillDisplay();
    void FillBoardRows();

    std::unique_ptr<Ui::CDiagnosticsDlg> ui;
    CSpreadSheet grid;
    CDiagnosticsSession* session;
};
