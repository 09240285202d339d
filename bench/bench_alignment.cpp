// Runs the alignment dialog's scan loop on a controller of 768 channels (12 boards) at
// 38400 baud, through the operating system's serial port against the simulated line
// served on a pseudo-terminal in real time. An object moving through the curtain changes
// the beams nearly every scan, so nearly every scan also redraws the beam grid. Prints the
// scans per second beside the protocol's floor (the 50 ms pause before each scan request
// plus the wire time of the 3-byte request and the 99-byte reply), the processor time the
// dialog's thread used, and the time to redraw the 48 rows of the beam grid. The rate is
// taken from the first scan request to the last: the dialog's entry sequence before its
// first scan (a reconnect, the blanking read and the entry into alignment mode, close to
// a second) is printed on its own and is no part of the loop. The loop runs
// twice, with the line monitor closed and then open and following, and the figures are
// printed side by side; last, the memory that 20,000 scan exchanges take in the monitor.
//
// With --ser2net the loop goes through the serial-to-network proxy serving the
// pseudo-terminal on a loopback port.
//
// Usage: bench_alignment [--ser2net] [seconds (default 10)] [redraws (default 500)]

#include <time.h>

#include <fstream>
#include <string>

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "BenchPort.h"
#include "MovingObject.h"
#include "PtyServer.h"
#include "SimLine.h"
#include "alignment/AlignmentDlg.h"
#include "app/LineLog.h"
#include "app/LineMonitorWnd.h"
#include "protocol/ControllerLink.h"
#include "protocol/LineTap.h"
#include "serial/Clock.h"
#include "serial/IdleHook.h"
#include "widgets/IdlePump.h"

namespace {

constexpr int kBoards = 12;
constexpr int kChannels = kBoards * 64;
constexpr int kBaudIndex = 2;
constexpr long kBaud = 38400;
constexpr uint32_t kScanPauseMs = 50;
constexpr unsigned kScanRequestLength = 3;
constexpr unsigned kScanReplyLength = kChannels / 8 + 3;
constexpr int kObjectWidth = 24;
constexpr uint32_t kObjectPeriodMs = 4000;

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Milliseconds per redraw of every row of the beam grid, painted at once.
double RedrawMs(CAlignmentDlg& dialog, int redraws) {
    QWidget* cells = dialog.findChild<QTableWidget*>("grid")->viewport();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < redraws; ++i) {
        dialog.ShowBeams(i % 2 == 0);
        cells->repaint();
    }
    const std::chrono::duration<double, std::milli> spent =
        std::chrono::steady_clock::now() - start;
    return spent.count() / redraws;
}

// The ticks at which the scan requests of the loop began.
class CScanTimes final : public CLineObserver {
public:
    void OnExchange(const CLineExchange& exchange) override {
        if (exchange.request.size() == 3 && exchange.request[2] == 'S') {
            first = count++ == 0 ? exchange.startTick : first;
            last = exchange.startTick;
        }
    }
    void OnVerdictChanged(LineVerdict) override {}

    unsigned count = 0;
    uint32_t first = 0;
    uint32_t last = 0;
};

struct CLoopFigures {
    unsigned scans = 0;
    double entryMs = 0;      // from show until the first scan request
    double loopSeconds = 0;  // from the first scan request to the last
    double seconds = 0;      // the whole run, entry included
    double cpuSeconds = 0;
    size_t rows = 0;
    double Rate() const { return (scans - 1) / loopSeconds; }
};

// Runs the dialog's scan loop for durationMs, with the line monitor open and following
// when monitored.
CLoopFigures RunLoop(CControllerLink& link, const CBlankingMap& initial, uint32_t durationMs,
                     bool monitored) {
    std::unique_ptr<CLineMonitorWnd> monitor;
    if (monitored) {
        monitor = std::make_unique<CLineMonitorWnd>(nullptr);
        monitor->show();
    }
    CScanTimes times;
    const CScopedLineObserver observer(&times);
    CAlignmentDlg dialog(kChannels, nullptr);
    dialog.SetLink(&link);
    dialog.SetInitialMap(initial);
    const uint32_t start = TickCount();
    dialog.show();  // reconnects, and posts Start
    auto* stop = dialog.findChild<QPushButton*>("stopButton");
    CScopedIdleHandler pump([&] {
        // durationMs of scanning; as long from show when no scan starts at all.
        if (TicksSince(times.count > 0 ? times.first : start) >= durationMs && stop->isEnabled()) {
            stop->click();
        }
        CInputHold hold;
        QCoreApplication::processEvents();
        return 0;
    });
    const double cpuStart = ThreadCpuSeconds();
    QApplication::processEvents();  // runs the posted Start until Stop
    CLoopFigures figures;
    figures.seconds = TicksSince(start) / 1000.0;
    figures.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    figures.scans = times.count;
    figures.entryMs = static_cast<uint32_t>(times.first - start);
    figures.loopSeconds = static_cast<uint32_t>(times.last - times.first) / 1000.0;
    if (monitored) {
        monitor->Log().Flush();
        figures.rows = static_cast<size_t>(monitor->Log().rowCount());
    }
    return figures;
}

