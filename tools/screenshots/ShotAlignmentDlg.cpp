// The alignment dialog for a controller of two boards (128 channels) after a scan: a
// bracket's beams blanked at both ends of the curtain, an object blocking a few beams.

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "Shots.h"
#include "SimLine.h"
#include "SimPort.h"
#include "alignment/AlignmentDlg.h"
#include "protocol/ControllerLink.h"
#include "serial/Clock.h"

TARN_SCREENSHOT(AlignmentDlg) {
    auto& clock = dynamic_cast<CVirtualClock&>(Clock());
    CSimLine line;
    CSimController& controller = *line.AddController('A', 2);
    controller.SetBoards(2, 2);
    for (int channel : {0, 1, 2, 3, 124, 125, 126, 127}) {
        controller.BlankingMap().SetBlanked(channel, true);
    }
    for (int channel = 41; channel <= 50; ++channel) {
        controller.SetBlocked(channel);
    }
    controller.SetBlocked(87);
    ControllerTable table{};
    table[0] = {'A', 2, 'X', 0};
    table[1][2] = 'X';
    CControllerLink link(std::make_unique<CSimPort>(line, clock, 38400, 'E'), 'A');
    link.SetControllerTable(&table);
    CBlankingMap initial(controller.Channels());
    link.InputBlankingFields(initial);
    link.EnterAlignmentMode();

    CAlignmentDlg dialog(controller.Channels(), nullptr);
    dialog.SetLink(&link);
    dialog.SetInitialMap(initial);
    // Showing the dialog starts its scan loop; stop it after the first scan.
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, [&dialog, &stop] {
        if (dialog.ScanCount() >= 1) {
            stop.stop();
            dialog.findChild<QPushButton*>("stopButton")->click();
        }
    });
    stop.start(0);
    dialog.show();
    while (stop.isActive() || dialog.Mode() != DialogMode::Idle) {
        QApplication::processEvents();
    }
    SaveShot(&dialog, outputFolder, "alignment.png");
}
