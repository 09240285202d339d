#include "app/AlignmentSession.h"

#include <QString>
#include <optional>

#include "alignment/AlignmentDlg.h"
#include "app/ReadDiagnostics.h"
#include "protocol/Diagnostics.h"
#include "records/BlankingMap.h"
#include "sequences/AlignmentSequences.h"
#include "sequences/DiagnosticsRead.h"
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
    if (!ReadBothDiagnostics(*Link(), emitter, receiver, Owner(), kAlignmentAbortedTail)) {
        ResumeKnownControllers();
        return 0;
    }
    if (emitter.StateText(receiver) != kOperational) {
        ResumeKnownControllers();
        Tell(kNotOperational);
        return 0;
    }
    // Message boxes need the operator's input, so the busy scope ends before each.
    std::optional<CBusyScope> busy(std::in_place);
    const TellFunction tell = [&](const char* text) {
        busy.reset();
        Tell(text);
    };
    const int channels = emitter.BoardCount() * kChannelsPerBoard;
    CBlankingMap map(channels);
    if (OpenAlignment(*Link(), map, tell)) {
        CAlignmentDlg dialog(channels, Owner());
        dialog.SetLink(Link());
        dialog.SetInitialMap(map);
        busy.reset();
        dialog.exec();
        CloseAlignment(*Link(), tell);
    }
    busy.reset();
    ResumeKnownControllers();
    return 1;
}
