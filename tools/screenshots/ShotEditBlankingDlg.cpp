// The manual blanking editor for a controller of two boards (128 channels), a few
// channels blanked and a block selected.

#include <QTableWidget>

#include "Shots.h"
#include "SimLine.h"
#include "SimPort.h"
#include "alignment/EditBlankingDlg.h"
#include "protocol/ControllerLink.h"
#include "serial/Clock.h"

TARN_SCREENSHOT(EditBlankingDlg) {
    auto& clock = dynamic_cast<CVirtualClock&>(Clock());
    CSimLine line;
    line.AddController('A', 2);
    CControllerLink link(std::make_unique<CSimPort>(line, clock, 38400, 'E'), 'A');
    CBlankingMap map(128);
    for (int channel : {17, 18, 19, 44, 45, 90}) {
        map.SetBlanked(channel, true);
    }
    CEditBlankingDlg dialog(&link, map, nullptr);
    auto* grid = dialog.findChild<QTableWidget*>("grid");
    grid->setRangeSelected(QTableWidgetSelectionRange(4, 8, 5, 11), true);
    SaveShot(&dialog, outputFolder, "edit-blanking.png");
}
