#include "CtlSessions.h"

#include <string_view>

#include "CtlStop.h"
#include "protocol/Diagnostics.h"
#include "records/BlankingMap.h"
#include "records/Psf.h"
#include "sequences/AlignmentSequences.h"
#include "sequences/BlankingFileCommands.h"
#include "sequences/DiagnosticsRead.h"
#include "sequences/PsfSend.h"

namespace {

TellFunction Teller(const CtlContext& context, const CtlTarget& target, const char* step) {
    return [&context, target, step](const char* text) { TellFailure(context, target, step, text); };
}

// A refusal of CheckAlignable.
void TellRefusal(const CtlContext& context, const CtlTarget& target, const char* refusal) {
    const bool operational = std::string_view(refusal) != kNotOperational;
    TellFailure(context, target, operational ? "diagnostics" : "alignment", refusal);
}

// The alignment command's opening; a refusal is told as the step's failure.
int OpenAlignmentSteps(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                       CDiagnostics& emitter, CDiagnostics& receiver, CBlankingMap& map) {
    if (StopRequested()) {
        TellFailure(context, target, "alignment", StopText());
        return 0;
    }
    const AlignmentOpening opening = OpenAlignmentSession(line.Link(), emitter, receiver, map,
                                                          Teller(context, target, "alignment"));
    if (opening.refusal != nullptr) {
        TellRefusal(context, target, opening.refusal);
    }
    return opening.opened;
}

// SendPsf with its refusal or failure told.
int SendPsfSteps(const CtlContext& context, CCtlLine& line, const CtlTarget& target, CPsf& psf) {
    std::string refusal;
    switch (SendPsf(line.Link(), line.Table(), psf, &refusal)) {
        case PsfSendResult::kAccepted:
            return 1;
        case PsfSendResult::kRefused:
            TellFailure(context, target, "send PSF", refusal);
            return 0;
        case PsfSendResult::kNotAccepted:
            break;
    }
    TellFailure(context, target, "send PSF", kPsfNotAccepted);
    return 0;
}

}  // namespace

void TellFailure(const CtlContext& context, const CtlTarget& target, const char* step,
                 const std::string& text) {
    context.Tell(TargetText(target) + ": " + step + ": " + text);
}

int ReadPsfSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target, CPsf& psf) {
    if (!line.Link().InputPsf(psf)) {
        TellFailure(context, target, "upload PSF", kPsfNotReceived);
        return 0;
    }
    return 1;
}

int PutPsfSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target, CPsf& psf,
                  CtlTarget* moved) {
    *moved = target;
    CPsf current;
    if (!line.Link().InputPsf(current)) {
        TellFailure(context, target, "upload PSF", kPsfNotUploaded);
        return 0;
    }
    if (StopRequested()) {
        TellFailure(context, target, "send PSF", StopText());
        return 0;
    }
    const int sent = SendPsfSteps(context, line, target, psf);
    *moved = {static_cast<char>(line.Table()[0][0]), line.Table()[0][1]};
    return sent;
}

int DiagnosticsSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                       CDiagnostics& emitter, CDiagnostics& receiver) {
    if (const char* failure = ReadDiagnosticsPair(line.Link(), emitter, receiver)) {
        TellFailure(context, target, "diagnostics", failure);
        return 0;
    }
    return 1;
}

int GetBlankingSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                       const std::string& path, CDiagnostics& emitter, CDiagnostics& receiver) {
    CBlankingMap map;
    if (!OpenAlignmentSteps(context, line, target, emitter, receiver, map)) {
        return 0;
    }
    const std::string failure = SaveBlankingFile(path, map);
    if (!failure.empty()) {
        TellFailure(context, target, "save blanking", failure);
    }
    CloseAlignment(line.Link(), Teller(context, target, "alignment"));
    return failure.empty() ? 1 : 0;
}

int PutBlankingSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                       const std::string& path) {
    CDiagnostics emitter;
    CDiagnostics receiver;
    CBlankingMap map;
    if (!OpenAlignmentSteps(context, line, target, emitter, receiver, map)) {
        return 0;
    }
    CBlankingMap sent;
    const int result = SendBlankingFile(line.Link(), path, map.Channels(), ChannelsBeyond::kRefuse,
                                        Teller(context, target, "send blanking"), sent);
    CloseAlignment(line.Link(), Teller(context, target, "alignment"));
    return result;
}

int RestoreSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target, CPsf* psf,
                   const CBlankingMap* map) {
    int channels = 0;
    if (map != nullptr) {
        CDiagnostics emitter;
        CDiagnostics receiver;
        if (const char* refusal = CheckAlignable(line.Link(), emitter, receiver)) {
            TellRefusal(context, target, refusal);
            return 0;
        }
        channels = emitter.BoardCount() * kChannelsPerBoard;
        if (BlanksBeyond(*map, channels)) {
            TellFailure(context, target, "send blanking", ChannelsBeyondRefusal(channels));
            return 0;
        }
    }
    if (psf != nullptr && !SendPsfSteps(context, line, target, *psf)) {
        return 0;
    }
    if (map == nullptr) {
        return 1;
    }
    CBlankingMap current(channels);
    if (!OpenAlignment(line.Link(), current, Teller(context, target, "alignment"))) {
        return 0;
    }
    CBlankingMap sent;
    const int result = SendBlankingMap(line.Link(), *map, channels, ChannelsBeyond::kRefuse,
                                       Teller(context, target, "send blanking"), sent);
    CloseAlignment(line.Link(), Teller(context, target, "alignment"));
    return result;
}
