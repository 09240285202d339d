#include "sequences/LostConnection.h"

#include "protocol/ControllerLink.h"
#include "sequences/ServiceBracket.h"
#include "serial/NetworkPort.h"

bool NetworkConnectionLost(CControllerLink& link) {
    return link.Port().Status() == kDeviceGone &&
           dynamic_cast<const CNetworkPort*>(&link.Port()) != nullptr;
}

namespace {

// When the link's connection was lost, a new one takes its place. 1 when the link can
// talk: nothing was lost, or the new connection opened.
int MendLostConnection(CControllerLink& link) {
    return link.Port().Status() != kDeviceGone || link.ReopenLostPort() ? 1 : 0;
}

}  // namespace

int RunClosingStep(CControllerLink& link, const std::function<int()>& step) {
    if (MendLostConnection(link) && step()) {
        return 1;
    }
    return link.Port().Status() == kDeviceGone && MendLostConnection(link) ? step() : 0;
}

bool ConnectionLostOnTheWay(CControllerLink& link) {
    return NetworkConnectionLost(link) || !link.MendedLossText().empty();
}

std::string LostConnectionText(CControllerLink& link) {
    return link.MendedLossText().empty() ? link.Port().StatusText(kDeviceGone)
                                         : link.MendedLossText();
}

int ResumeAfterLostConnection(CControllerLink& link) {
    if (!MendLostConnection(link)) {
        return 0;
    }
    link.ResumeAll(kBroadcastPauseMs);
    return link.Port().Status() == kSuccess ? 1 : 0;
}
