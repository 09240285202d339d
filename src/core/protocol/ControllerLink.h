#pragma once
// CControllerLink: the one way to talk to the controllers. It owns the open serial port
// and the request and reply buffers; every controller command is one transaction on it:
// build the request frame, write it, read a reply of fixed length within the command's
// time limit, and check the reply's fixed bytes. One link lives for one menu command.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protocol/ControllerTable.h"
#include "protocol/LineTap.h"
#include "serial/RS232.h"

class CBlankingMap;
class CDiagnostics;
class CPsf;
class CScanReply;
class CSearchProgress;

constexpr unsigned char kRequestStart = 0xF8;
constexpr unsigned char kReplyStart = 0x1C;
constexpr unsigned char kRequestEnd = 0x0D;
constexpr unsigned char kReplyEnd = 0x0A;
constexpr unsigned kReplyBufferSize = 4000;
constexpr unsigned kRequestBufferSize = 1024;
constexpr int kBaudRateCount = 4;

// One transaction's shape: what to write, how long to wait, what reply to accept.
struct CExchange {
    unsigned requestLength = 4;  // bytes of the request buffer to write
    long writeLimitMs = 0;       // 0: a single write attempt
    bool flushFirst = false;     // discard stale input before writing
    unsigned replyLength = 0;    // bytes to read; 0 when no reply is expected
    long readLimitMs = 0;
    // Nonzero: a read that timed out is still accepted when at least this many bytes came.
    unsigned minReplyLength = 0;
    uint32_t pauseAfterWriteMs = 0;  // busy wait between the request and the read
};

class CControllerLink {
public:
    // Takes ownership of port; id is the letter of the selected controller.
    CControllerLink(std::unique_ptr<RS232> port, char id);
    ~CControllerLink();
    CControllerLink(const CControllerLink&) = delete;
    CControllerLink& operator=(const CControllerLink&) = delete;

    char Id() const { return id; }
    // Addresses the controller by newId from now on: it has been given a new ID.
    void SetId(char newId) { id = newId; }
    RS232& Port() { return *port; }

    // Opens a new port like the link's own at the given rate: how a lost connection to a
    // device server is made again. Set by whoever opened the link's port.
    using PortReopener = std::function<std::unique_ptr<RS232>(long baud)>;
    void SetPortReopener(PortReopener reopener) { reopen = std::move(reopener); }
    // Replaces the port, which the device behind it has gone from, by the reopener's new
    // one at the same rate, so that a command's closing steps still reach the controllers.
    // 1 when the new port opened; 0 when there is no reopener, a transaction is waiting or
    // the new port did not open (the lost one stays, and no new port is tried again).
    int ReopenLostPort();
    // The text of the first loss that ReopenLostPort mended; empty while none was.
    const std::string& MendedLossText() const { return mendedLoss; }

    // Discards the port's received data; always answers 1.
    int FlushInput();
    // Discards the port's input, then its output queue.
    int FlushBuffers();
    // Sets the port's rate to BaudRateOf(index), other line settings unchanged;
    // 1 when the port accepted it.
    int SetBaudIndex(int index);
    // Index of the port's current rate; a rate not in the table gives 0.
    int GetBaudIndex() const;
    static long BaudRateOf(int index);

    void SetControllerTable(ControllerTable* table) { controllerTable = table; }
    ControllerTable* GetControllerTable() const { return controllerTable; }

    // Zeroes the request buffer and writes the 4-byte frame 0xF8, frameId, command, CR.
    // While a transaction waits, its request is still going out: the buffer is left
    // alone and the answer is false, so a command started then fails untouched.
    bool BuildRequest(char frameId, char command);
    // True when reply bytes 0..3 are the acknowledgement 0x1C, frameId, letter, LF.
    bool CheckReply(char frameId, char letter) const;
    // True when the reply starts 0x1C, frameId, letter and has LF at length - 1. A reply
    // that fails is reported to the line observer as the wrong reply.
    bool CheckFrame(char frameId, char letter, unsigned length) const;

    // Asks controller pingId to answer; 'X' when it did, else 0.
    int Ping(char pingId);

