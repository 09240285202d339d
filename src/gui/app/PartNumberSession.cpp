#include "app/PartNumberSession.h"

#include <QString>
#include <string>

#include "app/PartNumberDlg.h"
#include "sequences/PartNumberWrite.h"
#include "widgets/IdlePump.h"
#include "widgets/Prompts.h"

int CPartNumberSession::Execute() {
    SuspendKnownControllers(PortFlush::kDiscard);
    {
        CPartNumberDlg dialog(Owner());
        if (dialog.exec() == QDialog::Accepted) {
            SendPartNumber(dialog.PartNumber(), dialog.DateCode());
        }
    }
    ResumeKnownControllers();
    return 1;
}

void CPartNumberSession::SendPartNumber(const QString& partNumber, const QString& dateCode) {
    const std::string number = partNumber.toStdString();
    const std::string refusal = PartNumberRefusal(number);
    if (!refusal.empty()) {
        Prompts().Message(Owner(), QString::fromStdString(refusal), PromptIcon::kExclamation,
                          PromptButtons::kOk);
        return;
    }
    int sent = 0;
    {
        CBusyScope busy;
        sent = WritePartNumber(*Link(), number, dateCode.toStdString());
    }
    Prompts().Message(Owner(), QString::fromLatin1(sent ? kPartNumberSet : kPartNumberNotSet),
                      PromptIcon::kNone, PromptButtons::kOk);
}
