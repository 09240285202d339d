// Every controller command of the link against the simulated controllers: the frame
// that reached the controller byte for byte, the reply taken in, and each way a reply
// can fail.

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "SimLine.h"
#include "SimPort.h"
#include "protocol/Checksum16.h"
#include "protocol/ControllerLink.h"
#include "protocol/Diagnostics.h"
#include "protocol/ScanReply.h"
#include "protocol/SearchProgress.h"
#include "records/BlankingMap.h"
#include "records/Psf.h"
#include "serial/Clock.h"

namespace {

using Bytes = std::vector<unsigned char>;

class LinkCommandsTest : public ::testing::Test {
protected:
    LinkCommandsTest() {
        controller = line.AddController('B', 0);
        auto owned = std::make_unique<CSimPort>(line, *clock, 9600, 'E');
        port = owned.get();
        link = std::make_unique<CControllerLink>(std::move(owned), 'B');
    }
    // Every request ends where the controller's receiver expects it to: a byte too many
    // would start a frame that never comes.
    void TearDown() override { EXPECT_EQ(0u, controller->StrayBytes()); }
    Bytes LastFrame() const {
        return controller->Received().empty() ? Bytes{} : controller->Received().back().bytes;
    }
    void Fault(SimFaultKind kind, int frames = 1) {
        SimFault fault;
        fault.kind = kind;
        fault.frames = frames;
        controller->AddFault(fault);
    }

