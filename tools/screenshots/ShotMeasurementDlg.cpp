// The two dialogs of trying a PSF out: the measurement output after a Run of an object
// passing through the curtain, with its trend chart, and the null/span adjustment of both
// analog outputs.

#include <QCoreApplication>
#include <QPushButton>
#include <array>

#include "BeamMeasures.h"
#include "MovingObject.h"
#include "Shots.h"
#include "SimLine.h"
#include "SimPort.h"
#include "protocol/ControllerLink.h"
#include "psf/MeasurementDlg.h"
#include "psf/NullSpanDlg.h"
#include "records/Psf.h"
#include "serial/Clock.h"
#include "serial/IdleHook.h"
#include "widgets/IdlePump.h"

TARN_SCREENSHOT(MeasurementDlg) {
    auto& clock = dynamic_cast<CVirtualClock&>(Clock());
    CSimLine line;
    CSimController& controller = *line.AddController('C', 1);
    controller.Psf().SetMeasMode(1, kFirstBlocked);
    controller.Psf().SetMeasMode(2, kTotalBlocked);
    CControllerLink link(std::make_unique<CSimPort>(line, clock, 19200, 'E'), 'C');
    CMeasurementDlg dialog(link, "FBB", "TBB", 3, nullptr);
    // An object five beams wide crosses the 64 beams every four seconds; Stop after 12 s.
    CMovingObject object(line, 5, 4000);
    auto* stop = dialog.findChild<QPushButton*>("stopButton");
    const uint32_t start = TickCount();
    const CScopedIdleHandler pump([&] {
        object.Place(line, static_cast<uint64_t>(clock.Now()) * 1000);
        if (TicksSince(start) >= 12000 && stop->isEnabled()) {
            stop->click();
        }
        CInputHold hold;
        QCoreApplication::processEvents();
        return 0;
    });
    dialog.findChild<QPushButton*>("runButton")->click();
    SaveShot(&dialog, outputFolder, "measurement-output.png");
}

TARN_SCREENSHOT(NullSpanDlg) {
    auto& clock = dynamic_cast<CVirtualClock&>(Clock());
    CSimLine line;
    line.AddController('C', 1);
    CControllerLink link(std::make_unique<CSimPort>(line, clock, 19200, 'E'), 'C');
    CPsf psf;
    CNullSpanDlg dialog(psf, link, CNullSpanDlg::Values{120, 4000, 0, 3650}, nullptr);
    SaveShot(&dialog, outputFolder, "null-span.png");
}
