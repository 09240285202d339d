#include "app/AlignmentSession.h"

#include <QString>
#include <optional>

#include "alignment/AlignmentDlg.h"
#include "alignment/BlankingMap.h"
#include "app/ReadDiagnostics.h"
#include "protocol/Diagnostics.h"
#include "serial/Clock.h"
#include "ui/IdlePump.h"
#include "ui/Prompts.h"

namespace {

constexpr uint32_t kOperationalPauseMs = 1000;
constexpr const char* kOperational = "Operational";
constexpr const char* kNotOperational =
    "Alignment cannot be executed because\nthe device is not Operational.";
constexpr const char* kUploadFailed = "Unable to upload blanking fields from controller.";
constexpr const char* kEnterFailed = "Unable to enter alignment mode";
constexpr const char* kExitFailed = "Unable to exit alignment mode";

}  // namespace

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
    DelayMs(kOperationalPauseMs);
    const int channels = emitter.BoardCount() * kChannelsPerBoard;
    CBlankingMap map(channels);
    if (!Link()->InputBlankingFields(map)) {
        busy.reset();
        Tell(kUploadFailed);
    } else if (!Link()->EnterAlignmentMode()) {
        busy.reset();
        Tell(kEnterFailed);
        // The request may have reached the controller with only its answer lost: make
        // sure it does not stay in alignment mode.
        Link()->ExitAlignmentMode();
    } else {
        CAlignmentDlg dialog(channels, Owner());
        dialog.SetLink(Link());
        dialog.SetInitialMap(map);
        busy.reset();
        dialog.exec();
        // A second try, so that a lost request does not leave the controller in alignment
        // mode; the operator hears of a failure only when that one fails too.
        if (!Link()->ExitAlignmentMode() && !Link()->ExitAlignmentMode()) {
            Tell(kExitFailed);
        }
    }
    ResumeKnownControllers();
    return 1;
}