    CScopedVirtualClock clock{0};
    CSimLine line;
    CSimController* controller = nullptr;
    CSimPort* port = nullptr;
    std::unique_ptr<CControllerLink> link;
};

TEST_F(LinkCommandsTest, PsfTravelsBothWaysInItsOwnFrames) {
    controller->Psf().SetScanNumber(7);
    controller->Psf().SetReserved(0xBEEF);
    CPsf psf;
    ASSERT_EQ(1, link->InputPsf(psf));
    EXPECT_EQ(7, psf.GetScanNumber());
    EXPECT_EQ(0xBEEF, psf.GetReserved());
    EXPECT_EQ((Bytes{0xF8, 'B', 'G', 0x0D}), LastFrame());

    psf.SetMeasMode(1, 'C');
    ASSERT_EQ(1, link->OutputPsf(psf));
    const Bytes frame = LastFrame();
    ASSERT_EQ(46u, frame.size());
    EXPECT_EQ((Bytes{0xF8, 'B', 'C'}), Bytes(frame.begin(), frame.begin() + 3));
    EXPECT_EQ(Bytes(psf.Image(), psf.Image() + 42), Bytes(frame.begin() + 3, frame.end() - 1));
    EXPECT_EQ(0x0E, frame.back());
    EXPECT_EQ('C', controller->Psf().GetMeasMode(1));
    EXPECT_EQ(0xBEEF, controller->Psf().GetReserved());
}

TEST_F(LinkCommandsTest, APsfWithABadChecksumLeavesTheRecordAlone) {
    CPsf psf;
    psf.SetScanNumber(3);
    SimFault fault;
    fault.kind = SimFaultKind::corruptByte;
    fault.offset = 10;
    controller->AddFault(fault);
    EXPECT_EQ(0, link->InputPsf(psf));
    EXPECT_EQ(3, psf.GetScanNumber());
}

TEST_F(LinkCommandsTest, NullSpanAdjustmentFramesAndValues) {
    controller->Psf().SetAnalogNull(1, 100);
    controller->Psf().SetAnalogSpan(1, 4000);
    controller->Psf().SetAnalogNull(2, 200);
    controller->Psf().SetAnalogSpan(2, 3000);
    int values[4] = {};
    ASSERT_EQ(1, link->InputNullSpan(values));
    EXPECT_EQ(100, values[0]);
    EXPECT_EQ(4000, values[1]);
    EXPECT_EQ(200, values[2]);
    EXPECT_EQ(3000, values[3]);
    EXPECT_TRUE(controller->InNullSpanAdjustment());

    const int changed[4] = {0x0102, 0x0F00, 0x0304, 0x0E00};
    ASSERT_EQ(1, link->OutputNullSpan('n', changed));
    EXPECT_EQ((Bytes{0xF8, 'B', 'n', 0x01, 0x02, 0x03, 0x04, 0x0D}), LastFrame());
    ASSERT_EQ(1, link->OutputNullSpan('s', changed));
    EXPECT_EQ((Bytes{0xF8, 'B', 's', 0x0F, 0x00, 0x0E, 0x00, 0x0D}), LastFrame());

    ASSERT_EQ(1, link->EndNullSpan('E'));
    EXPECT_EQ((Bytes{0xF8, 'B', 'E', 0x0D}), LastFrame());
    EXPECT_FALSE(controller->InNullSpanAdjustment());
    EXPECT_EQ(0x0102, controller->Psf().GetAnalogNull(1));
    EXPECT_EQ(0x0E00, controller->Psf().GetAnalogSpan(2));
}

TEST_F(LinkCommandsTest, DiagnosticsOfEmitterAndReceiver) {
    controller->SetBoards(2, 2);
    controller->SetChannelError(kReceiver, 2, 10);
    CDiagnostics emitter;
    CDiagnostics receiver;
    ASSERT_EQ(1, link->InputDiagnostics(emitter, 0));
    EXPECT_EQ((Bytes{0xF8, 'B', 'I', 0x0D}), LastFrame());
    ASSERT_EQ(1, link->InputDiagnostics(receiver, 1));
    EXPECT_EQ((Bytes{0xF8, 'B', 'J', 0x0D}), LastFrame());
    EXPECT_EQ(2, emitter.BoardCount());
    EXPECT_EQ(10, receiver.BoardError(2));
    EXPECT_EQ("Receiver Error(s)", emitter.StateText(receiver));
}

TEST_F(LinkCommandsTest, DiagnosticsReplyLengthsAtTheLimits) {
    // Twelve boards fill the 108-byte reply: the read ends when its last byte is in.
    controller->SetBoards(12, 12);
    CDiagnostics full;
    uint32_t start = TickCount();
    ASSERT_EQ(1, link->InputDiagnostics(full, 0));
    EXPECT_EQ(12, full.BoardCount());
    EXPECT_LT(TicksSince(start), 200u);

    // No boards: 12 bytes, taken after the read's time limit ran out.
    controller->SetBoards(0, 0);
    CDiagnostics empty;
    start = TickCount();
    ASSERT_EQ(1, link->InputDiagnostics(empty, 0));
    EXPECT_GE(TicksSince(start), 1000u);
    EXPECT_EQ(1, empty.State());

    // One byte short of the smallest reply is no reply.
    SimFault shortReply;
    shortReply.kind = SimFaultKind::shortReply;
    controller->AddFault(shortReply);
    EXPECT_EQ(0, link->InputDiagnostics(empty, 0));
}

TEST_F(LinkCommandsTest, AlignmentModeAndBeamScan) {
    controller->SetBoards(1, 1);
    controller->SetBlocked(0);
    controller->SetBlocked(63);
    ASSERT_EQ(1, link->EnterAlignmentMode());
    EXPECT_EQ((Bytes{0xF8, 'B', 'a', 0x0D}), LastFrame());
    EXPECT_TRUE(controller->InAlignmentMode());

    CBeamScan scan(64);
    ASSERT_EQ(1, link->InputScan(scan));
    EXPECT_EQ((Bytes{0xF8, 'B', 'S'}), LastFrame());
    EXPECT_EQ(2, scan.BlockedCount());
    EXPECT_EQ(0, scan.FirstBlocked());
    EXPECT_EQ(63, scan.LastBlocked());

    ASSERT_EQ(1, link->ExitAlignmentMode());
    EXPECT_FALSE(controller->InAlignmentMode());
}

TEST_F(LinkCommandsTest, ScanPausesFirstAndRetriesUpToThreeTimes) {
    controller->SetBoards(1, 1);
    link->EnterAlignmentMode();
    CBeamScan scan(64);

    Fault(SimFaultKind::silence, 2);
    const size_t before = controller->Received().size();
    ASSERT_EQ(1, link->InputScan(scan));
    // Two unanswered requests, then the answered one: each exactly 3 bytes.
    ASSERT_EQ(before + 3, controller->Received().size());
    for (size_t i = before; i < controller->Received().size(); ++i) {
        EXPECT_EQ((Bytes{0xF8, 'B', 'S'}), controller->Received()[i].bytes);
    }

    Fault(SimFaultKind::silence, 3);
    EXPECT_EQ(0, link->InputScan(scan));
    EXPECT_EQ(0, line.HostBursts().empty());

    // A measurement scan outside alignment mode.
    link->ExitAlignmentMode();
    controller->Psf().SetMeasMode(1, 'E');  // total beams blocked
    controller->SetBlocked(5);
    controller->SetBlocked(6);
    CMeasurementScan measurement(1);
    ASSERT_EQ(1, link->InputScan(measurement));
    EXPECT_EQ(2u, measurement.Value1());
}

TEST_F(LinkCommandsTest, BlankingFieldsCarryTheMapZeroPaddedWithTheirChecksum) {
    controller->SetBoards(1, 1);
    CBlankingMap map(64);
    map.SetBlanked(0, true);
    map.SetBlanked(15, true);
    ASSERT_EQ(1, link->OutputBlankingFields(map));
    const Bytes frame = LastFrame();
    ASSERT_EQ(102u, frame.size());
    EXPECT_EQ((Bytes{0xF8, 'B', 'B', 0x80, 0x01}), Bytes(frame.begin(), frame.begin() + 5));
    EXPECT_EQ(Bytes(88, 0), Bytes(frame.begin() + 11, frame.begin() + 99));
    EXPECT_EQ(Checksum16(&frame[3], 96), GetBigEndian16(&frame[99]));
    EXPECT_EQ(0x0D, frame[101]);
    EXPECT_TRUE(controller->BlankingMap().IsBlanked(15));

    CBlankingMap back(64);
    ASSERT_EQ(1, link->InputBlankingFields(back));
    EXPECT_EQ((Bytes{0xF8, 'B', 'b', 0x0D}), LastFrame());
    EXPECT_TRUE(back.IsEqual(map));
}

TEST_F(LinkCommandsTest, ABlankingReplyWithABadChecksumDoesNotTouchTheMap) {
    controller->SetBoards(1, 1);
    controller->BlankingMap().SetBlanked(3, true);
    CBlankingMap map(64);
    map.SetBlanked(40, true);
    Fault(SimFaultKind::corruptChecksum);
    EXPECT_EQ(0, link->InputBlankingFields(map));
    EXPECT_TRUE(map.IsBlanked(40));
    EXPECT_FALSE(map.IsBlanked(3));
}

TEST_F(LinkCommandsTest, PartNumberFrameCarriesItsChecksumAndIsReportedBack) {
    ASSERT_EQ(1, link->OutputPartNumber(123, 2650));
    const Bytes expected{0xF8, 'B', 'W', 0x00, 0x00, 0x00, 0x7B, 0x0A, 0x5A};
    Bytes frame = LastFrame();
    ASSERT_EQ(12u, frame.size());
    EXPECT_EQ(expected, Bytes(frame.begin(), frame.begin() + 9));
    EXPECT_EQ(Checksum16(&frame[3], 6), GetBigEndian16(&frame[9]));
    EXPECT_EQ(0x0D, frame[11]);
    CDiagnostics emitter;
    ASSERT_EQ(1, link->InputDiagnostics(emitter, 0));
    EXPECT_EQ(123u, emitter.PartNumber());
    EXPECT_EQ(2650, emitter.DateCode());
}

TEST_F(LinkCommandsTest, EveryKindOfBadAcknowledgementFails) {
    const SimFaultKind faults[] = {SimFaultKind::silence,     SimFaultKind::wrongId,
                                   SimFaultKind::wrongLetter, SimFaultKind::wrongEnd,
                                   SimFaultKind::shortReply,  SimFaultKind::lateReply};
    for (SimFaultKind kind : faults) {
        SimFault fault;
        fault.kind = kind;
        fault.delayMs = 300;  // past the 250 ms limit of the alignment command
        controller->AddFault(fault);
        EXPECT_EQ(0, link->EnterAlignmentMode()) << static_cast<int>(kind);
        controller->ClearFaults();
        DelayMs(500);  // let anything late arrive, then drop it: this command does not flush
        link->FlushInput();
    }
    SimFault wrongStart;
    wrongStart.kind = SimFaultKind::corruptByte;
    wrongStart.offset = 0;
    controller->AddFault(wrongStart);
    EXPECT_EQ(0, link->EnterAlignmentMode());
    EXPECT_EQ(1, link->EnterAlignmentMode());
}

TEST_F(LinkCommandsTest, AFailedPortFailsEveryCommandWithoutSendingAByte) {
    port->SetStatus(kGeneralError);
    CPsf psf;
    const size_t sent = line.HostBursts().size();
    EXPECT_EQ(0, link->InputPsf(psf));
    EXPECT_EQ(0, link->OutputPsf(psf));
    EXPECT_EQ(0, link->Suspend('B', 160));
    EXPECT_EQ(0, link->Ping('B'));
    EXPECT_EQ(sent, line.HostBursts().size());
}

TEST_F(LinkCommandsTest, SuspendAndResumeReachKnownControllersAtTheirOwnRates) {
    ControllerTable table{};
    const size_t sent = line.HostBursts().size();
    EXPECT_EQ(1, link->SuspendKnown(&table));
    EXPECT_EQ(sent, line.HostBursts().size());

    CSimController* fast = line.AddController('D', 2);
    StoreControllerEntry(table, 'B', 0, 'X');
    StoreControllerEntry(table, 'D', 2, 'X');
    const uint32_t start = TickCount();
    EXPECT_EQ(1, link->SuspendKnown(&table));
    EXPECT_GE(TicksSince(start), 320u);
    EXPECT_TRUE(controller->IsSuspended());
    EXPECT_TRUE(fast->IsSuspended());
    EXPECT_EQ(9600, port->Current().baud);
    EXPECT_EQ((Bytes{0xF8, 'D', 'V', 0x0D}), fast->Received().back().bytes);

    EXPECT_EQ(1, link->ResumeKnown(&table));
    EXPECT_FALSE(controller->IsSuspended());
    EXPECT_FALSE(fast->IsSuspended());
}

TEST_F(LinkCommandsTest, SuspendAllBroadcastsAtEverySearchedRate) {
    CSimController* mid = line.AddController('E', 1);
    CSimController* fastest = line.AddController('F', 3);
    link->SetBaudIndex(2);
    EXPECT_EQ(1, link->SuspendAll(160));
    EXPECT_TRUE(controller->IsSuspended());
    EXPECT_TRUE(mid->IsSuspended());
    EXPECT_FALSE(fastest->IsSuspended());  // 57600 is never used for the broadcast
    EXPECT_EQ(38400, port->Current().baud);
}

TEST_F(LinkCommandsTest, SearchFindsControllersAtEachRateAndRestoresTheRate) {
    line.AddController('C', 2);
    line.AddController('O', 2);
    line.AddController('D', 3);  // 57600: never searched
    ControllerTable table{};
    link->SetBaudIndex(1);
    const uint32_t start = TickCount();
    link->FindControllers(&table);
    const uint32_t took = TicksSince(start);
    EXPECT_EQ(19200, port->Current().baud);

    ControllerTable expected{};
    expected[2][0] = 'X';   // B at 9600
    expected[3][2] = 'X';   // C at 38400
    expected[15][2] = 'X';  // O at 38400
    EXPECT_EQ(expected, table);
    // 45 pings, each listening its full 200 ms window.
    EXPECT_GE(took, 45u * 200u);
    EXPECT_LE(took, 45u * 230u);
}

// A search told once to stop before a ping at one rate sends nothing more, at that rate
// or any later one, and puts the port back at its rate.
TEST_F(LinkCommandsTest, ASearchStoppedAtOneRatePingsAtNoLaterRate) {
    CSimController* later = line.AddController('C', 2);
    struct StopOnce : CSearchProgress {
        bool BeforePing(char id, int baudIndex) override {
            asked.emplace_back(id, baudIndex);
            return !(id == 'E' && baudIndex == 1);
        }
        std::vector<std::pair<char, int>> asked;
    } progress;
    ControllerTable table{};
    link->SetBaudIndex(1);
    link->FindControllers(&table, &progress);
    ASSERT_FALSE(progress.asked.empty());
    EXPECT_EQ(std::make_pair('E', 1), progress.asked.back());
    EXPECT_TRUE(later->Received().empty());
    EXPECT_EQ(19200, port->Current().baud);
    EXPECT_EQ('X', table[2][0]);  // B, found at the first rate before the stop
}

}  // namespace
