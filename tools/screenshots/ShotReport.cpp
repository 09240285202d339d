// Page 1 of a commissioning report for a controller with four boards on each side, one
// emitter and one receiver board in error and eight blanked channels, written as a PDF
// and rendered by pdftoppm.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "Shots.h"
#include "SimLine.h"
#include "SimPort.h"
#include "app/ReportSession.h"
#include "serial/Clock.h"
#include "settings/PortFactory.h"

TARN_SCREENSHOT(Report) {
    auto& clock = dynamic_cast<CVirtualClock&>(Clock());
    CSimLine line;
    CSimController& controller = *line.AddController('A', 2);
    controller.SetBoards(4, 4);
    controller.SetPartNumber(4051207, 1123);
    controller.SetVersion(0x21);
    controller.SetChannelError(kEmitter, 2, 5);
    controller.SetChannelError(kReceiver, 3, 17);
    for (int channel : {0, 5, 63, 64, 100, 200, 254, 255}) {
        controller.BlankingMap().SetBlanked(channel, true);
    }
    controller.Psf().SetControlMode('a');
    controller.Psf().SetMeasMode(1, 'A');
    controller.Psf().SetAnalogAssignment(1, 'y');
    const CScopedPortFactory factory([&](int portNumber, long baud, char parity) {
        return std::make_unique<CSimPort>(line, clock, baud, parity, portNumber);
    });
    ControllerTable table{};
    table[0] = {'A', 2, 'X', 0};
    table[1][2] = 'X';
    CReportSession session(&table, nullptr, 0, 'E', 9600);
    CReportContents contents;
    if (!session.OpenConnection() || !session.ReadReport(contents)) {
        return;
    }
    contents.note = QStringLiteral("Receiver board 3 replaced; channel 17 to be checked again.");
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("report.pdf"));
    if (!WriteReportPdf(contents, pdf)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(pdf));
        return;
    }
    const QString png = QDir(outputFolder).filePath(QStringLiteral("report-page1"));
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("70"),
                       QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                       QStringLiteral("1"), QStringLiteral("-singlefile"), pdf, png});
}
