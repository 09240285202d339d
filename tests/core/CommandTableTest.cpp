// Every controller command of the link on a scripted line, from one table: the exact
// frame it writes and in how many attempts, whether it discards stale input before
// writing, its read limit to the millisecond, and the pauses before its request, before
// its read and after a request that gets no reply. The scripted port reads every
// millisecond, so a reply complete at the limit is taken and one a millisecond later is
// not.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ScriptedPort.h"
#include "protocol/ControllerLink.h"
#include "protocol/Diagnostics.h"
#include "protocol/ScanReply.h"
#include "records/BlankingMap.h"
#include "records/Psf.h"
#include "serial/Clock.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Call = CScriptedPort::Call;

struct Command {
    std::string name;
    std::function<int(CControllerLink&)> run;
    Bytes request;  // every byte on the line
    Bytes reply;    // the controller's answer; empty for a command that gets none
    int answer;     // what the command answers when that reply comes
    bool flushFirst;
    long readLimitMs;
    uint32_t pauseBeforeWriteMs;
    uint32_t pauseBeforeReadMs;
    uint32_t pauseAfterWriteMs;  // a command without a reply, before it returns
    bool writeRetried;           // a request that went out partly is sent whole after all
};

// Names the command in test output instead of dumping its bytes.
void PrintTo(const Command& command, std::ostream* out) {
    *out << command.name;
}

constexpr unsigned char kCr = 0x0D;

