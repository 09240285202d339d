// Operations over the whole line: the controller search and the suspend/resume of
// every known controller. Each runs at several baud rates and puts the port back at
// the rate it found.

#include "protocol/ControllerLink.h"
#include "protocol/SearchProgress.h"

namespace {
constexpr long kKnownControllerPauseMs = 160;
}

// Notes the port's baud index and restores it when the operation ends.
class CControllerLink::CBaudRestorer {
public:
    explicit CBaudRestorer(CControllerLink& link) : link(link), index(link.GetBaudIndex()) {}
    ~CBaudRestorer() { link.SetBaudIndex(index); }
    CBaudRestorer(const CBaudRestorer&) = delete;
    CBaudRestorer& operator=(const CBaudRestorer&) = delete;

private:
    CControllerLink& link;
    int index;
};

void CControllerLink::FindControllers(ControllerTable* table, CSearchProgress* progress) {
    if (busy || table == nullptr) {
        return;
    }
    CBaudRestorer restorer(*this);
    ratesNotSet = 0;
    for (int baudIndex = 0; baudIndex < kSearchedBaudIndexes; ++baudIndex) {
        if (!RunsAt(baudIndex)) {
            continue;
        }
        // At a rate the port did not set, a ping would reach the controllers at another.
        // A port that is gone sets none; that is told as its loss.
        if (!SetBaudIndex(baudIndex)) {
            ratesNotSet |= port->Status() == 0 ? 1u << baudIndex : 0u;
            continue;
        }
        for (char controller = kFirstId; controller <= kLastId; ++controller) {
            if (progress != nullptr && !progress->BeforePing(controller, baudIndex)) {
                return;
            }
            StoreControllerEntry(*table, controller, baudIndex, Ping(controller));
        }
    }
}

int CControllerLink::SendToAll(char command, long waitMs) {
    if (busy) {
        return 0;
    }
    CBaudRestorer restorer(*this);
    int result = 1;
    for (int baudIndex = 0; baudIndex < kSearchedBaudIndexes && result; ++baudIndex) {
        if (RunsAt(baudIndex)) {
            // Sent even when the server did not confirm the rate: it may have set it.
            SetBaudIndex(baudIndex);
            result = SendWithoutReply(kBroadcastId, command, waitMs);
        }
    }
    return result;
}

bool CControllerLink::RunsAt(int baudIndex) const {
    const long fixed = port->FixedBaud();
    return fixed == 0 || fixed == BaudRateOf(baudIndex);
}

int CControllerLink::SuspendAll(long waitMs) {
    return SendToAll('V', waitMs);
}

int CControllerLink::ResumeAll(long waitMs) {
    return SendToAll('v', waitMs);
}

int CControllerLink::SendToKnown(const ControllerTable* table, char command) {
    if (busy) {
        return 0;
    }
    if (table == nullptr) {
        return 1;
    }
    CBaudRestorer restorer(*this);
    int result = 1;
    for (char controller = kFirstId; controller <= kLastId && result; ++controller) {
        int baudIndex = 0;
        if (FindBaudIndex(*table, controller, &baudIndex)) {
            SetBaudIndex(baudIndex);
            result = SendWithoutReply(controller, command, kKnownControllerPauseMs);
        }
    }
    return result;
}

int CControllerLink::SuspendKnown(const ControllerTable* table) {
    return SendToKnown(table, 'V');
}

int CControllerLink::ResumeKnown(const ControllerTable* table) {
    return SendToKnown(table, 'v');
}
