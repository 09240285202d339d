// The PSF comparison: a working copy with three fields changed beside the PSF that the
// controller holds.

#include <QPushButton>
#include <memory>

#include "Shots.h"
#include "SimLine.h"
#include "SimPort.h"
#include "protocol/ControllerLink.h"
#include "psf/PsfCompareDlg.h"
#include "serial/Clock.h"

TARN_SCREENSHOT(PsfCompareDlg) {
    auto& clock = dynamic_cast<CVirtualClock&>(Clock());
    CSimLine line;
    CSimController& controller = *line.AddController('C', 1);
    controller.Psf().SetControlMode('a');
    controller.Psf().SetMeasMode(1, 'A');
    controller.Psf().SetAnalogAssignment(1, 'y');
    CControllerLink link(std::make_unique<CSimPort>(line, clock, 19200, 'E'), 'C');
    CPsf working;
    working.CopyFrom(controller.Psf());
    working.SetMeasMode(1, 'C');
    working.SetDiscreteAssignment(1, 'y');
    working.SetDiscreteSetPointLow(1, 120);
    CPsfCompareDlg dialog(
        working, [&](CPsf& psf) { return link.InputPsf(psf); }, nullptr);
    dialog.findChild<QPushButton*>("controllerButton")->click();
    SaveShot(&dialog, outputFolder, "psf-compare.png");
}