Bytes Frame(char id, char letter, const Bytes& payload = {}, unsigned char end = kCr) {
    Bytes frame{0xF8, static_cast<unsigned char>(id), static_cast<unsigned char>(letter)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    if (end != 0) {
        frame.push_back(end);
    }
    return frame;
}

Bytes Answer(char id, char letter, const Bytes& payload = {}) {
    Bytes frame{0x1C, static_cast<unsigned char>(id), static_cast<unsigned char>(letter)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(0x0A);
    return frame;
}

const Bytes kAck = Answer('B', 'K');

CPsf SamplePsf() {
    CPsf psf;
    psf.SetScanNumber(7);
    psf.SetReserved(0xBEEF);
    return psf;
}

Bytes SamplePsfImage() {
    CPsf psf = SamplePsf();
    psf.Pack();
    return Bytes(psf.Image(), psf.Image() + kPsfImageSize);
}

// A 64-channel map with channel 0 blanked: its 96-byte block and checksum.
CBlankingMap SampleMap() {
    CBlankingMap map(64);
    map.SetBlanked(0, true);
    return map;
}

Bytes SampleBlock() {
    Bytes block(96, 0);
    block[0] = 0x80;
    block.push_back(0xFF);  // 0xFFFF - 0x80
    block.push_back(0x7F);
    return block;
}

std::vector<Command> Commands() {
    const int values[4] = {0x1234, 0x5678, 0x9ABC, 0xDEF0};
    // Part number 0x00003039, date code 0x0A5C, version 0x21, no boards.
    const Bytes diagnostics = {0x00, 0x00, 0x30, 0x39, 0x0A, 0x5C, 0x21, 0x00};
    return {
        {"Ping", [](CControllerLink& l) { return l.Ping('C'); }, Frame('C', 'P'), Answer('C', 'X'),
         'X', true, 200, 0, 0, 0, true},
        {"OutputPsf",
         [](CControllerLink& l) {
             CPsf psf = SamplePsf();
             return l.OutputPsf(psf);
         },
         Frame('B', 'C', SamplePsfImage(), 0x0E), kAck, 1, true, 500, 0, 0, 0, false},
        {"InputPsf",
         [](CControllerLink& l) {
             CPsf psf;
             return l.InputPsf(psf);
         },
         Frame('B', 'G'), Answer('B', 'H', SamplePsfImage()), 1, true, 1000, 0, 0, 0, false},
        {"InputNullSpan",
         [](CControllerLink& l) {
             int read[4] = {};
             return l.InputNullSpan(read);
         },
         Frame('B', 'A'), Answer('B', 'N', {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}), 1,
         true, 1000, 0, 0, 0, false},
        {"OutputNulls", [values](CControllerLink& l) { return l.OutputNullSpan('n', values); },
         Frame('B', 'n', {0x12, 0x34, 0x9A, 0xBC}), kAck, 1, false, 1000, 0, 0, 0, false},
        {"OutputSpans", [values](CControllerLink& l) { return l.OutputNullSpan('s', values); },
         Frame('B', 's', {0x56, 0x78, 0xDE, 0xF0}), kAck, 1, false, 1000, 0, 0, 0, false},
        {"EndNullSpanKeeping", [](CControllerLink& l) { return l.EndNullSpan('E'); },
         Frame('B', 'E'), kAck, 1, true, 1000, 0, 0, 0, false},
        {"EndNullSpanDiscarding", [](CControllerLink& l) { return l.EndNullSpan('Q'); },
         Frame('B', 'Q'), kAck, 1, true, 1000, 0, 0, 0, false},
        {"InputEmitterDiagnostics",
         [](CControllerLink& l) {
             CDiagnostics read;
             return l.InputDiagnostics(read, 0);
         },
         Frame('B', 'I'), Answer('B', 'i', diagnostics), 1, false, 1000, 0, 0, 0, false},
        {"InputReceiverDiagnostics",
         [](CControllerLink& l) {
             CDiagnostics read;
             return l.InputDiagnostics(read, 1);
         },
         Frame('B', 'J'), Answer('B', 'j', diagnostics), 1, false, 1000, 0, 0, 0, false},
        {"InputScan",
         [](CControllerLink& l) {
             CMeasurementScan scan(1);
             return l.InputScan(scan);
         },
         Frame('B', 'S', {}, 0),
         {0x1C, 'B', 0x01, 0x02, 0x0A},
         1,
         false,
         1000,
         50,
         0,
         0,
         true},
        {"EnterAlignmentMode", [](CControllerLink& l) { return l.EnterAlignmentMode(); },
         Frame('B', 'a'), kAck, 1, false, 250, 0, 0, 0, false},
        {"ExitAlignmentMode", [](CControllerLink& l) { return l.ExitAlignmentMode(); },
         Frame('B', 'x'), kAck, 1, false, 1000, 0, 0, 0, false},
        {"InputBlankingFields",
         [](CControllerLink& l) {
             CBlankingMap map(64);
             return l.InputBlankingFields(map);
         },
         Frame('B', 'b'), Answer('B', 'd', SampleBlock()), 1, false, 1000, 0, 100, 0, false},
        {"OutputBlankingFields",
         [](CControllerLink& l) { return l.OutputBlankingFields(SampleMap()); },
         Frame('B', 'B', SampleBlock()), kAck, 1, false, 1000, 0, 0, 0, false},
        {"OutputPartNumber",
         [](CControllerLink& l) { return l.OutputPartNumber(0x01020304, 0x0506); },
         Frame('B', 'W', {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0xFF, 0xEA}), kAck, 1, true, 1000, 0,
         0, 0, false},
        {"Suspend",
         [](CControllerLink& l) { return l.Suspend('C', 160); },
         Frame('C', 'V'),
         {},
         1,
         false,
         0,
         0,
         0,
         160,
         false},
        {"ResumeAll",
         [](CControllerLink& l) { return l.Resume('X', 160); },
         Frame('X', 'v'),
         {},
         1,
         false,
         0,
         0,
         0,
         160,
         false},
    };
}

class CommandTableTest : public ::testing::TestWithParam<Command> {
protected:
    CommandTableTest() { Reconnect(); }

    // A new port and link: nothing pending, nothing remembered of an earlier reply.
    void Reconnect() {
        link.reset();
        auto owned = std::make_unique<CScriptedPort>(*clock);
        owned->readWaitMs = 1;
        port = owned.get();
        link = std::make_unique<CControllerLink>(std::move(owned), 'B');
    }
    // The controller answers the first request only, the answer complete delayMs after
    // the request was written.
    void AnswerFirstRequest(const Bytes& answer, uint32_t delayMs) {
        port->onWrite = [this, answer, delayMs, answered = false](const Bytes&) mutable {
            if (!answered && !answer.empty()) {
                answered = true;
                port->ArriveIn(delayMs, answer);
            }
        };
    }
    void AnswerEveryRequest(const Bytes& answer) {
        port->onWrite = [this, answer](const Bytes&) { port->ArriveIn(5, answer); };
    }
    uint32_t FirstWriteAt() const {
        for (const Call& call : port->Calls()) {
            if (call.kind == Call::kWrite) {
                return call.startedAt;
            }
        }
        ADD_FAILURE() << "nothing written";
        return 0;
    }

    CScopedVirtualClock clock{7000};
    CScriptedPort* port = nullptr;
    std::unique_ptr<CControllerLink> link;
};

TEST_P(CommandTableTest, WritesItsFrameAfterItsPauseAndPausesAfterARequestWithoutReply) {
    const Command& c = GetParam();
    AnswerFirstRequest(c.reply, 5);
    const uint32_t start = TickCount();
    EXPECT_EQ(c.answer, c.run(*link));
    EXPECT_EQ(c.request, port->Written());
    EXPECT_EQ(1u, port->CallCount(Call::kWrite));
    // Only the input discard, one empty read, may come before the pause.
    const uint32_t discard = c.flushFirst ? port->readWaitMs : 0;
    EXPECT_EQ(discard + c.pauseBeforeWriteMs, FirstWriteAt() - start);
    if (c.reply.empty()) {
        EXPECT_EQ(c.pauseAfterWriteMs, TicksSince(FirstWriteAt()));
        EXPECT_EQ(0u, port->CallCount(Call::kRead));
    }
}

TEST_P(CommandTableTest, DiscardsStaleInputBeforeWritingOnlyWhereItShould) {
    const Command& c = GetParam();
    const Bytes stale = {0x1C, 'B', 'Z', 0x0A, 0x55};
    port->ArriveIn(0, stale);
    // The answer is there as the request goes out: a discard after writing would lose it.
    AnswerFirstRequest(c.reply, 0);
    const int answer = c.run(*link);
    if (c.reply.empty()) {
        EXPECT_EQ(c.answer, answer);
        EXPECT_EQ(stale.size(), port->Pending());
    } else if (c.flushFirst) {
        EXPECT_EQ(c.answer, answer);
    } else {
        EXPECT_NE(c.answer, answer) << "the stale bytes were not taken for the reply";
    }
}

// The commands that read a reply.
class RepliedCommandTest : public CommandTableTest {};

TEST_P(RepliedCommandTest, TakesAReplyCompleteAtTheReadLimitButNotOneMillisecondLater) {
    const Command& c = GetParam();
    const uint32_t limit = c.pauseBeforeReadMs + static_cast<uint32_t>(c.readLimitMs);
    AnswerFirstRequest(c.reply, limit);
    EXPECT_EQ(c.answer, c.run(*link));
    Reconnect();
    AnswerFirstRequest(c.reply, limit + 1);
    EXPECT_NE(c.answer, c.run(*link));
}

TEST_P(RepliedCommandTest, AReplyOneByteShortFailsThoughTheBufferHoldsTheLastOne) {
    const Command& c = GetParam();
    AnswerEveryRequest(c.reply);
    ASSERT_EQ(c.answer, c.run(*link));
    AnswerEveryRequest(Bytes(c.reply.begin(), c.reply.end() - 1));
    EXPECT_NE(c.answer, c.run(*link));
}

TEST_P(CommandTableTest, ARequestThatGoesOutPartlyIsSentAgainOnlyWhereItMayBe) {
    const Command& c = GetParam();
    port->ScriptWrites({{kTimeout, 2}});
    AnswerFirstRequest(c.reply, 5);
    const int answer = c.run(*link);
    if (c.writeRetried) {
        EXPECT_EQ(c.answer, answer);
        EXPECT_EQ(2u, port->CallCount(Call::kWrite));
    } else {
        EXPECT_EQ(0, answer);
        EXPECT_EQ(1u, port->CallCount(Call::kWrite));
    }
}

std::string NameOf(const ::testing::TestParamInfo<Command>& info) {
    return info.param.name;
}

std::vector<Command> RepliedCommands() {
    std::vector<Command> replied = Commands();
    std::erase_if(replied, [](const Command& c) { return c.reply.empty(); });
    return replied;
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, CommandTableTest, ::testing::ValuesIn(Commands()), NameOf);
INSTANTIATE_TEST_SUITE_P(EveryCommand, RepliedCommandTest, ::testing::ValuesIn(RepliedCommands()),
                         NameOf);

}  // namespace
