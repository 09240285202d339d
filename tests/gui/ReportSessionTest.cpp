// The Commissioning Report command against a simulated controller: the frames of its one
// service bracket, the PDF's text as pdftotext reads it back, and a read failure at each
// exchange, which names the part and writes nothing.

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>

#include "AlignmentFixture.h"
#include "SimPort.h"
#include "Watchdog.h"
#include "WhenModal.h"
#include "app/CommissioningReport.h"
#include "app/ReportNoteDlg.h"
#include "app/ReportSession.h"
#include "settings/PortFactory.h"

// The report's text is read back with pdftotext, a Linux program that a Windows test
// program under wine cannot start: there the report is written and checked up to its
// text, which the Linux run of the same test reads.
#ifdef _WIN32
#define SKIP_READING_PDF_TEXT_UNDER_WINE() \
    GTEST_SKIP() << "pdftotext is a Linux program, which wine cannot start"
#else
#define SKIP_READING_PDF_TEXT_UNDER_WINE() static_cast<void>(0)
#endif

namespace {

class ReportSessionTest : public AlignmentFixture {
protected:
    ReportSessionTest()
        : factory([this](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
              return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
          }) {}

    // Runs the command; the note dialog, if it opens, takes note and chooses the output
    // (the PDF unless told).
    int Run(const QString& note, const char* output = "pdfButton") {
        CWhenModal<CReportNoteDlg> whenNote([&](CReportNoteDlg& dialog) {
            dialog.findChild<QPlainTextEdit*>("noteBox")->setPlainText(note);
            dialog.findChild<QPushButton*>(output)->click();
        });
        CReportSession session(&table, &owner, 0, 'E', 9600);
        const int answer = session.Run();
        notes = whenNote.Count();
        return answer;
    }
    std::string Path() const { return folder.filePath("report.pdf").toStdString(); }
    // The PDF's pages, each its text in reading order, runs of white space as one space.
    std::vector<std::string> PdfPages() const {
        QProcess pdftotext;
        pdftotext.start(
            QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), QString::fromStdString(Path()), QStringLiteral("-")});
        EXPECT_TRUE(pdftotext.waitForFinished(20000));
        std::vector<std::string> pages;
        for (QString page : QString::fromUtf8(pdftotext.readAllStandardOutput()).split('\f')) {
            pages.push_back(
                page.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "))
                    .toStdString());
        }
        return pages;
    }
    std::string PdfText() const {
        std::string text;
        for (const std::string& page : PdfPages()) {
            text += page + ' ';
        }
        return text;
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

    SKIP_READING_PDF_TEXT_UNDER_WINE();
    const std::string text = PdfText();
    for (const char* expected : {"Commissioning Report",
                                 "TALVEN VARN 2.1 with Blanking, program version ",
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
    // Not the About box's text, and no field that holds nothing.
    for (const char* absent : {"Version 2.0", "Reserved"}) {
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
    }
    // Every page the PSF's table reaches starts its part with the table's header.
    for (const std::string& page : PdfPages()) {
        if (page.find("Analog Output #") != std::string::npos ||
            page.find("Discrete Output #") != std::string::npos) {
            EXPECT_NE(page.find("Field Value"), std::string::npos) << page;
        }
    }
}

// A PDF that cannot be written: the file dialog opens again, and the report, with the
// operator's note, goes to the next place chosen.
TEST_F(ReportSessionTest, AFailedWriteAsksForAnotherPlaceAndKeepsTheNote) {
    const std::string missing = folder.filePath("no such folder/report.pdf").toStdString();
    prompts.ScriptFiles({missing, Path()});
    EXPECT_EQ(Run(QStringLiteral("Checked by the night shift.")), 1);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Unable to write " + missing + "."});
    EXPECT_EQ(prompts.FileDialogs().size(), 2u);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path())));
    SKIP_READING_PDF_TEXT_UNDER_WINE();
    EXPECT_NE(PdfText().find("Checked by the night shift."), std::string::npos);
}

// The Qt dialogs: the PDF's file dialog suggests the report's name, as does the print
// dialog for a print to a file (the name of its document).
TEST_F(ReportSessionTest, TheFileAndPrintDialogsSuggestTheReportsName) {
    InstallPrompts(nullptr);
    controller->SetPartNumber(4711042, 2215);
    const CWatchdog watchdog(std::chrono::seconds(60), "the report's file and print dialogs");
    const QString before = QDate::currentDate().toString(Qt::ISODate);
    QString fileName;
    const CWhenModal<QFileDialog> save([&](QFileDialog& dialog) {
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        fileName = name->text();
        name->setText(QString::fromStdString(Path()));
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    EXPECT_EQ(Run(QString()), 1);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path())));
    const QString name = QStringLiteral("Commissioning Report A 4711042 ");
    const auto suggested = [&](const QString& shown, const QString& suffix) {
        const QString after = QDate::currentDate().toString(Qt::ISODate);  // past midnight?
        return shown == name + before + suffix || shown == name + after + suffix;
    };
    EXPECT_TRUE(suggested(fileName, ".pdf")) << fileName.toStdString();

#ifdef _WIN32
    GTEST_SKIP() << "the print dialog on Windows is the system's own, not Qt widgets";
#endif
    QString docName;
    const CWhenModal<QPrintDialog> print([&](QPrintDialog& dialog) {
        docName = dialog.printer()->docName();
        dialog.reject();
    });
    EXPECT_EQ(Run(QString(), "printButton"), 0);
    EXPECT_EQ(print.Count(), 1);
    EXPECT_TRUE(suggested(docName, QString())) << docName.toStdString();
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

// Printing to a PDF file goes the way of the PDF report: a file that cannot be written
// leaves nothing behind and the job counts as failed; one that can be is complete.
TEST_F(ReportSessionTest, PrintToPdfFileIsCompleteOrNothingAndAFailureIsReported) {
    const struct {
        QString path;
        bool printed;
    } cases[] = {{folder.filePath(QStringLiteral("no such folder/printed.pdf")), false},
                 {folder.filePath(QStringLiteral("printed.pdf")), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        CReportContents contents;
        contents.map = CBlankingMap(64);
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(c.path);
        EXPECT_EQ(PrintReportTo(contents, printer), c.printed);
        QFile file(c.path);
        EXPECT_EQ(file.open(QIODevice::ReadOnly), c.printed);
        if (c.printed) {
            const QByteArray pdf = file.readAll();
            EXPECT_TRUE(pdf.startsWith("%PDF"));
            EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
        }
    }
}

}  // namespace
