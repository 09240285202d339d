// Runs the measurement output dialog's Run loop against the simulated controllers, once on
// the in-process line in virtual time and once through the operating system's serial port
// against the line served on a pseudo-terminal in real time. An object moving through the
// curtain changes the values nearly every scan, so nearly every scan is also painted.
// Prints the scans per second beside the protocol's floor (the 50 ms pause before each
// scan request plus the wire time of the request and its reply), and the processor time
// the dialog's thread used. Through the pseudo-terminal it runs once with the trend chart
// hidden and once with the chart shown and every reading recorded to a CSV file.
//
// Usage: bench_scan_rate [virtual seconds (default 60)] [real seconds (default 10)]

#include <time.h>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "BeamMeasures.h"
#include "MovingObject.h"
#include "PtyServer.h"
#include "SimLine.h"
#include "SimPort.h"
#include "protocol/ControllerLink.h"
#include "psf/MeasurementDlg.h"
#include "serial/Clock.h"
#include "serial/ComPort.h"
#include "serial/IdleHook.h"
#include "widgets/IdlePump.h"
#include "widgets/Prompts.h"
#include "widgets/TrendChart.h"

namespace {

constexpr uint32_t kScanPauseMs = 50;
constexpr unsigned kScanRequestLength = 3;
constexpr int kObjectWidth = 8;
constexpr uint32_t kObjectPeriodMs = 2000;

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// One controller 'C' at 9600 baud, even parity, measuring the first blocked beam and, for
// selection 3, the last one too.
void AddController(CSimLine& line, int selection) {
    CSimController& controller = *line.AddController('C', 0);
    controller.Psf().SetMeasMode(1, kFirstBlocked);
    controller.Psf().SetMeasMode(2, selection == 3 ? kLastBlocked : kNoMeasure);
}

// A serial port that counts the scan requests written through it.
class CCountingComPort final : public CComPort {
public:
    using CComPort::CComPort;
    int WriteBytes(const unsigned char* buffer, unsigned count) override {
        if (count >= kScanRequestLength && buffer[0] == kRequestStart && buffer[2] == 'S') {
            ++scans;
        }
        return CComPort::WriteBytes(buffer, count);
    }
    long scans = 0;
};

// Answers the recording's file dialog with a path of its own; no other prompt comes.
class CRecordPrompts final : public CPrompts {
public:
    explicit CRecordPrompts(QString path) : path(std::move(path)) { InstallPrompts(this); }
    ~CRecordPrompts() override { InstallPrompts(nullptr); }
    CRecordPrompts(const CRecordPrompts&) = delete;
    CRecordPrompts& operator=(const CRecordPrompts&) = delete;
    int Message(QWidget*, const QString&, PromptIcon, PromptButtons) override { return 1; }
    QString OpenFileName(QWidget*, const CFileDialogSpec&) override { return {}; }
    QString SaveFileName(QWidget*, const CFileDialogSpec&, const QString&) override { return path; }
    void Beep() override {}

private:
    QString path;
};

struct CRunFigures {
    long scans;
    double seconds;     // on the clock the loop ran on
    double cpuSeconds;  // of this thread
};

// Presses Run in a measurement dialog on link and Stop once durationMs have passed on the
// process clock; everyIdle runs at every idle call, before the events are pumped as the
// program's idle handler does. Without a record path the trend chart is hidden.
CRunFigures RunDialog(CControllerLink& link, int selection, uint32_t durationMs,
                      const std::function<long()>& scans, const std::function<void()>& everyIdle,
                      const QString& recordPath = QString()) {
    CMeasurementDlg dialog(link, "FBB", "LBB", selection, nullptr);
    if (recordPath.isEmpty()) {
        dialog.findChild<CTrendChart*>()->hide();
    } else {
        const CRecordPrompts prompts(recordPath);
        dialog.findChild<QPushButton*>("recordButton")->click();
    }
    dialog.show();
    QApplication::processEvents();
    auto* stop = dialog.findChild<QPushButton*>("stopButton");
    const uint32_t start = TickCount();
    const long scansBefore = scans();
    CScopedIdleHandler pump([&] {
        everyIdle();
        if (TicksSince(start) >= durationMs && stop->isEnabled()) {
            stop->click();
        }
        CInputHold hold;
        QCoreApplication::processEvents();
        return 0;
    });
    const double cpuStart = ThreadCpuSeconds();
    dialog.findChild<QPushButton*>("runButton")->click();
    return {scans() - scansBefore, TicksSince(start) / 1000.0, ThreadCpuSeconds() - cpuStart};
}

void Print(const char* where, int selection, const CRunFigures& figures) {
    const unsigned replyLength = selection == 3 ? 7 : 5;
    const double floorMs =
        kScanPauseMs +
        static_cast<double>(WireTimeUs(kScanRequestLength + replyLength, 9600)) / 1000.0;
    const double rate = static_cast<double>(figures.scans) / figures.seconds;
    const double floorRate = 1000.0 / floorMs;
    std::printf("%s, selection %d (%u-byte reply), 9600 baud:\n", where, selection, replyLength);
    std::printf("  %ld scans in %.2f s: %.2f scans/s; floor %.2f ms per scan = %.2f scans/s\n",
                figures.scans, figures.seconds, rate, floorMs, floorRate);
    std::printf("  rate / floor rate:    %6.1f %% (target at least 97 %%)\n",
                rate / floorRate * 100.0);
    std::printf(
        "  processor time:       %6.3f ms per scan, %.2f %% of one core (target under "
        "10 %%)\n",
        figures.cpuSeconds * 1000.0 / static_cast<double>(figures.scans),
        figures.cpuSeconds / figures.seconds * 100.0);
}

void InProcess(int selection, uint32_t durationMs) {
    CScopedVirtualClock clock(0);
    CSimLine line;
    AddController(line, selection);
    CMovingObject object(line, kObjectWidth, kObjectPeriodMs);
    CSimController& controller = line.Controller(0);
    CControllerLink link(std::make_unique<CSimPort>(line, *clock, 9600, 'E'), 'C');
    long scans = 0;
    const CRunFigures figures = RunDialog(
        link, selection, durationMs, [&scans] { return scans; },
        [&] {
            const uint64_t nowUs = clock->Now() * 1000;
            object.Place(line, nowUs);
            // The controller keeps every frame it got: count the scans, then forget them.
            for (const SimReceivedFrame& frame : controller.Received()) {
                scans += frame.atUs < nowUs && frame.bytes[2] == 'S' ? 1 : 0;
            }
            line.ForgetTraffic(nowUs);
        });
    Print("in-process line, virtual time (processor time includes the simulated line)", selection,
          figures);
}

int ThroughPty(int selection, uint32_t durationMs, bool chartAndRecording) {
    CSimLine line;
    AddController(line, selection);
    CMovingObject object(line, kObjectWidth, kObjectPeriodMs);
    CPtyServer server(line, &object);
    if (server.Open() != 0) {
        std::fprintf(stderr, "cannot open a pseudo-terminal\n");
        return 1;
    }
    server.Start();
    auto port =
        std::make_unique<CCountingComPort>(0, 9600, 'E', 8, 1, 0, 1, 0, 0, 0, server.DevicePath());
    if (port->Status() != 0) {
        std::fprintf(stderr, "cannot open %s: %s\n", server.DevicePath().c_str(),
                     port->StatusText(port->Status()));
        return 1;
    }
    CCountingComPort& counting = *port;
    CControllerLink link(std::move(port), 'C');
    QTemporaryDir folder;
    const CRunFigures figures = RunDialog(
        link, selection, durationMs, [&counting] { return counting.scans; }, [] {},
        chartAndRecording ? folder.filePath(QStringLiteral("run.csv")) : QString());
    server.Stop();
    Print(chartAndRecording ? "pseudo-terminal line, real time, chart shown and recording"
                            : "pseudo-terminal line, real time, chart hidden",
          selection, figures);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const uint32_t virtualMs = static_cast<uint32_t>((argc > 1 ? std::atof(argv[1]) : 60.0) * 1000);
    const uint32_t realMs = static_cast<uint32_t>((argc > 2 ? std::atof(argv[2]) : 10.0) * 1000);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    InstallIdlePump();
    for (int selection : {1, 3}) {
        InProcess(selection, virtualMs);
    }
    for (int selection : {1, 3}) {
        for (bool chartAndRecording : {false, true}) {
            if (ThroughPty(selection, realMs, chartAndRecording) != 0) {
                return 1;
            }
        }
    }
    return 0;
}
