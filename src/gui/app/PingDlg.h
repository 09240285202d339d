#pragma once
// CPingDlg: what the controller search found, one grid row per controller ID (A to O) and
// one column per baud rate, with "X" where that controller answered at that rate.
// Choosing a cell that shows "X" (a click, or Enter or Space on the current cell) selects
// that controller at that rate and closes the dialog with OK; choosing an empty cell is
// refused with a message. Update searches the line again, with the search notice; Cancel
// closes the dialog and leaves the table as it is. After a search the operator ended
// early, a line under the grid says that the grid is incomplete.

#include <QDialog>
#include <memory>

#include "protocol/ControllerTable.h"

namespace Ui {
class CPingDlg;
}

class CServiceSession;
class CSpreadSheet;
class QLabel;

class CPingDlg : public QDialog {
    Q_OBJECT

public:
    // table and session must outlive the dialog; Update searches through the session's link.
    // complete: whether the search that filled the table ran to its end.
    CPingDlg(ControllerTable* table, CServiceSession* session, bool complete, QWidget* parent);
    ~CPingDlg() override;

private:
    void ShowSearchResults();
    void FitGridToContents();
    void OnUpdate();
    void OnCellPicked(int column, int row);

    std::unique_ptr<Ui::CPingDlg> ui;
    ControllerTable* table;
    CServiceSession* session;
    CSpreadSheet* grid;
    QLabel* incomplete;
};
