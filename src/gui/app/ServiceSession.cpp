#include "app/ServiceSession.h"

#include <QString>

#include "records/Psf.h"
#include "sequences/LostConnection.h"
#include "sequences/PsfSend.h"
#include "sequences/ServiceBracket.h"
#include "settings/PortFactory.h"
#include "widgets/IdlePump.h"
#include "widgets/Prompts.h"

namespace {

constexpr char kRestoreFailed[] = "Unable to restore original PSF.\nSave original PSF to a file?";
constexpr char kPsfFileNotWritten[] = "Unable to write %s.\nSave original PSF to another file?";
constexpr CFileDialogSpec kPsfFiles{"PSF", "PSF Files (*.PSF) |*.PSF||"};

}  // namespace

CServiceSession::CServiceSession(ControllerTable* table, QWidget* owner, int portIndex, char parity,
                                 long defaultBaudRate)
    : table(table),
      baudRate((*table)[0][0] != 0 ? CControllerLink::BaudRateOf((*table)[0][1]) : defaultBaudRate),
      owner(owner),
      portIndex(portIndex),
      parity(parity) {}

CServiceSession::~CServiceSession() = default;

int CServiceSession::Run() {
    if (!OpenConnection()) {
        return 0;
    }
    const int result = Execute();
    ResumeAfterLostConnection();
    return result;
}

// A device server's connection lost in the middle of a command may leave the
// controllers suspended: the resume goes out once more, over a new connection if the
// command's closing steps did not already make one, and the operator is told.
void CServiceSession::ResumeAfterLostConnection() {
    if (!ConnectionLostOnTheWay(*link)) {
        return;
    }
    QString text = QString::fromStdString(LostConnectionText(*link));
    int resumed = 0;
    {
        CBusyScope busy;
        resumed = ::ResumeAfterLostConnection(*link);
    }
    if (!resumed) {
        text += QStringLiteral("\n") + QString::fromLatin1(kMayStaySuspended);
    }
    Prompts().Message(owner, text, PromptIcon::kExclamation, PromptButtons::kOk);
}

int CServiceSession::OpenConnection() {
    std::unique_ptr<RS232> port = OpenPort(portIndex, baudRate, parity);
    if (port->Status() != kSuccess) {
        Prompts().Message(owner,
                          QString::asprintf("Unable to open COM%d:\n%s\n", portIndex + 1,
                                            port->StatusText(port->Status())),
                          PromptIcon::kExclamation, PromptButtons::kOk);
        return 0;
    }
    link = std::make_unique<CControllerLink>(std::move(port), static_cast<char>((*table)[0][0]));
    link->SetPortReopener([this](long baud) { return OpenPort(portIndex, baud, parity); });
    link->SetControllerTable(table);
    return 1;
}

void CServiceSession::SuspendKnownControllers(PortFlush flush) {
    CBusyScope busy;
    SuspendForService(*link, *table, flush);
}

void CServiceSession::ResumeKnownControllers() {
    CBusyScope busy;
    ResumeAfterService(*link, *table);
}

// A file that cannot be written is said so, and the question comes again: the operator's
// file is the only copy of the controller's original PSF.
void CServiceSession::RestoreOriginalPsf(CPsf& psf, const std::function<void()>& beforeRetry) {
    if (SendPsfBack(*link, psf, beforeRetry)) {
        return;
    }
    QString question = QString::fromLatin1(kRestoreFailed);
    while (Prompts().Message(owner, question, PromptIcon::kStop, PromptButtons::kYesNo) ==
           kAnswerYes) {
        const QString path = Prompts().SaveFileName(owner, kPsfFiles);
        if (path.isEmpty() || psf.SaveToFile(path.toStdString())) {
            return;
        }
        question = QString::asprintf(kPsfFileNotWritten, qUtf8Printable(path));
    }
}
