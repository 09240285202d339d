#include "app/CommissioningReport.h"

#include <QBuffer>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>
#include <algorithm>

#include "files/AtomicFile.h"
#include "records/PsfWords.h"
#include "widgets/AppTitle.h"

namespace {

constexpr char kReportTitle[] = "Commissioning Report";
// The PSF's field that holds nothing a reader of the report needs.
constexpr char kUnusedField[] = "Reserved";
constexpr int kGridColumns = 16;
constexpr double kMarginMm = 18.0;
constexpr int kPdfResolution = 300;
constexpr char kStyle[] =
    "body { font-family: sans-serif; font-size: 9pt; }"
    "h1 { font-size: 15pt; } h2 { font-size: 11pt; margin-top: 14px; }"
    "td, th { padding: 1px 6px; } th { text-align: left; background: #e4e4e4; }"
    "pre { font-size: 8pt; }";

QString Escaped(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

QString Row(std::initializer_list<QString> cells, const char* tag = "td") {
    QString row = QStringLiteral("<tr>");
    for (const QString& cell : cells) {
        row += QStringLiteral("<%1>%2</%1>").arg(QString::fromLatin1(tag), cell);
    }
    return row + QStringLiteral("</tr>");
}

QString Table(const QString& rows) {
    return QStringLiteral("<table cellspacing=\"0\" border=\"1\">") + rows +
           QStringLiteral("</table>");
}

QString ControllerSection(CReportContents& contents) {
    CDiagnostics& emitter = contents.emitter;
    CDiagnostics& receiver = contents.receiver;
    QString rows = Row({QStringLiteral("Controller ID"), QString(QChar(contents.controllerId))});
    rows += Row({QStringLiteral("Baud rate"), QString::number(contents.baudRate)});
    rows += Row({QStringLiteral("System state"), Escaped(emitter.StateText(receiver))});
    QString sides = Row({QString(), QStringLiteral("Emitter"), QStringLiteral("Receiver")}, "th");
    sides += Row({QStringLiteral("Boards"), QString::number(emitter.BoardCount()),
                  QString::number(receiver.BoardCount())});
    sides += Row({QStringLiteral("Part number"), Escaped(emitter.PartNumberText()),
                  Escaped(receiver.PartNumberText())});
    sides += Row({QStringLiteral("Version"), Escaped(emitter.VersionText()),
                  Escaped(receiver.VersionText())});
    sides += Row({QStringLiteral("Date code"), Escaped(emitter.DateCodeText()),
                  Escaped(receiver.DateCodeText())});
    QString boards =
        Row({QStringLiteral("Board"), QStringLiteral("Side"), QStringLiteral("State")}, "th");
    for (CDiagnostics* side : {&emitter, &receiver}) {
        const QString name =
            side == &emitter ? QStringLiteral("Emitter") : QStringLiteral("Receiver");
        for (int board = 1; board <= side->BoardCount(); ++board) {
            boards += Row({QString::number(board), name, Escaped(side->ChannelText(board))});
        }
    }
    return QStringLiteral("<h2>Controller</h2>") + Table(rows) + QStringLiteral("<br>") +
           Table(sides) + QStringLiteral("<h2>Boards</h2>") + Table(boards);
}

// The fields the controller uses; the header row repeats on every page the table reaches.
QString PsfSection(const CPsf& psf) {
    QString rows = QStringLiteral("<thead>") +
                   Row({QStringLiteral("Field"), QStringLiteral("Value")}, "th") +
                   QStringLiteral("</thead>");
    for (const PsfWord& word : PsfInWords(psf)) {
        if (word.label != kUnusedField) {
            rows += Row({Escaped(word.label), Escaped(word.value)});
        }
    }
    return QStringLiteral("<h2>Parameter set (PSF)</h2>") + Table(rows);
}

// The beam grid: one line per 16 channels, X for a blanked channel and a dot for one
// in use, with each board's count of blanked channels above its lines.
QString BlankingSection(const CBlankingMap& map) {
    const int channels = map.Channels();
    QString grid;
    for (int first = 0; first < channels; first += kGridColumns) {
        if (first % kChannelsPerBoard == 0) {
            const int board = first / kChannelsPerBoard;
            const int last = std::min(first + kChannelsPerBoard, channels);
            const int blanked = map.CountBlanked(first) - map.CountBlanked(last);
            grid += QStringLiteral("Board %1, channels %2-%3: %4 blanked\n")
                        .arg(board + 1)
                        .arg(first + 1)
                        .arg(last)
                        .arg(blanked);
        }
        grid += QStringLiteral("%1 ").arg(first + 1, 5);
        for (int channel = first; channel < std::min(first + kGridColumns, channels); ++channel) {
            grid += map.IsBlanked(channel) ? QStringLiteral(" X") : QStringLiteral(" .");
        }
        grid += QLatin1Char('\n');
    }
    return QStringLiteral("<h2>Blanking</h2><p>%1 of %2 channels blanked.</p><pre>%3</pre>")
        .arg(map.CountBlanked(0))
        .arg(channels)
        .arg(grid);
}

QString NoteSection(const QString& note) {
    const QString text = note.trimmed().isEmpty() ? QStringLiteral("(none)")
                                                  : note.toHtmlEscaped().replace(
                                                        QLatin1Char('\n'), QStringLiteral("<br>"));
    return QStringLiteral("<h2>Note</h2><p>%1</p>").arg(text);
}

QString SignatureSection() {
    const QString line = QStringLiteral("_______________________________");
    return QStringLiteral("<h2>Accepted</h2><table cellspacing=\"0\">") +
           Row({QStringLiteral("Name:"), line}) + Row({QStringLiteral("Date:"), line}) +
           Row({QStringLiteral("Signature:"), line}) + QStringLiteral("</table>");
}

// Lays the report out on device's pages and paints them.
void PaintReport(CReportContents& contents, QPagedPaintDevice& device) {
    QTextDocument document;
    document.setDefaultStyleSheet(QString::fromLatin1(kStyle));
    document.setHtml(ReportHtml(contents));
    document.print(&device);
}

}  // namespace

QString ReportHtml(CReportContents& contents) {
    return QStringLiteral("<html><body><h1>%1</h1><p>%2<br>Written %3</p>")
               .arg(QString::fromLatin1(kReportTitle),
                    QStringLiteral("%1, program version %2")
                        .arg(QString::fromLatin1(kAppTitle), QStringLiteral(TARN_VERSION))
                        .toHtmlEscaped(),
                    contents.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))) +
           ControllerSection(contents) + PsfSection(contents.psf) + BlankingSection(contents.map) +
           NoteSection(contents.note) + SignatureSection() + QStringLiteral("</body></html>");
}

