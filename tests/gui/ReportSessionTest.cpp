// The Commissioning Report command against a simulated controller: the frames of its one
// service bracket, the PDF's text as pdftotext reads it back, and a read failure at each
// exchange, which names the part and writes nothing.

#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "AlignmentFixture.h"
#include "SimPort.h"
#include "WhenModal.h"
#include "app/ReportNoteDlg.h"
#include "app/ReportSession.h"
#include "settings/PortFactory.h"

namespace {

class ReportSessionTest : public AlignmentFixture {
protected:
    ReportSessionTest()
        : factory([this](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
              return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
          }) {}

    // Runs the command; the note dialog, if it opens, takes note and chooses the PDF.
    int Run(const QString& note) {
        CWhenModal<CReportNoteDlg> whenNote([&](CReportNoteDlg& dialog) {
            dialog.findChild<QPlainTextEdit*>("noteBox")->setPlainText(note);
            dialog.findChild<QPushButton*>("pdfButton")->click();
        });
        CReportSession session(&table, &owner, 0, 'E', 9600);
        const int answer = session.Run();
        notes = whenNote.Count();
        return answer;
    }
    std::string Path() const { return folder.filePath("report.pdf").toStdString(); }
    // The PDF's text in reading order, runs of white space as one space.
    std::string PdfText() const {
        QProcess pdftotext;
        pdftotext.start(
            QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), QString::fromStdString(Path()), QStringLiteral("-")});
        EXPECT_TRUE(pdftotext.waitForFinished(20000));
        return QString::fromUtf8(pdftotext.readAllStandardOutput())
            .replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "))
            .toStdString();
    }

    CScopedPortFactory factory;
    QWidget owner;
    QTemporaryDir folder;
    int notes = 0;
};

TEST_F(ReportSessionTest, PdfHoldsWhatTheControllerIsSetTo) {
    controller->SetBoards(4, 4);
    controller->SetChannelError(kEmitter, 2, 5);
    controller->SetChannelError(kReceiver, 3, 17);
    controller->SetPartNumber(4711042, 2215);
    controller->SetVersion(0x21);
    controller->Psf().SetControlMode('a');
    controller->Psf().SetAnalogAssignment(1, 'y');
    Blank({0, 5, 63, 64, 100, 200, 254, 255});
    prompts.ScriptFiles({Path()});

    EXPECT_EQ(Run(QStringLiteral("Receiver board 3 replaced.\nRecheck in May.")), 1);
    EXPECT_EQ(notes, 1);
    // One bracket: suspend, both diagnostics, the PSF, the blanking, resume.
    EXPECT_EQ(Commands(), "VIJGbv");
    EXPECT_FALSE(controller->IsSuspended());
    EXPECT_TRUE(prompts.Texts().empty());
    EXPECT_EQ(prompts.FileDialogs()[0].filter, "PDF Files (*.pdf) |*.pdf||");

    const std::string text = PdfText();
    for (const char* expected : {"Commissioning Report",
                                 "TALVEN VARN 2.1 with Blanking, Version 2.0",
                                 "Controller ID A",
                                 "Baud rate 9600",
                                 "System state Emit/Rec Errors",
                                 "Boards 4 4",
                                 "Part number 4711042 4711042",
                                 "Version 2.1 2.1",
                                 "Date code 2215 2215",
                                 "1 Emitter No Errors",
                                 "2 Emitter Error: Channel 5",
                                 "3 Receiver Error: Channel 17",
                                 "4 Receiver No Errors",
                                 "Control Mode Selection Continuous",
                                 "Analog Output #1 Meas 1",
                                 "8 of 256 channels blanked.",
                                 "Board 1, channels 1-64: 3 blanked",
                                 "1 X . . . . X . . . . . . . . . .",
                                 "49 . . . . . . . . . . . . . . . X",
                                 "Board 3, channels 129-192: 0 blanked",
                                 "Board 4, channels 193-256: 3 blanked",
                                 "Receiver board 3 replaced.",
                                 "Recheck in May.",
                                 "Name:",
                                 "Signature:"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin: " << text;
    }
}

TEST_F(ReportSessionTest, ReadFailureAtEachExchangeNamesThePartAndWritesNothing) {
    const std::pair<char, const char*> failures[] = {
        {'I', "Error Reading VARN Emitter Diagnostics.\nNo report was written."},
        {'J', "Error Reading VARN Receiver Diagnostics.\nNo report was written."},
        {'G', "Unable to Upload PSF\nNo report was written."},
        {'b', "Unable to upload blanking fields from controller.\nNo report was written."}};
    std::vector<std::string> messages;
    for (const auto& [command, message] : failures) {
        // The controller stops answering at this command, and hears again at the resume.
        controller->WatchFrames(
            [command](CSimController& self, const std::vector<unsigned char>& frame) {
                if (frame[2] == command) {
                    self.AddFault({SimFaultKind::silence, kUntilCleared});
                } else if (frame[2] == 'v') {
                    self.ClearFaults();
                }
            });
        EXPECT_EQ(Run(QString()), 0) << command;
        EXPECT_EQ(notes, 0);
        messages.push_back(message);
        EXPECT_EQ(prompts.Texts(), messages);
        EXPECT_FALSE(controller->IsSuspended()) << command;
        EXPECT_EQ(Commands().back(), 'v');
    }
    EXPECT_TRUE(prompts.FileDialogs().empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path())));
}

}  // namespace
