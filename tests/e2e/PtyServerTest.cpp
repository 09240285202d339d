// The operating system's serial port and the controller link against the simulated
// controllers served on a pseudo-terminal, in real time: the server runs on a thread of
// its own and owns the line; the tests reach it only through the terminal.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "MovingObject.h"
#include "PtyServer.h"
#include "protocol/ControllerLink.h"
#include "protocol/ScanReply.h"
#include "records/Psf.h"
#include "serial/Clock.h"
#include "serial/ComPort.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

long MsSince(SteadyClock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

class PtyServerTest : public ::testing::Test {
protected:
    PtyServerTest() {
        a = line.AddController('A', 0);
        a->SetBoards(2, 2);
        for (int channel = 9; channel <= 11; ++channel) {
            a->SetBlocked(channel);
        }
        line.AddController('C', 2);
    }

    // Serves the line, with object moving through the beams when given.
    void Serve(int objectWidth = 0, uint32_t periodMs = 0) {
        if (objectWidth > 0) {
            object = std::make_unique<CMovingObject>(line, objectWidth, periodMs);
        }
        server = std::make_unique<CPtyServer>(line, object.get());
        ASSERT_EQ(0, server->Open());
        server->Start();
    }

    // A link over the port as every command opens it: 8 data bits, stop-bit code 1,
    // DTR off, RTS on (which a pseudo-terminal refuses, and that is no error).
    std::unique_ptr<CControllerLink> Connect(long baud = 9600, char id = 'A') {
        auto port =
            std::make_unique<CComPort>(0, baud, 'E', 8, 1, 0, 1, 0, 0, 0, server->DevicePath());
        EXPECT_EQ(0, port->Status()) << port->StatusText(port->Status());
        return std::make_unique<CControllerLink>(std::move(port), id);
    }

    // Set up before the server starts; afterwards only the server's thread touches them.
    CSimLine line;
    CSimController* a = nullptr;
    std::unique_ptr<CMovingObject> object;
    std::unique_ptr<CPtyServer> server;
};

TEST_F(PtyServerTest, PingAnswersOnlyAtTheControllersRateWithinTheWindow) {
    Serve();
    auto link = Connect();
    auto start = SteadyClock::now();
    EXPECT_EQ('X', link->Ping('A'));
    // The read gathers for its whole window (200 ticks of a millisecond clock, so at least
    // 199 ms); a port whose waits are short costs barely more than the window.
    EXPECT_GE(MsSince(start), 199);
    EXPECT_LE(MsSince(start), 250);
    EXPECT_EQ(0, link->Ping('B'));
    EXPECT_EQ(0, link->Ping('C'));  // C runs at 38400

    ASSERT_EQ(1, link->SetBaudIndex(2));
    EXPECT_EQ('X', link->Ping('C'));
    EXPECT_EQ(0, link->Ping('A'));

    // Closing and reopening the port between commands leaves the server serving.
    link.reset();
    link = Connect(38400, 'C');
    EXPECT_EQ('X', link->Ping('C'));
}

TEST_F(PtyServerTest, PsfRoundTripAndAControllerMovedToAnotherRate) {
    Serve();
    auto link = Connect();
    CPsf psf;
    ASSERT_EQ(1, link->InputPsf(psf));
    EXPECT_EQ('A', psf.GetControllerId());
    EXPECT_EQ(0, psf.GetBaudIndex());

    psf.SetScanNumber(7);
    psf.SetMeasMode(1, 'C');
    ASSERT_EQ(1, link->OutputPsf(psf));
    CPsf back;
    ASSERT_EQ(1, link->InputPsf(back));
    EXPECT_EQ(7, back.GetScanNumber());
    EXPECT_EQ('C', back.GetMeasMode(1));

    // The acknowledgement comes at the old rate; the controller then answers at its new one.
    psf.SetBaudIndex(1);
    ASSERT_EQ(1, link->OutputPsf(psf));
    EXPECT_EQ(0, link->Ping('A'));
    ASSERT_EQ(1, link->SetBaudIndex(1));
    EXPECT_EQ('X', link->Ping('A'));
}

TEST_F(PtyServerTest, BeamScansShowTheBlockedBeamsAndTheMovingObject) {
    Serve(8, 400);
    auto link = Connect();
    ASSERT_EQ(1, link->EnterAlignmentMode());
    std::set<int> firstsOutsideFixed;
    const auto start = SteadyClock::now();
    while (MsSince(start) < 700) {
        CBeamScan scan(128);
        ASSERT_EQ(1, link->InputScan(scan));
        // The fixed beams 10 to 12 stay blocked; the object adds one run of at most 8.
        std::vector<int> moving;
        for (int channel = 0; channel < 128; ++channel) {
            const bool fixed = channel >= 9 && channel <= 11;
            EXPECT_TRUE(!fixed || scan.Blocked(channel)) << channel;
            if (!fixed && scan.Blocked(channel)) {
                moving.push_back(channel);
            }
        }
        ASSERT_LE(moving.size(), 8u);
        if (!moving.empty()) {
            firstsOutsideFixed.insert(moving.front());
        }
    }
    // At about one scan in 70 ms the object is seen at several places.
    EXPECT_GE(firstsOutsideFixed.size(), 3u);
    EXPECT_EQ(1, link->ExitAlignmentMode());
}

TEST_F(PtyServerTest, ControllerSearchFindsControllersAtTwoRates) {
    Serve();
    auto link = Connect();
    ASSERT_EQ(1, link->SuspendAll(160));
    DelayMs(250);
    ControllerTable table{};
    link->FindControllers(&table);

    for (char id = kFirstId; id <= kLastId; ++id) {
        const auto& row = table[static_cast<size_t>(id - 0x40)];
        EXPECT_EQ(id == 'A' ? kFoundMarker : 0, row[0]) << id;
        EXPECT_EQ(0, row[1]) << id;
        EXPECT_EQ(id == 'C' ? kFoundMarker : 0, row[2]) << id;
    }
    EXPECT_EQ(0, link->GetBaudIndex());
}

TEST_F(PtyServerTest, ADeviceVanishingDuringAReadFailsItAtOnce) {
    Serve();
    auto link = Connect();
    ASSERT_EQ('X', link->Ping('A'));
    unsigned char buffer[16];
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        server->Stop();
    });
    const auto start = SteadyClock::now();
    EXPECT_EQ(kDeviceGone, link->Port().Read(buffer, sizeof buffer, 5000));
    EXPECT_LT(MsSince(start), 400);
    stopper.join();
    // Every later transaction fails at once.
    const auto again = SteadyClock::now();
    EXPECT_EQ(0, link->Ping('A'));
    EXPECT_LT(MsSince(again), 50);
    EXPECT_EQ(kDeviceGone, link->Port().Status());
}

}  // namespace
