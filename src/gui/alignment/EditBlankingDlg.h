#pragma once
// The manual blanking editor: every channel a check box in a grid of 16 columns, one
// row per 16 channels, checked meaning blanked. The operator checks boxes one by one or
// blanks and clears whole selected blocks; OK sends the edited map to the controller
// before the dialog closes, but only when it differs from the map it opened with.
// Cancel sends nothing.

#include <QDialog>
#include <memory>

#include "records/BlankingMap.h"
#include "widgets/SpreadSheet.h"

class CControllerLink;

namespace Ui {
class CEditBlankingDlg;
}

class CEditBlankingDlg : public QDialog {
    Q_OBJECT

public:
    // Edits a copy of map, all of whose channels it shows; link (not owned) receives the
    // edited map on OK.
    CEditBlankingDlg(CControllerLink* link, const CBlankingMap& map, QWidget* parent);
    ~CEditBlankingDlg() override;

    // After OK: the edited map, which the controller now holds.
    const CBlankingMap& Map() const { return map; }

    // OK: sends the edited map when it changed; a refused download keeps the dialog open.
    void accept() override;

private:
    void LayoutGrid();
    void SelectAll();
    // Writes value ("1" blanked, "0" clear) into every block the operator selected.
    void SetSelected(const QString& value);
    // Rebuilds map from the check boxes.
    void ReadGrid();

    std::unique_ptr<Ui::CEditBlankingDlg> ui;
    CSpreadSheet grid;
    CControllerLink* link;
    CBlankingMap map;
    CBlankingMap startMap;
    int rows;
};
