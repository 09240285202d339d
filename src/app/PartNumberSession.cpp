#include "app/PartNumberSession.h"

#include <QString>
#include <algorithm>

#include "app/PartNumberDlg.h"
#include "ui/IdlePump.h"
#include "ui/Prompts.h"

namespace {

constexpr char kPartNumberSet[] = "Part Number and Date Code Set.";
constexpr char kPartNumberNotSet[] = "Unable to Set Part Number and Date Code.";
constexpr char kNoPartNumber[] =
    "No part number is selected.\nPart Number and Date Code were not set.";
constexpr char kNotDecimal[] =
    "Part number '%s' is not a decimal number.\nPart Number and Date Code were not set.";

// Only decimal digits make a part number; the list takes any six characters.
bool IsDecimal(const QString& text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

}  // namespace

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
    QString refusal;
    if (partNumber.isEmpty()) {
        refusal = QString::fromLatin1(kNoPartNumber);
    } else if (!IsDecimal(partNumber)) {
        refusal = QString::asprintf(kNotDecimal, qUtf8Printable(partNumber));
    }
    if (!refusal.isEmpty()) {
        Prompts().Message(Owner(), refusal, PromptIcon::kExclamation, PromptButtons::kOk);
        return;
    }
    int sent = 0;
    {
        CBusyScope busy;
        sent = Link()->OutputPartNumber(static_cast<uint32_t>(partNumber.toULong()),
                                        static_cast<uint16_t>(dateCode.toInt()));
    }
    Prompts().Message(Owner(), QString::fromLatin1(sent ? kPartNumberSet : kPartNumberNotSet),
                      PromptIcon::kNone, PromptButtons::kOk);
}
