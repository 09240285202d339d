// How the link gets back in step with the line after a spoilt or late reply, and how the
// broadcast resume reaches every controller that the broadcast suspend reached.

#include <gtest/gtest.h>

#include <memory>

#include "SimFixture.h"
#include "protocol/ControllerLink.h"
#include "protocol/ScanReply.h"

namespace {

class LineRecoveryTest : public ::testing::Test {
protected:
    LineRecoveryTest() {
        auto owned = std::make_unique<CSimPort>(line, *clock, 9600, 'E');
        port = owned.get();
        link = std::make_unique<CControllerLink>(std::move(owned), 'B');
    }

    CScopedVirtualClock clock{1000};
    CSimLine line;
    CSimController* controller = line.AddController('B', 0);
    CSimPort* port = nullptr;
    std::unique_ptr<CControllerLink> link;
};

TEST_F(LineRecoveryTest, NoiseBeforeABeamScanDoesNotShiftTheCommandsAfterIt) {
    ASSERT_EQ(1, link->EnterAlignmentMode());
    controller->SetBlocked(5);
    SimFault noise{SimFaultKind::noise};
    noise.bytes = {0x00, 0xFF};
    controller->AddFault(noise);
    CBeamScan scan(64);
    // The reply does not start where a reply starts: the scan keeps what it had.
    EXPECT_EQ(1, link->InputScan(scan));
    EXPECT_EQ(0, scan.BlockedCount());
    // Exiting alignment mode does not discard the input as a rule; the rest of the
    // spoilt reply must not be taken for its acknowledgement.
    EXPECT_EQ(1, link->ExitAlignmentMode());
    EXPECT_FALSE(controller->InAlignmentMode());
    ASSERT_EQ(1, link->EnterAlignmentMode());
    EXPECT_EQ(1, link->InputScan(scan));
    EXPECT_EQ(1, scan.BlockedCount());
}

TEST_F(LineRecoveryTest, ALateAcknowledgementIsNotTakenForTheNextOne) {
    SimFault late{SimFaultKind::lateReply};
    late.delayMs = 1200;
    controller->AddFault(late);
    EXPECT_EQ(0, link->EnterAlignmentMode());
    clock->Advance(2000);  // the late acknowledgement has come meanwhile
    // Blanking fields are read without discarding the input first, as a rule.
    CBlankingMap map(64);
    controller->BlankingMap().SetBlanked(9, true);
    EXPECT_EQ(1, link->InputBlankingFields(map));
    EXPECT_TRUE(map.IsBlanked(9));
}

TEST_F(LineRecoveryTest, TheSearchDoesNotWaitForQuietAfterEveryUnansweredPing) {
    ControllerTable table{};
    const uint32_t start = TickCount();
    link->FindControllers(&table);
    // Each ping discards its input anyway: 45 windows of 200 ms and the requests.
    EXPECT_LT(TicksSince(start), 45u * 210u);
    EXPECT_EQ(table[2][0], kFoundMarker);
}

TEST_F(LineRecoveryTest, ResumeAllReachesEveryControllerTheBroadcastSuspendReached) {
    CSimController* mid = line.AddController('E', 1);
    CSimController* fastest = line.AddController('F', 3);
    link->SetBaudIndex(2);
    ASSERT_EQ(1, link->SuspendAll(160));
    EXPECT_EQ(1, link->ResumeAll(160));
    EXPECT_FALSE(controller->IsSuspended());
    EXPECT_FALSE(mid->IsSuspended());
    EXPECT_EQ(38400, port->Current().baud);
    // One broadcast resume at each searched rate, none at 57600.
    int resumes = 0;
    for (const SimReceivedFrame& frame : controller->Received()) {
        resumes += frame.bytes == Request('X', 'v') ? 1 : 0;
    }
    EXPECT_EQ(resumes, 1);
    EXPECT_TRUE(fastest->Received().empty());
}

}  // namespace
