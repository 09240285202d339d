#pragma once
// CSimLine: the serial line with its simulated controllers. It is driven by times, not
// by a clock: the host puts bytes on the line at a time, RunUntil lets the line play up
// to a time (host bytes reach the controllers after their wire time, the controllers
// answer), and the bytes for the host are taken as they arrive. The in-process port
// drives it from the virtual clock; a real-time server can drive it from the wall clock.

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "SimController.h"
#include "SimWire.h"

// A run of bytes one side put on the line without a pause, with the settings it used.
struct SimBurst {
    char sender;  // the ID letter of the controller that sent it; 0 for the host or noise
    std::vector<unsigned char> bytes;
    SimLineFormat format;
    uint64_t startUs;
    uint64_t endUs;
};

// Bytes the host could not read: sent at another rate, or at its rate with another parity.
struct SimLineErrors {
    unsigned framing = 0;
    unsigned parity = 0;
};

constexpr int kSimMaxControllers = 15;
constexpr uint64_t kNever = UINT64_MAX;

class CSimLine {
public:
    // Adds a controller (see CSimController); nullptr when the line holds 15 already.
    CSimController* AddController(char id, int baudIndex, int parityIndex = 2);
    int ControllerCount() const { return static_cast<int>(stations.size()); }
    CSimController& Controller(int index) {
        return *stations[static_cast<size_t>(index)].controller;
    }
    // The first controller that now answers as id, or nullptr.
    CSimController* Find(char id);

    // The host puts bytes on the line with format, from atUs or from the end of its
    // previous bytes if they are still going out. Answers the time its last byte is out.
    uint64_t HostSend(uint64_t atUs, const unsigned char* bytes, unsigned count,
                      const SimLineFormat& format);
    // Takes back the host's bytes that have not started by atUs (an output purge).
    void DiscardHostOutput(uint64_t atUs);
    // Puts bytes on the host's input, as a disturbance on the line would.
    void PutNoise(uint64_t atUs, const std::vector<unsigned char>& bytes,
                  const SimLineFormat& format);

    // Plays the line up to atUs: every host byte that has arrived by then reaches the
    // controllers, and their replies are scheduled.
    void RunUntil(uint64_t atUs);
    // When the n-th (from 1) byte for the host that is readable with format arrives,
    // provided that is by upToUs; kNever otherwise. Only what RunUntil scheduled counts.
    uint64_t HostArrival(unsigned n, uint64_t upToUs, const SimLineFormat& format) const;
    // Moves the bytes for the host that arrived by atUs into out, those readable with
    // format; the others are lost and counted.
    SimLineErrors TakeForHost(uint64_t atUs, const SimLineFormat& format,
                              std::deque<unsigned char>& out);

    // When something next happens on the line: a host byte reaches the controllers or a
    // byte reaches the host; kNever when nothing is under way. A real-time driver sleeps
    // until then.
    uint64_t NextEventUs() const;
    // Drops the record of the bursts that ended before beforeUs, and the controllers'
    // record of the frames they got before then, so that a long run keeps no history.
    void ForgetTraffic(uint64_t beforeUs);

    // Everything the host sent, a burst per run of bytes without a pause.
    const std::vector<SimBurst>& HostBursts() const { return hostBursts; }
    // Everything sent towards the host: replies and noise, in the order they were made.
    const std::vector<SimBurst>& ReplyBursts() const { return replyBursts; }

private:
    struct TimedByte {
        uint64_t startUs;
        uint64_t endUs;  // when the byte has fully arrived
        unsigned char byte;
        SimLineFormat format;
    };
    struct Station {
        std::unique_ptr<CSimController> controller;
        uint64_t freeUs = 0;  // when its previous reply is out
    };

    // Queues bytes towards the host from startUs; answers when the last is out.
    uint64_t SendToHost(char sender, uint64_t startUs, const std::vector<unsigned char>& bytes,
                        const SimLineFormat& format);

    std::vector<Station> stations;
    std::deque<TimedByte> toControllers;  // in time order: the host sends one byte after another
    std::deque<TimedByte> toHost;         // kept in order of arrival
    uint64_t hostFreeUs = 0;
    std::vector<SimBurst> hostBursts;
    std::vector<SimBurst> replyBursts;
};
