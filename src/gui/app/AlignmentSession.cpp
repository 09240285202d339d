#include "app/AlignmentSession.h"

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "alignment/AlignmentDlg.h"
#include "protocol/Diagnostics.h"
#include "records/BlankingMap.h"
#include "sequences/AlignmentSequences.h"
#include "widgets/IdlePump.h"
#include "widgets/Prompts.h"

void CAlignmentSession::Tell(const char* text) {
    Prompts().Message(Owner(), QString::fromLatin1(text), PromptIcon::kExclamation,
                      PromptButtons::kOk);
}

int CAlignmentSession::Execute() {
    CDiagnostics emitter;
    CDiagnostics receiver;
    SuspendKnownControllers(PortFlush::kDiscard);
    // Message boxes need the operator's input, so the busy scope ends before each.
    std::optional<CBusyScope> busy(std::in_place);
    const TellFunction tell = [&](const char* text) {
        busy.reset();
        Tell(text);
    };
    CBlankingMap map;
    const AlignmentOpening opening = OpenAlignmentSession(*Link(), emitter, receiver, map, tell);
    busy.reset();
    if (opening.refusal != nullptr && std::string_view(opening.refusal) == kNotOperational) {
        ResumeKnownControllers();
        Tell(kNotOperational);
        return 0;
    }
    if (opening.refusal != nullptr) {
        Tell((std::string(opening.refusal) + kAlignmentAbortedTail).c_str());
        ResumeKnownControllers();
        return 0;
    }
    if (opening.opened) {
        CAlignmentDlg dialog(map.Channels(), Owner());
        dialog.SetLink(Link());
        dialog.SetInitialMap(map);
        dialog.exec();
        CloseAlignment(*Link(), tell);
    }
    busy.reset();
    ResumeKnownControllers();
    return 1;
}
