#include "CtlSessions.h"

#include "CtlStop.h"
#include "protocol/Diagnostics.h"
#include "records/BlankingMap.h"
#include "records/Psf.h"
#include "sequences/AlignmentSequences.h"
#include "sequences/BlankingFileCommands.h"
#include "sequences/DiagnosticsRead.h"
#include "sequences/PsfSend.h"
#include "sequences/ServiceBracket.h"

namespace {

constexpr const char* kStopped = "stopped by Ctrl+C";

// Diagnostics read, the state found operational, blanking read into map and alignment
// mode entered, as the alignment command begins. Inside the bracket.
int OpenAlignmentSteps(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                       CDiagnostics& emitter, CDiagnostics& receiver, CBlankingMap& map) {
    if (const char* failure = ReadDiagnosticsPair(line.Link(), emitter, receiver)) {
        TellFailure(context, target, "diagnostics", failure);
        return 0;
    }
    if (emitter.StateText(receiver) != kOperational) {
        TellFailure(context, target, "alignment", kNotOperational);
        return 0;
    }
    if (StopRequested()) {
        TellFailure(context, target, "alignment", kStopped);
        return 0;
    }
    map = CBlankingMap(emitter.BoardCount() * kChannelsPerBoard);
    return OpenAlignment(line.Link(), map, [&](const char* text) {
        TellFailure(context, target, "alignment", text);
    });
}

void CloseAlignmentSteps(const CtlContext& context, CCtlLine& line, const CtlTarget& target) {
    CloseAlignment(line.Link(),
                   [&](const char* text) { TellFailure(context, target, "alignment", text); });
}

}  // namespace

void TellFailure(const CtlContext& context, const CtlTarget& target, const char* step,
                 const std::string& text) {
    context.Tell(TargetText(target) + ": " + step + ": " + text);
}

int ReadPsfSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target, CPsf& psf) {
    const CServiceBracket bracket(line.Link(), line.Table(), PortFlush::kKeep);
    if (!line.Link().InputPsf(psf)) {
        TellFailure(context, target, "upload PSF", kPsfNotReceived);
        return 0;
    }
    return 1;
}

int PutPsfSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target, CPsf& psf,
                  CtlTarget* moved) {
    *moved = target;
    PsfSendResult result = PsfSendResult::kNotAccepted;
    {
        const CServiceBracket bracket(line.Link(), line.Table(), PortFlush::kKeep);
        CPsf current;
        if (!line.Link().InputPsf(current)) {
            TellFailure(context, target, "upload PSF", kPsfNotUploaded);
            return 0;
        }
        if (StopRequested()) {
            TellFailure(context, target, "send PSF", kStopped);
            return 0;
        }
        result = SendPsf(line.Link(), line.Table(), psf);
        *moved = {static_cast<char>(line.Table()[0][0]), line.Table()[0][1]};
    }
    switch (result) {
        case PsfSendResult::kAccepted:
            return 1;
        case PsfSendResult::kIdTaken:
            TellFailure(context, target, "send PSF", IdTakenText(target.id, psf.GetControllerId()));
            return 0;
        case PsfSendResult::kNotAccepted:
            break;
    }
    TellFailure(context, target, "send PSF", kPsfNotAccepted);
    // The PSF may have arrived with only its acknowledgement lost: then the controller
    // answers at the PSF's ID and rate, where the resume above did not reach it.
    const int id = psf.GetControllerId();
    if (id != target.id || psf.GetBaudIndex() != target.baudIndex) {
        line.Link().SetBaudIndex(psf.GetBaudIndex());
        line.Link().Resume(static_cast<char>(id), kBroadcastPauseMs);
        line.Link().SetBaudIndex(target.baudIndex);
    }
    return 0;
}

int DiagnosticsSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                       CDiagnostics& emitter, CDiagnostics& receiver) {
    const CServiceBracket bracket(line.Link(), line.Table(), PortFlush::kDiscard);
    if (const char* failure = ReadDiagnosticsPair(line.Link(), emitter, receiver)) {
        TellFailure(context, target, "diagnostics", failure);
        return 0;
    }
    return 1;
}

int GetBlankingSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                       const std::string& path, CDiagnostics& emitter, CDiagnostics& receiver) {
    const CServiceBracket bracket(line.Link(), line.Table(), PortFlush::kDiscard);
    CBlankingMap map;
    if (!OpenAlignmentSteps(context, line, target, emitter, receiver, map)) {
        return 0;
    }
    const std::string failure = SaveBlankingFile(path, map);
    if (!failure.empty()) {
        TellFailure(context, target, "save blanking", failure);
    }
    CloseAlignmentSteps(context, line, target);
    return failure.empty() ? 1 : 0;
}

int PutBlankingSession(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                       const std::string& path) {
    const CServiceBracket bracket(line.Link(), line.Table(), PortFlush::kDiscard);
    CDiagnostics emitter;
    CDiagnostics receiver;
    CBlankingMap map;
    if (!OpenAlignmentSteps(context, line, target, emitter, receiver, map)) {
        return 0;
    }
    CBlankingMap sent;
    const int result = SendBlankingFile(
        line.Link(), path, map.Channels(), ChannelsBeyond::kRefuse,
        [&](const char* text) { TellFailure(context, target, "send blanking", text); }, sent);
    CloseAlignmentSteps(context, line, target);
    return result;
}
