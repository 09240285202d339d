#include "SimFault.h"

#include <algorithm>

namespace {

// Counts one frame off fault; true when it is used up.
bool UseUp(SimFault& fault) {
    if (fault.frames == kUntilCleared) {
        return false;
    }
    return --fault.frames <= 0;
}

void Spoil(const SimFault& fault, std::vector<unsigned char>& reply, unsigned checksumAt) {
    switch (fault.kind) {
        case SimFaultKind::corruptChecksum:
            if (checksumAt != 0 && checksumAt + 1 < reply.size()) {
                reply[checksumAt + 1] ^= 0xFF;
            }
            break;
        case SimFaultKind::corruptByte:
            if (fault.offset < reply.size()) {
                reply[fault.offset] ^= 0xFF;
            }
            break;
        case SimFaultKind::wrongId:
            if (reply.size() > 1) {
                reply[1] = reply[1] == 'A' ? 'B' : 'A';
            }
            break;
        case SimFaultKind::wrongLetter:
            if (reply.size() > 2) {
                reply[2] ^= 0x20;
            }
            break;
        case SimFaultKind::wrongEnd:
            if (!reply.empty()) {
                reply.back() = 0x0D;
            }
            break;
        case SimFaultKind::shortReply:
            reply.resize(reply.size() - std::min<size_t>(fault.count, reply.size()));
            break;
        case SimFaultKind::extraBytes:
            reply.insert(reply.end(), fault.bytes.begin(), fault.bytes.end());
            break;
        case SimFaultKind::noise:
            reply.insert(reply.begin(), fault.bytes.begin(), fault.bytes.end());
            break;
        case SimFaultKind::silence:
        case SimFaultKind::lateReply:
            break;
    }
}

}  // namespace

void CSimFaults::Add(const SimFault& fault) {
    if (fault.frames <= 0 && fault.frames != kUntilCleared) {
        return;
    }
    auto at =
        std::upper_bound(faults.begin(), faults.end(), fault,
                         [](const SimFault& a, const SimFault& b) { return a.kind < b.kind; });
    faults.insert(at, fault);
}

bool CSimFaults::TakeSilence() {
    auto it = std::find_if(faults.begin(), faults.end(),
                           [](const SimFault& f) { return f.kind == SimFaultKind::silence; });
    if (it == faults.end()) {
        return false;
    }
    if (UseUp(*it)) {
        faults.erase(it);
    }
    return true;
}

uint64_t CSimFaults::Apply(std::vector<unsigned char>& reply, unsigned checksumAt) {
    uint64_t delayUs = 0;
    for (auto it = faults.begin(); it != faults.end();) {
        if (it->kind == SimFaultKind::silence) {
            ++it;
            continue;
        }
        if (it->kind == SimFaultKind::lateReply) {
            delayUs += static_cast<uint64_t>(it->delayMs) * 1000;
        }
        Spoil(*it, reply, checksumAt);
        it = UseUp(*it) ? faults.erase(it) : it + 1;
    }
    return delayUs;
}
