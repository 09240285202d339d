// Faults injected into a simulated controller: each kind spoils the reply as it says,
// for as many frames as it is told, and then the controller answers normally again.

#include "SimFixture.h"

namespace {

class SimFaultTest : public SimTest {
protected:
    SimFaultTest() { a = line.AddController('A', 0, 2); }
    Bytes Ping() { return Exchange(Request('A', 'P')); }
    CSimController* a = nullptr;
};

TEST_F(SimFaultTest, SilenceSwallowsFramesWithoutEffect) {
    a->AddFault({.kind = SimFaultKind::silence, .frames = 2});
    EXPECT_TRUE(Exchange(Request('A', 'a')).empty());
    EXPECT_FALSE(a->InAlignmentMode());
    // Frames for other controllers do not use it up.
    EXPECT_TRUE(Exchange(Request('B', 'P')).empty());
    EXPECT_TRUE(Exchange(Request('A', 'V')).empty());
    EXPECT_FALSE(a->IsSuspended());
    EXPECT_EQ(Reply('A', 'X'), Ping());
    EXPECT_TRUE(a->Faults().Active().empty());
}

TEST_F(SimFaultTest, LateReplyStartsAfterTheDelay) {
    a->AddFault({.kind = SimFaultKind::lateReply, .delayMs = 300});
    EXPECT_TRUE(Exchange(Request('A', 'P'), 250).empty());
    EXPECT_EQ(Reply('A', 'X'), Collect(100));
    const SimBurst& late = line.ReplyBursts().back();
    EXPECT_EQ(line.HostBursts().back().endUs + 300000u, late.startUs);
    EXPECT_EQ(Reply('A', 'X'), Ping());
    EXPECT_EQ(line.HostBursts().back().endUs, line.ReplyBursts().back().startUs);
}

TEST_F(SimFaultTest, ContentFaults) {
    Bytes expected = Reply('A', 'H', Bytes(42, 0));
    const Bytes psf = Exchange(Request('A', 'G'));
    ASSERT_EQ(46u, psf.size());

    a->AddFault({.kind = SimFaultKind::corruptChecksum});
    Bytes spoiled = psf;
    spoiled[44] ^= 0xFF;
    EXPECT_EQ(spoiled, Exchange(Request('A', 'G')));
    a->AddFault({.kind = SimFaultKind::corruptChecksum});
    Bytes block = Exchange(Request('A', 'b'));
    ASSERT_EQ(102u, block.size());
    EXPECT_EQ(0xFF ^ 0xFF, block[100]);  // 96 zero bytes: checksum 0xFFFF, low byte inverted
    // A reply without a checksum goes out as it is.
    a->AddFault({.kind = SimFaultKind::corruptChecksum});
    EXPECT_EQ(Reply('A', 'X'), Ping());

    a->AddFault({.kind = SimFaultKind::corruptByte, .offset = 5});
    spoiled = psf;
    spoiled[5] ^= 0xFF;
    EXPECT_EQ(spoiled, Exchange(Request('A', 'G')));
    a->AddFault({.kind = SimFaultKind::wrongId});
    EXPECT_EQ(Reply('B', 'X'), Ping());
    a->AddFault({.kind = SimFaultKind::wrongLetter});
    EXPECT_EQ(Reply('A', 'x'), Ping());
    a->AddFault({.kind = SimFaultKind::wrongEnd});
    EXPECT_EQ((Bytes{0x1C, 'A', 'X', 0x0D}), Ping());
    EXPECT_EQ(Reply('A', 'X'), Ping());
}

TEST_F(SimFaultTest, LengthFaultsAndNoise) {
    a->AddFault({.kind = SimFaultKind::shortReply, .count = 2});
    EXPECT_EQ((Bytes{0x1C, 'A'}), Ping());
    a->AddFault({.kind = SimFaultKind::extraBytes, .bytes = {0x1C, 0x00}});
    EXPECT_EQ((Bytes{0x1C, 'A', 'X', 0x0A, 0x1C, 0x00}), Ping());
    a->AddFault({.kind = SimFaultKind::noise, .bytes = {0xFF, 0x00, 0x55}});
    EXPECT_EQ((Bytes{0xFF, 0x00, 0x55, 0x1C, 'A', 'X', 0x0A}), Ping());
    // Faults together: the content is spoiled first, then the length, then the noise.
    a->AddFault({.kind = SimFaultKind::noise, .bytes = {0x00}});
    a->AddFault({.kind = SimFaultKind::shortReply});
    a->AddFault({.kind = SimFaultKind::wrongId});
    EXPECT_EQ((Bytes{0x00, 0x1C, 'B', 'X'}), Ping());
}

TEST_F(SimFaultTest, FaultsLastTheirFramesOrUntilCleared) {
    a->AddFault({.kind = SimFaultKind::wrongEnd, .frames = 2});
    a->AddFault({.kind = SimFaultKind::wrongId, .frames = kUntilCleared});
    // Suspend has no reply, so it uses up nothing.
    Exchange(Request('A', 'V'));
    EXPECT_EQ((Bytes{0x1C, 'B', 'X', 0x0D}), Ping());
    EXPECT_EQ((Bytes{0x1C, 'B', 'X', 0x0D}), Ping());
    EXPECT_EQ(Reply('B', 'X'), Ping());
    EXPECT_EQ(Reply('B', 'X'), Ping());
    a->ClearFaults();
    EXPECT_EQ(Reply('A', 'X'), Ping());
    a->AddFault({.kind = SimFaultKind::silence, .frames = 0});  // affects nothing
    EXPECT_TRUE(a->Faults().Active().empty());
}

TEST_F(SimFaultTest, ASpoiledReplyStillActs) {
    a->AddFault({.kind = SimFaultKind::wrongLetter});
    EXPECT_EQ(Reply('A', 'k'), Exchange(Request('A', 'a')));
    EXPECT_TRUE(a->InAlignmentMode());
}

}  // namespace