bool WriteReportPdf(CReportContents& contents, const QString& path) {
    const bool letter = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    return WriteReportPdf(
        contents, path,
        QPageLayout(QPageSize(letter ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                    QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                    QPageLayout::Millimeter));
}

bool WriteReportPdf(CReportContents& contents, const QString& path, const QPageLayout& layout) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(kPdfResolution);
        writer.setTitle(QString::fromLatin1(kReportTitle));
        writer.setCreator(QString::fromLatin1(kAppTitle));
        writer.setPageLayout(layout);
        PaintReport(contents, writer);
    }
    const QByteArray& data = pdf.data();
    return WriteFileAtomically(path.toStdString(),
                               reinterpret_cast<const unsigned char*>(data.constData()),
                               static_cast<size_t>(data.size()));
}

bool PrintReportTo(CReportContents& contents, QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        return WriteReportPdf(contents, printer.outputFileName(), printer.pageLayout());
    }
    PaintReport(contents, printer);
    return printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

QString ReportName(const CReportContents& contents) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QString::fromLatin1(kReportTitle), QString(QChar(contents.controllerId)),
             QString::fromStdString(contents.emitter.PartNumberText()),
             contents.when.date().toString(Qt::ISODate));
}

int PrintReport(CReportContents& contents, QWidget* owner, QString* failure) {
    QPrinter printer;
    // The job's name in the queue, and the name the print dialog suggests for a file.
    printer.setDocName(ReportName(contents));
    QPrintDialog dialog(&printer, owner);
    if (dialog.exec() != QDialog::Accepted) {
        return 0;
    }
    if (PrintReportTo(contents, printer)) {
        return 1;
    }
    *failure =
        printer.outputFormat() == QPrinter::PdfFormat
            ? QString::asprintf("Unable to write %s.", qUtf8Printable(printer.outputFileName()))
            : QStringLiteral("The report was not printed: the print job failed.");
    return -1;
}
