// How the link gets back in step with the line after a spoilt or late reply, how the
// broadcast resume reaches every controller that the broadcast suspend reached, and how a
// closing step reaches its controller after a device server's connection was lost.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DeviceServerFaults.h"
#include "SimFixture.h"
#include "protocol/ControllerLink.h"
#include "protocol/ScanReply.h"
#include "sequences/LostConnection.h"

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

// A controller in alignment mode at 38400 baud, reached through a device server whose first
// connection is lost at a given write. The closing step (leaving alignment mode) goes over
// a new connection at the rate the link was at, whether the loss came before the step or
// shows only in it; without a new connection it fails without hanging and the loss stays
// the port's own.
TEST(ClosingStepTest, GoesOverANewConnectionAtTheLinksRate) {
    struct Case {
        const char* name;
        bool lostBefore;  // an exchange before the step finds the connection lost
        bool lostInStep;  // the step's own first write is lost
        bool reopens;     // a new connection opens
        int expected;
    };
    const Case cases[] = {
        {"healthy", false, false, true, 1},
        {"lost before the step", true, false, true, 1},
        {"lost in the step", false, true, true, 1},
        {"lost, no new connection", true, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScopedVirtualClock clock{1000};
        CSimLine line;
        CSimController* controller = line.AddController('B', 2);
        DeviceServerFaults faults;
        faults.writesBeforeLoss = c.lostBefore || c.lostInStep ? 1 : -1;
        CControllerLink link(std::make_unique<CDeviceServerFaultPort>(
                                 std::make_unique<CSimPort>(line, *clock, 9600, 'E'), faults),
                             'B');
        std::vector<long> asked;
        link.SetPortReopener([&](long baud) {
            asked.push_back(baud);
            auto port = std::make_unique<CSimPort>(line, *clock, baud, 'E');
            port->SetStatus(c.reopens ? kSuccess : kPortNotFound);
            return port;
        });
        ASSERT_EQ(1, link.SetBaudIndex(2));
        ASSERT_EQ(1, link.EnterAlignmentMode());
        if (c.lostBefore) {
            CBeamScan scan(64);
            EXPECT_EQ(0, link.InputScan(scan));
        }

        EXPECT_EQ(c.expected, RunClosingStep(link, [&] { return link.ExitAlignmentMode(); }));
        EXPECT_EQ(controller->InAlignmentMode(), c.expected == 0);
        const bool lost = c.lostBefore || c.lostInStep;
        EXPECT_EQ(!asked.empty(), lost);
        // A server that cannot be reached is tried once, not again for the retry.
        EXPECT_LE(asked.size(), c.reopens ? 2u : 1u);
        for (long baud : asked) {
            EXPECT_EQ(baud, 38400);
        }
        EXPECT_EQ(link.MendedLossText(),
                  std::string(lost && c.reopens ? CDeviceServerFaultPort::kLostText : ""));
    }
}

}  // namespace
