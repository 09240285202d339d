// The network port and the controller link through a serial device server, in real time:
// the proxy serves the simulated controllers' pseudo-terminal on a loopback port with the
// COM port control, so every rate the link sets reaches the simulator through it.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "PtyServer.h"
#include "Ser2net.h"
#include "protocol/ControllerLink.h"
#include "protocol/ScanReply.h"
#include "records/Psf.h"
#include "serial/Clock.h"
#include "serial/NetworkPort.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

long MsSince(SteadyClock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

std::unique_ptr<CNetworkPort> OpenAt(unsigned port, long baud = 9600) {
    return std::make_unique<CNetworkPort>(
        1, CNetworkAddress{CNetworkAddress::Kind::kRfc2217, "127.0.0.1", port}, baud, 'E', 8, 1, 0,
        1, 0, 0, 0);
}

class DeviceServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CSer2net::Installed()) {
            GTEST_SKIP() << "ser2net is not installed";
        }
        a = line.AddController('A', 0);
        a->SetBoards(2, 2);
        for (int channel = 9; channel <= 11; ++channel) {
            a->SetBlocked(channel);
        }
        line.AddController('H', 1);
        line.AddController('C', 2);
        server = std::make_unique<CPtyServer>(line);
        ASSERT_EQ(0, server->Open());
        server->Start();
        proxy = std::make_unique<CSer2net>(server->DevicePath());
        ASSERT_TRUE(proxy->Start());
    }
    void TearDown() override {
        proxy.reset();
        if (server != nullptr) {
            server->Stop();
        }
    }

    std::unique_ptr<CControllerLink> Connect(long baud = 9600, char id = 'A') {
        auto port = OpenAt(proxy->Port(), baud);
        EXPECT_EQ(0, port->Status()) << port->StatusText(port->Status());
        return std::make_unique<CControllerLink>(std::move(port), id);
    }

    // Set up before the server starts; afterwards only the server's thread touches them.
    CSimLine line;
    CSimController* a = nullptr;
    std::unique_ptr<CPtyServer> server;
    std::unique_ptr<CSer2net> proxy;
};

TEST_F(DeviceServerTest, PingsAtEachRateTheServerSetsOnTheLine) {
    auto link = Connect();
    const auto start = SteadyClock::now();
    EXPECT_EQ('X', link->Ping('A'));
    EXPECT_GE(MsSince(start), 199);
    EXPECT_LE(MsSince(start), 250);  // the reply window, not more
    EXPECT_EQ(0, link->Ping('C'));
    for (const auto& [index, id] : {std::pair{1, 'H'}, std::pair{2, 'C'}, std::pair{0, 'A'}}) {
        ASSERT_EQ(1, link->SetBaudIndex(index));
        EXPECT_EQ(CControllerLink::BaudRateOf(index), link->Port().Current().baud);
        EXPECT_EQ('X', link->Ping(id)) << id;
    }
    ASSERT_EQ(1, link->SetBaudIndex(2));
    EXPECT_EQ(0, link->Ping('A'));
}

TEST_F(DeviceServerTest, APsfWhoseImageHoldsFFBytesGoesThereAndBack) {
    auto link = Connect();
    CPsf psf;
    ASSERT_EQ(1, link->InputPsf(psf));
    psf.SetReserved(0xFFFF);
    psf.SetAnalogNull(2, 0x0FFF);
    psf.SetDiscreteHysteresisHigh(1, 0x00FF);
    psf.Pack();
    ASSERT_EQ(0xFF, psf.Image()[8]);
    ASSERT_EQ(1, link->OutputPsf(psf));
    CPsf back;
    ASSERT_EQ(1, link->InputPsf(back));
    EXPECT_EQ(std::vector<unsigned char>(psf.Image(), psf.Image() + kPsfImageSize),
              std::vector<unsigned char>(back.Image(), back.Image() + kPsfImageSize));
    link.reset();
    server->Stop();
    EXPECT_EQ(0xFFFF, a->Psf().GetReserved());
}

TEST_F(DeviceServerTest, TheSearchFindsEveryControllerAndBeamScansFollow) {
    auto link = Connect();
    ASSERT_EQ(1, link->SuspendAll(160));
    DelayMs(250);
    ControllerTable table{};
    link->FindControllers(&table);
    for (char id = kFirstId; id <= kLastId; ++id) {
        const auto& row = table[static_cast<size_t>(id - 0x40)];
        EXPECT_EQ(id == 'A' ? kFoundMarker : 0, row[0]) << id;
        EXPECT_EQ(id == 'H' ? kFoundMarker : 0, row[1]) << id;
        EXPECT_EQ(id == 'C' ? kFoundMarker : 0, row[2]) << id;
    }
    EXPECT_EQ(0, link->GetBaudIndex());

    ASSERT_EQ(1, link->EnterAlignmentMode());
    for (int i = 0; i < 10; ++i) {
        CBeamScan scan(128);
        ASSERT_EQ(1, link->InputScan(scan));
        EXPECT_EQ(3, scan.BlockedCount());
        EXPECT_EQ(9, scan.FirstBlocked());
    }
    EXPECT_EQ(1, link->ExitAlignmentMode());
}

TEST_F(DeviceServerTest, AServerStoppedDuringAScanLoopIsReportedAndBackAfterARestart) {
    auto link = Connect();
    ASSERT_EQ(1, link->EnterAlignmentMode());
    for (int i = 0; i < 3; ++i) {
        CBeamScan scan(128);
        ASSERT_EQ(1, link->InputScan(scan));
    }
    proxy->Stop();
    const auto stopped = SteadyClock::now();
    CBeamScan scan(128);
    EXPECT_EQ(0, link->InputScan(scan));
    EXPECT_LT(MsSince(stopped), 1000);
    EXPECT_EQ(kDeviceGone, link->Port().Status());
    const std::string lost = "Connection to 127.0.0.1:" + std::to_string(proxy->Port()) + " lost";
    EXPECT_EQ(lost, link->Port().StatusText(kDeviceGone));

    // While it is away a new connection is refused; once it is back the line works.
    auto refused = OpenAt(proxy->Port());
    EXPECT_EQ(kPortNotFound, refused->Status());
    EXPECT_EQ("Connection refused by 127.0.0.1:" + std::to_string(proxy->Port()),
              std::string(refused->StatusText(refused->Status())));
    ASSERT_TRUE(proxy->Start());
    link = Connect();
    EXPECT_EQ(1, link->ExitAlignmentMode());
    EXPECT_EQ('X', link->Ping('A'));
}

TEST(DeviceServerAddressTest, AHostThatAcceptsButNeverAnswersIsNoAnswer) {
    const CIdleListener silent;
    const auto start = SteadyClock::now();
    auto port = OpenAt(silent.Port());
    EXPECT_LT(MsSince(start), CNetworkPort::kAnswerWaitMs + 500);
    EXPECT_EQ("No answer from 127.0.0.1:" + std::to_string(silent.Port()),
              std::string(port->StatusText(port->Status())));
}

}  // namespace
