// The service windows: the line monitor after a few commands with faults on the line,
// the main window's panel after a diagnostics read and a PSF upload, and the help window
// over the user guide.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <memory>

#include "Shots.h"
#include "SimLine.h"
#include "SimPort.h"
#include "app/ControllerPanel.h"
#include "app/HelpFile.h"
#include "app/HelpWnd.h"
#include "app/LineMonitorWnd.h"
#include "app/MainFrame.h"
#include "protocol/ControllerLink.h"
#include "protocol/Diagnostics.h"
#include "records/Psf.h"
#include "serial/Clock.h"

namespace {

// Controller C at 19200 baud with three boards a side, read as the Diagnostics and the
// Edit PSF commands read it.
void ReadController(CSimLine& line, bool withFaults) {
    CSimController* c = line.AddController('C', 1);
    c->SetBoards(3, 3);
    c->SetPartNumber(40312, 2411);
    auto& clock = dynamic_cast<CVirtualClock&>(Clock());
    CControllerLink link(std::make_unique<CSimPort>(line, clock, 9600, 'E'), 'C');
    if (withFaults) {
        link.SuspendAll(160);
        for (char id = 'A'; id <= 'D'; ++id) {
            link.Ping(id);
        }
    }
    link.SetBaudIndex(1);
    link.SuspendKnown(nullptr);
    CDiagnostics emitter;
    CDiagnostics receiver;
    link.InputDiagnostics(emitter, 0);
    link.InputDiagnostics(receiver, 1);
    CPsf psf;
    if (withFaults) {
        SimFault fault;
        fault.kind = SimFaultKind::corruptChecksum;
        c->AddFault(fault);
        link.InputPsf(psf);
        fault.kind = SimFaultKind::shortReply;
        fault.count = 6;
        c->AddFault(fault);
        link.InputPsf(psf);
    }
    link.InputPsf(psf);
    if (withFaults) {
        link.ResumeAll(160);
    }
}

}  // namespace

TARN_SCREENSHOT(LineMonitor) {
    CLineMonitorWnd monitor(nullptr);
    CSimLine line;
    ReadController(line, true);
    monitor.resize(980, 420);
    SaveShot(&monitor, outputFolder, "line-monitor.png");
}

TARN_SCREENSHOT(ControllerPanel) {
    CHelpFile helpFile;
    CMainFrame frame(helpFile);
    CSimLine line;
    ReadController(line, false);
    frame.Table()[0] = {'C', 1, 'X', 0};
    frame.Table()[3][1] = 'X';
    frame.UpdateCommandUi();
    frame.resize(640, 480);
    SaveShot(&frame, outputFolder, "controller-panel.png");
}

TARN_SCREENSHOT(HelpWindow) {
    // The guide beside the pictures being written: docs/user-guide.md for docs/images.
    const QString guide = QFileInfo(outputFolder).absoluteDir().filePath("user-guide.md");
    CHelpWnd help(nullptr, guide);
    help.resize(760, 560);
    SaveShot(&help, outputFolder, "help-window.png");
}