    // The controller commands, addressed to the link's controller. Each answers 1 on
    // success and 0 on failure unless noted.
    int OutputPsf(CPsf& psf);  // packs psf and sends its image
    int InputPsf(CPsf& psf);   // psf is filled only from an image whose checksum holds
    // values[0..3]: output 1 null, output 1 span, output 2 null, output 2 span.
    int InputNullSpan(int values[4]);
    // command 'n' sends the two nulls (values[0], values[2]); any other letter the spans.
    int OutputNullSpan(char command, const int values[4]);
    int EndNullSpan(char command);  // 'E' keeps the adjustment, 'Q' discards it
    // receiver 0 reads the emitter's diagnostics ('I'), else the receiver's ('J').
    int InputDiagnostics(CDiagnostics& diagnostics, int receiver);
    // Answers the scan object's parse result, or 0 after three failed attempts.
    int InputScan(CScanReply& scan);
    int EnterAlignmentMode();
    int ExitAlignmentMode();
    // map is replaced only by a reply whose checksum holds.
    int InputBlankingFields(CBlankingMap& map);
    int OutputBlankingFields(const CBlankingMap& map);
    int OutputPartNumber(uint32_t partNumber, uint16_t dateCode);
    // No reply: 1 when the write succeeded, followed by a pause of waitMs.
    int Suspend(char frameId, long waitMs);
    int Resume(char frameId, long waitMs);

    // Line-wide operations; each leaves the port at the baud index it found.
    // Pings every ID at 9600, 19200 and 38400 and records who answered in table. With a
    // progress object, it is asked before each ping and may end the search there.
    // A rate the port cannot run at (its rate is fixed at another) is passed over; a rate
    // the port refused is passed over too, and noted in RatesNotSet.
    void FindControllers(ControllerTable* table, CSearchProgress* progress = nullptr);
    // The searched rates the last FindControllers could not set, a bit per baud index.
    unsigned RatesNotSet() const { return ratesNotSet; }
    // Broadcasts Suspend at every searched rate; the last Suspend result.
    int SuspendAll(long waitMs);
    // Broadcasts Resume at every searched rate, so that it also reaches a controller that
    // heard SuspendAll but is missing from the table; the last Resume result.
    int ResumeAll(long waitMs);
    // Suspends (resumes) every controller the table knows, at its own rate, 160 ms
    // after each; 1 when the table knows none.
    int SuspendKnown(const ControllerTable* table);
    int ResumeKnown(const ControllerTable* table);

    // Runs one transaction on the request already built. True when the write
    // succeeded and, if a reply is expected, the read was accepted; the reply is then
    // in Reply() with ReplyCount() bytes. Refused at once, touching nothing, while
    // another transaction of this link is waiting (the idle handler may run window
    // code in the middle of a transaction). Discards the input first when the exchange
    // asks for it, else drains it when the previous reply came out of step.
    bool Transact(const CExchange& exchange);

    unsigned char* Request() { return request.data(); }
    const unsigned char* Reply() const { return reply.data(); }
    unsigned ReplyCount() const { return replyCount; }
    bool Busy() const { return busy; }

private:
    class CBaudRestorer;
    // Sends the request already built and expects the acknowledgement 'K'.
    int RunAcknowledged(unsigned requestLength, long readLimitMs, bool flushFirst);
    // Sends a 4-byte command that gets no reply, then pauses waitMs.
    int SendWithoutReply(char frameId, char command, long waitMs);
    // Sends command to every controller the table knows, at its own rate.
    int SendToKnown(const ControllerTable* table, char command);
    // Broadcasts command at every searched rate the port can run at, pausing waitMs
    // after each.
    int SendToAll(char command, long waitMs);
    // False when the port's rate is fixed at another than BaudRateOf(baudIndex).
    bool RunsAt(int baudIndex) const;
    // Drops the input until the line has been quiet for a moment: the rest of a spoilt
    // reply may still be on its way.
    void DrainInput();
    // Transact without the line observer.
    bool RunTransaction(const CExchange& exchange);
    // The last exchange as the line observer sees it.
    CLineExchange Observed(const CExchange& exchange, uint32_t startTick, bool accepted) const;
    // Tells the line observer that the command found the last reply unusable after all;
    // only a reply that was taken as answered is judged again.
    void ReportVerdict(LineVerdict verdict) const;
    // Tells the line observer what the command's own decoder made of a reply that came
    // whole (answered, or out of step with bytes around it): taken, or unreadable.
    // Answers taken.
    bool ReportDecoded(bool taken) const;

    std::unique_ptr<RS232> port;
    PortReopener reopen;
    std::string mendedLoss;
    std::vector<unsigned char> reply;
    std::vector<unsigned char> request;
    unsigned replyCount = 0;
    char id;
    ControllerTable* controllerTable = nullptr;
    bool busy = false;
    unsigned ratesNotSet = 0;
    // The last reply came out of step: the next transaction that does not discard its
    // input anyway first drains it, so that one spoilt reply does not shift every later
    // one.
    bool outOfStep = false;
    bool sent = false;  // the last transaction's request went out whole
    // The verdict the line observer was given on the last exchange; kSent when none was.
    mutable LineVerdict observedVerdict = LineVerdict::kSent;
};
