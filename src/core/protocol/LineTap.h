#pragma once
// The line tap: observers that see every exchange a controller link runs, as it happens:
// the request, the reply and the verdict on it. The line monitor, the main window's
// summary of the controller and verbose command-line runs install one; with none
// installed a link pays one test per exchange and copies nothing.

#include <cstdint>
#include <vector>

enum class LineVerdict : uint8_t {
    kAnswered,
    kSent,           // the request needs no reply
    kNotSent,        // the write did not complete
    kNoAnswer,       // nothing came within the time limit
    kShort,          // some bytes came, fewer than asked for
    kOutOfStep,      // the reply does not begin and end as a reply does; the line is drained
    kChecksumWrong,  // the record in the reply fails its checksum
    kWrongReply,     // a whole reply, but with another ID or letter than the request asks for
    kUnreadable,     // the command's decoder refused the reply
};

struct CLineExchange {
    uint32_t startTick = 0;  // clock tick when the exchange began
    long baud = 0;
    std::vector<unsigned char> request;
    std::vector<unsigned char> reply;  // the bytes that came
    unsigned expected = 0;             // reply bytes the command waits for; 0 for none
    LineVerdict verdict = LineVerdict::kAnswered;
    // The port lost input meanwhile: more came than it keeps, or a device server sent a
    // command longer than it takes (dropped).
    bool inputLost = false;
};

class CLineObserver {
public:
    virtual ~CLineObserver() = default;
    virtual void OnExchange(const CLineExchange& exchange) = 0;
    // The command that ran the last exchange found its reply unusable after all.
    virtual void OnVerdictChanged(LineVerdict verdict) = 0;
};

// The installed observers, in the order they were installed.
const std::vector<CLineObserver*>& LineObservers();

// Installs an observer for the whole process for the lifetime of the object.
class CScopedLineObserver {
public:
    explicit CScopedLineObserver(CLineObserver* observer);
    ~CScopedLineObserver();
    CScopedLineObserver(const CScopedLineObserver&) = delete;
    CScopedLineObserver& operator=(const CScopedLineObserver&) = delete;

private:
    CLineObserver* observer;
};
