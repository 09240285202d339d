// The diagnostics dialog for a controller with three boards on each side, one receiver
// channel in error.

#include "Shots.h"
#include "SimLine.h"
#include "SimPort.h"
#include "alignment/DiagnosticsDlg.h"
#include "app/DiagnosticsSession.h"
#include "serial/Clock.h"
#include "settings/PortFactory.h"

TARN_SCREENSHOT(DiagnosticsDlg) {
    auto& clock = dynamic_cast<CVirtualClock&>(Clock());
    CSimLine line;
    CSimController* controller = line.AddController('A', 2);
    controller->SetBoards(3, 3);
    controller->SetPartNumber(4051207, 1123);
    controller->SetVersion(0x21);
    controller->SetChannelError(kReceiver, 2, 37);
    const CScopedPortFactory factory([&](int portNumber, long baud, char parity) {
        return std::make_unique<CSimPort>(line, clock, baud, parity, portNumber);
    });
    ControllerTable table{};
    table[0] = {'A', 2, 'X', 0};
    table[1][2] = 'X';
    CDiagnosticsSession session(&table, nullptr, 0, 'E', 9600);
    if (!session.OpenConnection() || !session.ReadBothDiagnostics()) {
        return;
    }
    CDiagnosticsDlg dialog(nullptr, &session);
    SaveShot(&dialog, outputFolder, "diagnostics.png");
}