// Resident memory of the process in megabytes.
double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
    }
    return 0;
}

// The memory a monitor takes when it holds as many scan exchanges as it keeps.
double MonitorMegabytes() {
    const double before = ResidentMegabytes();
    CLineMonitorWnd monitor(nullptr);
    monitor.show();
    CLineExchange scan;
    scan.baud = kBaud;
    scan.request = {0xF8, 'A', 'S'};
    scan.reply.assign(kScanReplyLength, 0x55);
    scan.expected = kScanReplyLength;
    for (size_t i = 0; i < kLineLogCapacity; ++i) {
        scan.startTick = static_cast<uint32_t>(i * 80);
        monitor.Log().OnExchange(scan);
    }
    monitor.Log().Flush();
    QApplication::processEvents();
    return ResidentMegabytes() - before;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchPort bench(argc, argv);
    const uint32_t durationMs =
        static_cast<uint32_t>((argc > 1 ? std::atof(argv[1]) : 10.0) * 1000);
    const int redraws = argc > 2 ? std::atoi(argv[2]) : 500;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    InstallIdlePump();

    // Controller A with 12 boards on each side, a few beams blanked and a few blocked.
    CSimLine line;
    CSimController& controller = *line.AddController('A', kBaudIndex);
    controller.SetBoards(kBoards, kBoards);
    for (int channel : {100, 101, 102, 500}) {
        controller.BlankingMap().SetBlanked(channel, true);
    }
    for (int channel : {7, 300, 301, 767}) {
        controller.SetBlocked(channel);
    }
    CMovingObject object(line, kObjectWidth, kObjectPeriodMs);
    CPtyServer server(line, &object);
    if (server.Open() != 0) {
        std::fprintf(stderr, "cannot open a pseudo-terminal\n");
        return 1;
    }
    server.Start();
    auto port = bench.Open(server.DevicePath(), kBaud);
    if (port == nullptr) {
        return 1;
    }
    ControllerTable table{};
    table[0] = {'A', kBaudIndex, 'X', 0};
    table[1][kBaudIndex] = 'X';
    CControllerLink link(std::move(port), 'A');
    link.SetControllerTable(&table);
    CBlankingMap initial(kChannels);
    if (!link.InputBlankingFields(initial) || !link.EnterAlignmentMode()) {
        std::fprintf(stderr, "the simulated controller does not answer\n");
        return 1;
    }

    const CLoopFigures closed = RunLoop(link, initial, durationMs, false);
    const CLoopFigures open = RunLoop(link, initial, durationMs, true);
    link.ExitAlignmentMode();
    server.Stop();

    const double floorMs =
        kScanPauseMs +
        static_cast<double>(WireTimeUs(kScanRequestLength + kScanReplyLength, kBaud)) / 1000.0;
    const double floorRate = 1000.0 / floorMs;
    std::printf("alignment scan loop, %d channels, %ld baud, on %s, real time:\n", kChannels, kBaud,
                bench.Route(server.DevicePath()).c_str());
    std::printf("  floor %.2f ms per scan = %.2f scans/s\n", floorMs, floorRate);
    std::printf("  %-34s %18s %18s\n", "", "monitor closed", "monitor following");
    std::printf("  %-34s %18.0f %18.0f\n", "ms from show to the first scan", closed.entryMs,
                open.entryMs);
    std::printf("  %-34s %18u %18u\n", "scans", closed.scans, open.scans);
    std::printf("  %-34s %18.2f %18.2f\n", "scans/s", closed.Rate(), open.Rate());
    std::printf("  %-34s %17.1f%% %17.1f%%\n", "rate / floor rate (target >= 97 %)",
                closed.Rate() / floorRate * 100.0, open.Rate() / floorRate * 100.0);
    std::printf("  %-34s %18.3f %18.3f\n", "processor ms per scan",
                closed.cpuSeconds * 1000.0 / closed.scans, open.cpuSeconds * 1000.0 / open.scans);
    std::printf("  %-34s %17.2f%% %17.2f%%\n", "of one core (target < 10 %)",
                closed.cpuSeconds / closed.seconds * 100.0, open.cpuSeconds / open.seconds * 100.0);
    std::printf("  %-34s %18zu\n", "rows in the monitor", open.rows);

    CAlignmentDlg dialog(kChannels, nullptr);
    dialog.SetLink(&link);
    dialog.SetInitialMap(initial);
    std::printf("beam grid redraw (48 rows written and painted), average of %d: %.3f ms\n", redraws,
                RedrawMs(dialog, redraws));
    std::printf("line monitor holding %zu scan exchanges: %.1f MB (target under 16 MB)\n",
                kLineLogCapacity, MonitorMegabytes());
    return 0;
}
