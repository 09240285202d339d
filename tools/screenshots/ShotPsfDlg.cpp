// The PSF configuration dialog on a controller found at 19200 baud whose PSF scans
// straight, sends binary measurement results and drives all four outputs, discrete
// output #2 as the trigger on channel 37.

#include <memory>

#include "Shots.h"
#include "SimLine.h"
#include "SimPort.h"
#include "app/EditPsfSession.h"
#include "psf/PsfDlg.h"
#include "serial/Clock.h"
#include "settings/PortFactory.h"

TARN_SCREENSHOT(PsfDlg) {
    auto& clock = dynamic_cast<CVirtualClock&>(Clock());
    CSimLine line;
    const CScopedPortFactory factory([&](int, long baud, char parity) {
        return std::make_unique<CSimPort>(line, clock, baud, parity);
    });
    CSimController& controller = *line.AddController('C', 1);
    CPsf& psf = controller.Psf();
    psf.SetControlMode('a');
    psf.SetMeasMode(1, 'A');
    psf.SetMeasMode(2, 'E');
    psf.SetScanNumber(3);
    psf.SetSerialTransmission(0x45);
    psf.SetAnalogAssignment(1, 'y');
    psf.SetAnalogAssignment(2, 'z');
    psf.SetAnalogZeroValue(2, 'a');
    psf.SetDiscreteAssignment(1, 'Y');
    psf.SetDiscreteSetPointLow(1, 120);
    psf.SetDiscreteSetPointHigh(1, 240);
    psf.SetDiscreteHysteresisLow(1, 115);
    psf.SetDiscreteHysteresisHigh(1, 245);
    psf.SetDiscreteAssignment(2, 'v');
    psf.SetDiscreteSetPointLow(2, 37);

    ControllerTable table{};
    table[0] = {'C', 1, kFoundMarker, 0};
    table['C' - 0x40][1] = kFoundMarker;
    CEditPsfSession session(&table, nullptr, 0, 'E', 9600);
    if (!session.OpenConnection()) {
        return;
    }
    CPsfDlg dialog(table, session, nullptr);
    SaveShot(&dialog, outputFolder, "psf-configuration.png");
}
