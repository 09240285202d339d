// The in-process port over the simulated line: wire time, bounded primitive reads,
// purges, rate and parity changes, and the record of what went over the line.

#include "SimFixture.h"

namespace {

class SimPortTest : public SimTest {
protected:
    SimPortTest() { a = line.AddController('A', 0, 2); }
    CSimController* a = nullptr;
    unsigned char buffer[4000] = {};
};

TEST(WireTimeTest, ElevenBitsAByteRoundedUp) {
    EXPECT_EQ(4584u, WireTimeUs(4, 9600));  // 44 bits: 4583.3 us
    EXPECT_EQ(287u, WireTimeUs(1, 38400));
    EXPECT_EQ(116875u, WireTimeUs(102, 9600));
    EXPECT_EQ(0u, WireTimeUs(0, 9600));
}

TEST_F(SimPortTest, RequestAndReplyTakeTheirWireTime) {
    const uint32_t start = TickCount();
    Send(Request('A', 'P'));
    EXPECT_EQ(start, TickCount());  // writing does not wait for the line
    EXPECT_EQ(0, port->Read(buffer, 4, 1000));
    EXPECT_EQ(Reply('A', 'X'), Bytes(buffer, buffer + 4));
    // 4.58 ms out, 4.58 ms back: the read returns in the 10th millisecond.
    EXPECT_EQ(10u, TicksSince(start));

    ASSERT_EQ(1u, line.HostBursts().size());
    const SimBurst& sent = line.HostBursts()[0];
    EXPECT_EQ(Request('A', 'P'), sent.bytes);
    EXPECT_EQ(9600, sent.format.baud);
    EXPECT_EQ('E', sent.format.parity);
    EXPECT_EQ(1000000u, sent.startUs);
    EXPECT_EQ(1004584u, sent.endUs);
    ASSERT_EQ(1u, line.ReplyBursts().size());
    const SimBurst& reply = line.ReplyBursts()[0];
    EXPECT_EQ('A', reply.sender);
    EXPECT_EQ(sent.endUs, reply.startUs);
    EXPECT_EQ(4584u, reply.endUs - reply.startUs);
}

TEST_F(SimPortTest, ReadsWaitABoundedShortTime) {
    // Bytes already there come at once.
    Send(Request('A', 'P'));
    DelayMs(20);
    const uint32_t start = TickCount();
    EXPECT_EQ(0, port->ReadBytes(buffer, 4));
    EXPECT_EQ(start, TickCount());
    // A silent line: one primitive read waits readWaitMs, a timed read runs its limit.
    EXPECT_EQ(kTimeout, port->ReadBytes(buffer, 4));
    EXPECT_EQ(0u, port->ByteCount());
    EXPECT_EQ(10u, TicksSince(start));
    const uint32_t windowStart = TickCount();
    EXPECT_EQ(kTimeout, port->Read(buffer, 4000, 200));
    EXPECT_GE(TicksSince(windowStart), 200u);
    EXPECT_LE(TicksSince(windowStart), 210u);
    // A reply that comes within the window is gathered; the read still runs it out.
    Send(Request('A', 'P'));
    EXPECT_EQ(kTimeout, port->Read(buffer, 4000, 200));
    EXPECT_EQ(Reply('A', 'X'), Bytes(buffer, buffer + port->ByteCount()));
}

TEST_F(SimPortTest, PurgesDropWhatArrivedAndWhatIsNotYetSent) {
    Send(Request('A', 'P'));
    DelayMs(7);  // two reply bytes are in, two are still on the way
    EXPECT_EQ(0, port->DiscardInput());
    EXPECT_EQ(0, port->Read(buffer, 2, 100));
    EXPECT_EQ((Bytes{'X', 0x0A}), Bytes(buffer, buffer + 2));

    // 102 bytes take 117 ms at 9600; after 50 ms the first 44 have started.
    Bytes block(96, 0);
    block[0] = 0xFF;
    Send(Request('A', 'B', WithChecksum(block)));
    DelayMs(50);
    EXPECT_EQ(0, port->DiscardOutput());
    EXPECT_EQ(44u, line.HostBursts().back().bytes.size());
    EXPECT_EQ(line.HostBursts().back().startUs + WireTimeUs(44, 9600),
              line.HostBursts().back().endUs);
    EXPECT_TRUE(Collect(100).empty());
    EXPECT_EQ(0, a->BlankingMap().CountBlanked(0));
    EXPECT_EQ(Reply('A', 'X'), Exchange(Request('A', 'P')));
}

TEST_F(SimPortTest, BytesAtAnotherRateOrParityAreLostAndFlagged) {
    // Arrived before the rate changed: read with the old rate, kept.
    Send(Request('A', 'P'));
    DelayMs(20);
    EXPECT_EQ(0, port->Configure(19200, -1, -1, -1));
    EXPECT_EQ(19200, port->Current().baud);
    EXPECT_EQ(Reply('A', 'X'), Collect(50));
    EXPECT_EQ(0, port->FramingErrorFlag(0));
    // The rate changed while the reply was on its way: lost.
    port->Configure(9600, -1, -1, -1);
    Send(Request('A', 'P'));
    port->Configure(19200, -1, -1, -1);
    EXPECT_TRUE(Collect(50).empty());
    EXPECT_EQ(1, port->FramingErrorFlag(1));
    EXPECT_EQ(0, port->FramingErrorFlag(0));
    // Same rate, other parity.
    const uint64_t now = clock->Now() * 1000;
    line.PutNoise(now, {0x55}, {19200, 'O'});
    line.PutNoise(now + 1000, {0x66}, {19200, 'E'});
    EXPECT_EQ(Bytes{0x66}, Collect(20));
    EXPECT_EQ(1, port->ParityErrorFlag(1));
    EXPECT_EQ(kIllegalBaudRate, port->Configure(0, -1, -1, -1));
}

TEST_F(SimPortTest, ARateAbove19200OtherThan38400LeavesTheLineAtItsRate) {
    CSimController* fast = line.AddController('D', 3, 2);
    EXPECT_EQ(0, port->Configure(57600, -1, -1, -1));
    EXPECT_EQ(57600, port->Current().baud);  // the record takes it, the line does not
    EXPECT_TRUE(Exchange(Request('D', 'P')).empty());
    EXPECT_EQ(Reply('A', 'X'), Exchange(Request('A', 'P')));
    EXPECT_EQ(9600, line.HostBursts().back().format.baud);
    EXPECT_TRUE(fast->Received().empty());

    EXPECT_EQ(0, port->Configure(38400, -1, -1, -1));
    EXPECT_EQ(0, port->Configure(115200, -1, -1, -1));
    Send(Request('D', 'P'));
    EXPECT_EQ(38400, line.HostBursts().back().format.baud);
    EXPECT_EQ(0, port->Configure(4800, -1, -1, -1));
    Send(Request('A', 'P'));
    EXPECT_EQ(4800, line.HostBursts().back().format.baud);

    // Opened at such a rate, the port leaves the line at the rate of an unset device.
    CSimPort opened(line, *clock, 57600, 'E');
    EXPECT_EQ(57600, opened.Current().baud);
    EXPECT_EQ(0, opened.Write(Request('A', 'P').data(), 4, 0));
    EXPECT_EQ(9600, line.HostBursts().back().format.baud);
}

TEST_F(SimPortTest, AFrameWrittenInPiecesIsOneBurst) {
    const unsigned char body[] = {0xF8, 'A', 'P'};
    EXPECT_EQ(0, port->Write(body, 3, 0, "\r"));
    EXPECT_EQ(4u, port->ByteCount());
    EXPECT_EQ(Reply('A', 'X'), Collect(50));
    ASSERT_EQ(1u, line.HostBursts().size());
    EXPECT_EQ(Request('A', 'P'), line.HostBursts()[0].bytes);
    EXPECT_EQ(0, port->PutByte(0xF8));
    EXPECT_EQ(kTimeout, port->GetByte());
}

TEST_F(SimPortTest, AFailedPortMovesNothing) {
    port->SetStatus(kPortNotOpen);
    EXPECT_EQ(kPortNotOpen, port->Write("\xF8"
                                        "AP\r",
                                        4, 0));
    EXPECT_EQ(kPortNotOpen, port->Read(buffer, 4, 100));
    EXPECT_EQ(kPortNotOpen, port->DiscardInput());
    EXPECT_EQ(kPortNotOpen, port->DiscardOutput());
    EXPECT_TRUE(line.HostBursts().empty());
}

TEST_F(SimPortTest, EachControllerAnswersOnlyAtItsOwnRateAndParity) {
    line.AddController('C', 2, 2);
    line.AddController('D', 3, 2);  // 57600: never asked
    line.AddController('E', 1, 0);  // no parity: never heard by an even-parity port
    std::vector<std::string> hits;
    const uint32_t start = TickCount();
    for (long baud : {9600L, 19200L, 38400L}) {
        port->Configure(baud, -1, -1, -1);
        for (char id = 'A'; id <= 'O'; ++id) {
            port->DiscardInput();
            Send(Request(id, 'P'));
            port->Read(buffer, 4000, 200);
            if (Bytes(buffer, buffer + port->ByteCount()) == Reply(id, 'X')) {
                hits.push_back(std::string(1, id).append(std::to_string(baud)));
            }
        }
    }
    EXPECT_EQ((std::vector<std::string>{"A9600", "C38400"}), hits);
    // 45 windows of 200 ms, each overrun by less than one primitive read.
    EXPECT_GE(TicksSince(start), 45u * 200u);
    EXPECT_LE(TicksSince(start), 45u * 210u);
}

}  // namespace
