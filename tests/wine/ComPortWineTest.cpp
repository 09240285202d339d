// The Windows serial port and the controller link against tarnsim in real time, under
// wine: wine maps the COM port to tarnsim's pseudo-terminal. Opening and its errors, a
// ping at each rate within its window, a PSF round trip, beam scans, the controller search,
// the simulator ending during a read, and the list of the ports present.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "UnixTarnsim.h"
#include "protocol/ControllerLink.h"
#include "protocol/ScanReply.h"
#include "records/Psf.h"
#include "serial/Clock.h"
#include "serial/ComPort.h"
#include "settings/SerialDevices.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

long MsSince(SteadyClock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

// scripts/wine-run.sh links COM7 to where tarnsim serves it.
constexpr int kCom = 7;
constexpr char kLine[] =
    "--object none --controller A,9600,emitters=2,receivers=2,blocked=10-12 "
    "--controller C,38400 --controller H,19200";

class ComPortWineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tarnsim.Serving()); }

    // A link over the port as every command opens it: 8 data bits, stop-bit code 1,
    // DTR off, RTS on.
    std::unique_ptr<CControllerLink> Connect(long baud = 9600, char id = 'A') {
        auto port = std::make_unique<CComPort>(kCom - 1, baud, 'E', 8, 1, 0, 1, 0, 0, 0);
        EXPECT_EQ(0, port->Status()) << port->StatusText(port->Status());
        return std::make_unique<CControllerLink>(std::move(port), id);
    }

    CUnixTarnsim tarnsim{kLine, kCom};
};

TEST_F(ComPortWineTest, PingAnswersAtEachRateWithinItsWindow) {
    auto link = Connect();
    const auto start = SteadyClock::now();
    EXPECT_EQ('X', link->Ping('A'));
    // A read waits only a few milliseconds, so the 200 ms window is not stretched.
    EXPECT_GE(MsSince(start), 199);
    EXPECT_LE(MsSince(start), 230);
    EXPECT_EQ(0, link->Ping('C'));  // C runs at 38400
    ASSERT_EQ(1, link->SetBaudIndex(2));
    EXPECT_EQ('X', link->Ping('C'));
    ASSERT_EQ(1, link->SetBaudIndex(1));
    EXPECT_EQ('X', link->Ping('H'));
    EXPECT_EQ(0, link->Ping('A'));

    // Closed and opened again between commands, the port serves on.
    link.reset();
    link = Connect(19200, 'H');
    EXPECT_EQ('X', link->Ping('H'));
}

TEST_F(ComPortWineTest, PsfRoundTripAndBeamScans) {
    auto link = Connect();
    CPsf psf;
    ASSERT_EQ(1, link->InputPsf(psf));
    EXPECT_EQ('A', psf.GetControllerId());
    psf.SetScanNumber(7);
    psf.SetMeasMode(1, 'C');
    ASSERT_EQ(1, link->OutputPsf(psf));
    CPsf back;
    ASSERT_EQ(1, link->InputPsf(back));
    EXPECT_EQ(7, back.GetScanNumber());
    EXPECT_EQ('C', back.GetMeasMode(1));

    ASSERT_EQ(1, link->EnterAlignmentMode());
    for (int scans = 0; scans < 3; ++scans) {
        CBeamScan scan(128);
        ASSERT_EQ(1, link->InputScan(scan));
        for (int channel = 0; channel < 128; ++channel) {
            EXPECT_EQ(channel >= 9 && channel <= 11, scan.Blocked(channel)) << channel;
        }
    }
    EXPECT_EQ(1, link->ExitAlignmentMode());
}

TEST_F(ComPortWineTest, ControllerSearchFindsEachControllerAtItsRate) {
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
}

// The ports the system lists, with two more entered as drivers enter theirs (wine lists
// only the ports it found at its start).
TEST(ComPortWineOpenTest, ListsThePresentPortsInTheOrderOfTheirNumbers) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const std::pair<const char*, const char*> entered[] = {
        {"\\Device\\VCP0", "COM12"}, {"\\Device\\Serial9", "COM3"}, {"\\Device\\Other", "LPT1"}};
    for (const auto& [name, port] : entered) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(port),
                       static_cast<DWORD>(std::strlen(port) + 1));
    }
    const std::vector<CSerialDevice> devices = ListSerialDevices();
    for (const auto& [name, port] : entered) {
        RegDeleteValueA(key, name);
    }
    RegCloseKey(key);

    std::vector<std::string> paths;
    for (const CSerialDevice& device : devices) {
        paths.push_back(device.path);
    }
    const auto com3 = std::find(paths.begin(), paths.end(), "\\\\.\\COM3");
    const auto com12 = std::find(paths.begin(), paths.end(), "\\\\.\\COM12");
    ASSERT_NE(paths.end(), com3);
    ASSERT_NE(paths.end(), com12);
    EXPECT_LT(com3, com12);  // by number, not by name
    EXPECT_EQ("\\Device\\VCP0", devices[static_cast<size_t>(com12 - paths.begin())].device);
    for (const std::string& path : paths) {
        EXPECT_EQ(0u, path.rfind("\\\\.\\COM", 0)) << path;
    }
}

// A port above COM9 named bare, as a setting or --device may give it, opens all the same.
TEST(ComPortWineOpenTest, ABareNameAboveCom9Opens) {
    CUnixTarnsim tarnsim("--object none --controller F,19200", 17);
    ASSERT_TRUE(tarnsim.Serving());
    auto port = std::make_unique<CComPort>(0, 19200, 'E', 8, 1, 0, 1, 0, 0, 0, "COM17");
    ASSERT_EQ(0, port->Status()) << port->StatusText(port->Status());
    CControllerLink link(std::move(port), 'F');
    EXPECT_EQ('X', link.Ping('F'));
}

// Wine does not keep a second program off an open COM port, so "Port in use" cannot be
// seen here.
TEST(ComPortWineOpenTest, AnUnmappedPortIsNotFound) {
    CComPort missing(kCom + 10, 9600, 'E', 8, 1, 0, 1, 0, 0, 0);
    EXPECT_EQ(kPortNotFound, missing.Status());
    EXPECT_STREQ("Port not found", missing.StatusText(missing.Status()));
}

TEST_F(ComPortWineTest, TheSimulatorEndingDuringAReadEndsItWithinItsLimit) {
    auto link = Connect();
    ASSERT_EQ('X', link->Ping('A'));
    unsigned char buffer[16];
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        tarnsim.Stop();
    });
    const auto start = SteadyClock::now();
    const int result = link->Port().Read(buffer, sizeof buffer, 1000);
    EXPECT_TRUE(result == kDeviceGone || result == kTimeout) << result;
    EXPECT_LT(MsSince(start), 1100);
    stopper.join();
    // Later transactions fail and end within their own windows.
    const auto again = SteadyClock::now();
    EXPECT_EQ(0, link->Ping('A'));
    EXPECT_LT(MsSince(again), 300);
}

}  // namespace
