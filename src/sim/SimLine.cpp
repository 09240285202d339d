#include "SimLine.h"

#include <algorithm>

CSimController* CSimLine::AddController(char id, int baudIndex, int parityIndex) {
    if (ControllerCount() >= kSimMaxControllers) {
        return nullptr;
    }
    stations.push_back({std::make_unique<CSimController>(id, baudIndex, parityIndex), 0});
    return stations.back().controller.get();
}

CSimController* CSimLine::Find(char id) {
    for (Station& station : stations) {
        if (station.controller->Id() == id) {
            return station.controller.get();
        }
    }
    return nullptr;
}

uint64_t CSimLine::HostSend(uint64_t atUs, const unsigned char* bytes, unsigned count,
                            const SimLineFormat& format) {
    const uint64_t start = std::max(atUs, hostFreeUs);
    for (unsigned i = 0; i < count; ++i) {
        toControllers.push_back({start + WireTimeUs(i, format.baud),
                                 start + WireTimeUs(i + 1, format.baud), bytes[i], format});
    }
    const uint64_t end = start + WireTimeUs(count, format.baud);
    if (count == 0) {
        return end;
    }
    SimBurst* last = hostBursts.empty() ? nullptr : &hostBursts.back();
    if (last != nullptr && last->endUs == start && last->format.baud == format.baud &&
        last->format.parity == format.parity) {
        last->bytes.insert(last->bytes.end(), bytes, bytes + count);
        last->endUs = end;
    } else {
        hostBursts.push_back(
            {0, std::vector<unsigned char>(bytes, bytes + count), format, start, end});
    }
    hostFreeUs = end;
    return end;
}

void CSimLine::DiscardHostOutput(uint64_t atUs) {
    // The bytes not yet started are the newest ones: at the end of the queue and of the
    // last burst, whose bytes follow one another without a gap.
    while (!toControllers.empty() && toControllers.back().startUs >= atUs) {
        const uint64_t startUs = toControllers.back().startUs;
        toControllers.pop_back();
        SimBurst& last = hostBursts.back();
        last.bytes.pop_back();
        last.endUs = startUs;
        if (last.bytes.empty()) {
            hostBursts.pop_back();
        }
    }
    hostFreeUs = toControllers.empty() ? std::min(hostFreeUs, atUs) : toControllers.back().endUs;
}

void CSimLine::PutNoise(uint64_t atUs, const std::vector<unsigned char>& bytes,
                        const SimLineFormat& format) {
    SendToHost(0, atUs, bytes, format);
}

void CSimLine::RunUntil(uint64_t atUs) {
    SimReply reply;
    while (!toControllers.empty() && toControllers.front().endUs <= atUs) {
        const TimedByte arrived = toControllers.front();
        toControllers.pop_front();
        for (Station& station : stations) {
            CSimController& controller = *station.controller;
            if (controller.Hear(arrived.byte, arrived.format, arrived.endUs, reply)) {
                const uint64_t start = std::max(arrived.endUs + reply.delayUs, station.freeUs);
                station.freeUs = SendToHost(controller.Id(), start, reply.bytes, reply.format);
            }
        }
    }
}

uint64_t CSimLine::SendToHost(char sender, uint64_t startUs,
                              const std::vector<unsigned char>& bytes,
                              const SimLineFormat& format) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        const TimedByte timed{startUs + WireTimeUs(i, format.baud),
                              startUs + WireTimeUs(i + 1, format.baud), bytes[i], format};
        auto at = std::upper_bound(
            toHost.begin(), toHost.end(), timed,
            [](const TimedByte& a, const TimedByte& b) { return a.endUs < b.endUs; });
        toHost.insert(at, timed);
    }
    const uint64_t end = startUs + WireTimeUs(bytes.size(), format.baud);
    replyBursts.push_back({sender, bytes, format, startUs, end});
    return end;
}

uint64_t CSimLine::HostArrival(unsigned n, uint64_t upToUs, const SimLineFormat& format) const {
    unsigned seen = 0;
    for (const TimedByte& timed : toHost) {
        if (timed.endUs > upToUs) {
            break;
        }
        if (timed.format.Matches(format) && ++seen == n) {
            return timed.endUs;
        }
    }
    return kNever;
}

SimLineErrors CSimLine::TakeForHost(uint64_t atUs, const SimLineFormat& format,
                                    std::deque<unsigned char>& out) {
    SimLineErrors errors;
    while (!toHost.empty() && toHost.front().endUs <= atUs) {
        const TimedByte& timed = toHost.front();
        if (timed.format.Matches(format)) {
            out.push_back(timed.byte);
        } else if (timed.format.baud != format.baud) {
            ++errors.framing;
        } else {
            ++errors.parity;
        }
        toHost.pop_front();
    }
    return errors;
}

uint64_t CSimLine::NextEventUs() const {
    const uint64_t toControllersUs = toControllers.empty() ? kNever : toControllers.front().endUs;
    const uint64_t toHostUs = toHost.empty() ? kNever : toHost.front().endUs;
    return std::min(toControllersUs, toHostUs);
}

void CSimLine::ForgetTraffic(uint64_t beforeUs) {
    // Bursts still going out stay: the host's last burst may grow or be cut by a purge.
    const auto ended = [beforeUs](const SimBurst& burst) { return burst.endUs < beforeUs; };
    std::erase_if(hostBursts, ended);
    std::erase_if(replyBursts, ended);
    for (Station& station : stations) {
        station.controller->ForgetReceived(beforeUs);
    }
}
