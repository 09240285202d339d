#pragma once
// Faults a simulated controller can be told to commit, for a number of frames or until
// cleared: stay silent, answer late, or spoil its reply in one of the ways a real line
// or a real controller can.

#include <cstdint>
#include <vector>

enum class SimFaultKind {
    silence,          // the frame goes unheard: no reply, no effect
    lateReply,        // the reply starts delayMs later than it would
    corruptChecksum,  // the low checksum byte of a reply that carries one is inverted
    corruptByte,      // reply byte offset is inverted
    wrongId,          // the reply carries another controller's ID
    wrongLetter,      // the reply letter (byte 2) has its case swapped
    wrongEnd,         // the reply ends with CR instead of LF
    shortReply,       // the last count bytes of the reply are left off
    extraBytes,       // bytes are sent after the reply
    noise,            // bytes are put on the line just before the reply
};

constexpr int kUntilCleared = -1;

struct SimFault {
    SimFaultKind kind = SimFaultKind::silence;
    // How many frames the fault affects (silence: frames addressed to the controller;
    // the others: replies), or kUntilCleared.
    int frames = 1;
    uint32_t delayMs = 0;
    unsigned offset = 3;
    unsigned count = 1;
    std::vector<unsigned char> bytes = {};
};

// The faults in force on one controller.
class CSimFaults {
public:
    void Add(const SimFault& fault);
    void Clear() { faults.clear(); }
    const std::vector<SimFault>& Active() const { return faults; }

    // For a frame addressed to the controller: true when a silence fault swallows it.
    bool TakeSilence();
    // Spoils reply with every reply fault in force, one frame of each used up.
    // checksumAt is the offset of the reply's checksum (high byte), 0 when it has none.
    // Answers the extra delay before the reply, in microseconds.
    uint64_t Apply(std::vector<unsigned char>& reply, unsigned checksumAt);

private:
    // Kept in the order of SimFaultKind, so that the content of a reply is spoiled
    // before its length and noise goes in front of whatever remains.
    std::vector<SimFault> faults;
};
