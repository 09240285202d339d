// Times the commissioning report of a 768-channel controller (twelve boards on each side,
// one channel in four blanked): from the last reply of its reads to the PDF file written,
// beside the 2 s it may take. The reads run on the in-process line in virtual time.

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "SimLine.h"
#include "SimPort.h"
#include "app/ReportSession.h"
#include "serial/Clock.h"
#include "settings/PortFactory.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    CScopedVirtualClock clock(0);
    CSimLine line;
    CSimController& controller = *line.AddController('A', 2);
    controller.SetBoards(12, 12);
    controller.SetChannelError(kReceiver, 7, 33);
    for (int channel = 0; channel < kMaxChannels; channel += 4) {
        controller.BlankingMap().SetBlanked(channel, true);
    }
    const CScopedPortFactory factory([&](int portNumber, long baud, char parity) {
        return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
    });
    ControllerTable table{};
    table[0] = {'A', 2, 'X', 0};
    table[1][2] = 'X';
    CReportSession session(&table, nullptr, 0, 'E', 9600);
    CReportContents contents;
    if (!session.OpenConnection() || !session.ReadReport(contents)) {
        std::fprintf(stderr, "the simulated controller did not answer\n");
        return 1;
    }
    contents.note = QStringLiteral("Benchmark");
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("report.pdf"));
    const auto start = std::chrono::steady_clock::now();
    const bool written = WriteReportPdf(contents, path);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("commissioning report, %d channels, %d blanked:\n", contents.map.Channels(),
                contents.map.CountBlanked(0));
    std::printf(
        "  PDF written in %7.0f ms after the last reply (target under 2000 ms), %lld bytes%s\n", ms,
        static_cast<long long>(QFileInfo(path).size()), written ? "" : ", FAILED");
    return written ? 0 : 1;
}
