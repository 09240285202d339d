#include "sequences/AlignmentSequences.h"

#include "protocol/ControllerLink.h"
#include "protocol/Diagnostics.h"
#include "records/BlankingMap.h"
#include "sequences/BlankingFileCommands.h"
#include "sequences/DiagnosticsRead.h"
#include "sequences/LostConnection.h"
#include "serial/Clock.h"

namespace {
constexpr uint32_t kOperationalPauseMs = 1000;
}

int OpenAlignment(CControllerLink& link, CBlankingMap& map, const TellFunction& tell) {
    DelayMs(kOperationalPauseMs);
    if (!link.InputBlankingFields(map)) {
        tell(kBlankingUploadFailed);
        return 0;
    }
    if (!link.EnterAlignmentMode()) {
        tell(kEnterAlignmentFailed);
        RunClosingStep(link, [&] { return link.ExitAlignmentMode(); });
        return 0;
    }
    return 1;
}

std::string ChannelsBeyondRefusal(int channels) {
    return "The file blanks channels beyond the " + std::to_string(channels) +
           " of the controller; nothing was sent.";
}

const char* CheckAlignable(CControllerLink& link, CDiagnostics& emitter, CDiagnostics& receiver) {
    if (const char* failure = ReadDiagnosticsPair(link, emitter, receiver)) {
        return failure;
    }
    return emitter.StateText(receiver) == kOperational ? nullptr : kNotOperational;
}

AlignmentOpening OpenAlignmentSession(CControllerLink& link, CDiagnostics& emitter,
                                      CDiagnostics& receiver, CBlankingMap& map,
                                      const TellFunction& tell) {
    if (const char* refusal = CheckAlignable(link, emitter, receiver)) {
        return {0, refusal};
    }
    map = CBlankingMap(emitter.BoardCount() * kChannelsPerBoard);
    return {OpenAlignment(link, map, tell), nullptr};
}

int CloseAlignment(CControllerLink& link, const TellFunction& tell) {
    const auto exit = [&] { return link.ExitAlignmentMode(); };
    if (RunClosingStep(link, exit) || RunClosingStep(link, exit)) {
        return 1;
    }
    tell(kExitAlignmentFailed);
    return 0;
}

int SendBlankingFile(CControllerLink& link, const std::string& path, int channels,
                     ChannelsBeyond beyond, const TellFunction& tell, CBlankingMap& sent) {
    CBlankingMap fileMap;
    const std::string failure = ReadBlankingFile(path, fileMap);
    if (!failure.empty()) {
        tell(failure.c_str());
        return 0;
    }
    return SendBlankingMap(link, fileMap, channels, beyond, tell, sent);
}

int SendBlankingMap(CControllerLink& link, const CBlankingMap& fileMap, int channels,
                    ChannelsBeyond beyond, const TellFunction& tell, CBlankingMap& sent) {
    if (BlanksBeyond(fileMap, channels)) {
        if (beyond == ChannelsBeyond::kRefuse) {
            tell(ChannelsBeyondRefusal(channels).c_str());
            return 0;
        }
        tell(kChannelsBeyondWarning);
    }
    const CBlankingMap fitted = FitToController(fileMap, channels);
    if (!link.OutputBlankingFields(fitted)) {
        tell(kBlankingDownloadFailed);
        return 0;
    }
    sent = fitted;
    return 1;
}
