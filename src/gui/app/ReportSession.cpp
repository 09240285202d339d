#include "app/ReportSession.h"

#include <QFile>
#include <optional>

#include "app/ReadDiagnostics.h"
#include "app/ReportNoteDlg.h"
#include "widgets/IdlePump.h"
#include "widgets/Prompts.h"

namespace {

// What each read failure adds: the report is never written from a part-read controller.
constexpr const char* kNothingWritten = "\nNo report was written.";
constexpr const char* kPsfFailure = "Unable to Upload PSF";
constexpr const char* kBlankingFailure = "Unable to upload blanking fields from controller.";
constexpr CFileDialogSpec kPdfFiles{"pdf", "PDF Files (*.pdf) |*.pdf||"};

}  // namespace

void CReportSession::Tell(const QString& text) {
    Prompts().Message(Owner(), text, PromptIcon::kExclamation, PromptButtons::kOk);
}

int CReportSession::ReadParts(CReportContents& contents) {
    if (!ReadBothDiagnostics(*Link(), contents.emitter, contents.receiver, Owner(),
                             kNothingWritten)) {
        return 0;
    }
    // Message boxes need the operator's input, so the busy scope ends before each.
    std::optional<CBusyScope> busy(std::in_place);
    const char* failure = nullptr;
    contents.map = CBlankingMap(contents.emitter.BoardCount() * kChannelsPerBoard);
    if (!Link()->InputPsf(contents.psf)) {
        failure = kPsfFailure;
    } else if (!Link()->InputBlankingFields(contents.map)) {
        failure = kBlankingFailure;
    }
    busy.reset();
    if (failure != nullptr) {
        Tell(QString::fromLatin1(failure) + QString::fromLatin1(kNothingWritten));
        return 0;
    }
    return 1;
}

int CReportSession::ReadReport(CReportContents& contents) {
    const ControllerTable& table = *Table();
    contents.controllerId = table[0][0];
    contents.baudRate = BaudRate();
    SuspendKnownControllers(PortFlush::kDiscard);
    const int read = ReadParts(contents);
    ResumeKnownControllers();
    contents.when = QDateTime::currentDateTime();
    return read;
}

int CReportSession::Output(CReportContents& contents, bool toPrinter) {
    if (toPrinter) {
        QString failure;
        const int printed = PrintReport(contents, Owner(), &failure);
        if (printed < 0) {
            Tell(failure);
            return 0;
        }
        return printed;
    }
    // After a failed write the file dialog opens again: the report, note and all, is
    // still here and only needs another place.
    const QString suggested = ReportName(contents) + QStringLiteral(".pdf");
    for (;;) {
        const QString path = Prompts().SaveFileName(Owner(), kPdfFiles, suggested);
        if (path.isEmpty()) {
            return 0;
        }
        if (WriteReportPdf(contents, path)) {
            return 1;
        }
        Tell(QString::asprintf("Unable to write %s.", qUtf8Printable(path)));
    }
}

int CReportSession::Execute() {
    CReportContents contents;
    if (!ReadReport(contents)) {
        return 0;
    }
    CReportNoteDlg dialog(Owner());
    if (dialog.exec() != QDialog::Accepted) {
        return 0;
    }
    contents.note = dialog.Note();
    return Output(contents, dialog.Chosen() == CReportNoteDlg::Output::kPrinter);
}
