// Finding the serial devices to offer, and storing which device a COM port opens.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "settings/PortMapping.h"
#include "settings/SerialDevices.h"

namespace fs = std::filesystem;

namespace {

class SerialDevicesTest : public ::testing::Test {
protected:
    SerialDevicesTest()
        : dev(fs::temp_directory_path() /
              ("tarn-devices-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        fs::remove_all(dev);
        fs::create_directories(dev / "serial" / "by-id");
    }
    ~SerialDevicesTest() override { fs::remove_all(dev); }
    void Touch(const std::string& name) { std::ofstream(dev / name).put('\0'); }

    fs::path dev;
};

TEST_F(SerialDevicesTest, AdaptersComeFirstByTheirStableNamesThenBuiltInPortsInNumericOrder) {
    for (const char* name :
         {"ttyS10", "ttyS2", "ttyUSB1", "ttyUSB0", "ttyACM0", "tty1", "ttyS", "ttyUSBx", "null"}) {
        Touch(name);
    }
    const fs::path link = dev / "serial" / "by-id" / "usb-Maker_Adapter_A123-if00-port0";
    fs::create_symlink("../../ttyUSB1", link);

    const auto devices = ListSerialDevices(dev.string());
    std::vector<std::string> paths;
    for (const CSerialDevice& device : devices) {
        paths.push_back(fs::path(device.path).filename().string());
    }
    EXPECT_EQ((std::vector<std::string>{"ttyUSB0", "usb-Maker_Adapter_A123-if00-port0", "ttyACM0",
                                        "ttyS2", "ttyS10"}),
              paths);
    EXPECT_EQ((dev / "ttyUSB1").string(), devices[1].device);
}

TEST_F(SerialDevicesTest, AMissingFolderListsNothing) {
    EXPECT_TRUE(ListSerialDevices((dev / "absent").string()).empty());
}

TEST_F(SerialDevicesTest, AMappedPortOpensItsDeviceAndOtherLinesStay) {
    const std::string settings = (dev / "tarn.INI").string();
    std::ofstream(settings) << "[Communication]\nPort=1\n";
    ASSERT_EQ(1, MapPortToDevice(1, "/dev/serial/by-id/usb-X", settings));
    EXPECT_EQ("/dev/serial/by-id/usb-X", DevicePathForPort(1, settings));
    EXPECT_EQ("/dev/ttyS2", DevicePathForPort(2, settings));
    std::ifstream in(settings);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ("[Communication]\nPort=1\n\n[Ports]\nCOM2=/dev/serial/by-id/usb-X\n", text);
}

}  // namespace
