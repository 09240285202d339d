// The two dialogs of trying a PSF out: the measurement output after a few steps of an
// object passing through the curtain, and the null/span adjustment of both analog outputs.

#include <QPushButton>
#include <array>

#include "Shots.h"
#include "protocol/ControllerLink.h"
#include "psf/MeasurementDlg.h"
#include "psf/NullSpanDlg.h"
#include "psf/Psf.h"
#include "serial/Clock.h"
#include "sim/BeamMeasures.h"
#include "sim/SimLine.h"
#include "sim/SimPort.h"

TARN_SCREENSHOT(MeasurementDlg) {
    auto& clock = dynamic_cast<CVirtualClock&>(Clock());
    CSimLine line;
    CSimController& controller = *line.AddController('C', 1);
    controller.Psf().SetMeasMode(1, kFirstBlocked);
    controller.Psf().SetMeasMode(2, kTotalBlocked);
    CControllerLink link(std::make_unique<CSimPort>(line, clock, 19200, 'E'), 'C');
    CMeasurementDlg dialog(link, "FBB", "TBB", 3, nullptr);
    // The object's leading edge at three places, five beams wide.
    for (int first : {20, 31, 26}) {
        controller.SetAllBlocked(false);
        for (int channel = first; channel < first + 5; ++channel) {
            controller.SetBlocked(channel);
        }
        dialog.findChild<QPushButton*>("stepButton")->click();
    }
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
