#include "sequences/AlignmentSequences.h"

#include "protocol/ControllerLink.h"
#include "records/BlankingMap.h"
#include "sequences/BlankingFileCommands.h"
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
        link.ExitAlignmentMode();
        return 0;
    }
    return 1;
}

int CloseAlignment(CControllerLink& link, const TellFunction& tell) {
    if (link.ExitAlignmentMode() || link.ExitAlignmentMode()) {
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
    if (BlanksBeyond(fileMap, channels)) {
        tell(kChannelsBeyondWarning);
        if (beyond == ChannelsBeyond::kRefuse) {
            return 0;
        }
    }
    const CBlankingMap fitted = FitToController(fileMap, channels);
    if (!link.OutputBlankingFields(fitted)) {
        tell(kBlankingDownloadFailed);
        return 0;
    }
    sent = fitted;
    return 1;
}
