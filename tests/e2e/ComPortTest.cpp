// The operating system's serial port against a pseudo-terminal, in real time: opening by
// a mapped name, line settings, bytes both ways, bounded waits, and the errors an
// operator has to act on. A pseudo-terminal keeps speed and stop bits but always reports
// 8 data bits without parity, so parity and word length are checked on the settings
// record here (their termios mapping is covered by the unit tests).

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "serial/ComPort.h"
#include "settings/PortMapping.h"

namespace {

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class ComPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(master, 0);
        ASSERT_EQ(0, grantpt(master));
        ASSERT_EQ(0, unlockpt(master));
        terminal = ptsname(master);
        // A second terminal-side descriptor, as the simulator keeps one, to read the
        // terminal's settings.
        spare = open(terminal.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(spare, 0);
    }
    void TearDown() override {
        if (master >= 0) {
            close(master);
        }
        close(spare);
    }

    // The port as every command opens it: 8 data bits, stop-bit code 1, DTR off, RTS on.
    CComPort* Open(long baud = 9600, int parity = 'E') {
        return new CComPort(2, baud, parity, 8, 1, 0, 1, 0, 0, 0, terminal);
    }

    termios TerminalSettings() const {
        termios config{};
        tcgetattr(spare, &config);
        return config;
    }

    // Reads what the port wrote, waiting at most a second.
    std::string Received(size_t count) const {
        std::string text;
        char buffer[64];
        const auto start = Clock::now();
        while (text.size() < count && MsSince(start) < 1000) {
            pollfd entry{master, POLLIN, 0};
            poll(&entry, 1, 50);
            const ssize_t got = read(master, buffer, sizeof buffer);
            if (got > 0) {
                text.append(buffer, static_cast<size_t>(got));
            }
        }
        return text;
    }

    int master = -1;
    int spare = -1;
    std::string terminal;
};

TEST_F(ComPortTest, OpensTheMappedDeviceWithTheLineSettings) {
    char folder[] = "/tmp/tarn-e2e-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string settings = std::string(folder) + "/tarn.INI";
    std::ofstream(settings) << "[Ports]\nCOM3=" << terminal << "\n";
    const std::string device = DevicePathForPort(2, settings);
    std::remove(settings.c_str());
    rmdir(folder);
    ASSERT_EQ(terminal, device);

    CComPort port(2, 19200, 'e', 8, 1, 0, 1, 0, 0, 0, device);
    ASSERT_EQ(0, port.Status()) << port.StatusText(port.Status());
    termios config = TerminalSettings();
    EXPECT_EQ(B19200, cfgetospeed(&config));
    EXPECT_NE(0u, config.c_cflag & CSTOPB);
    EXPECT_EQ(0u, config.c_lflag & (ICANON | ECHO));
    EXPECT_EQ(19200, port.Current().baud);
    EXPECT_EQ('E', port.Current().parity);
    EXPECT_EQ(8, port.Current().wordLength);
    EXPECT_EQ(0, port.Current().dtr);
    EXPECT_EQ(1, port.Current().rts);
    EXPECT_EQ(-1, port.Saved().dtr);  // the terminal does not report its modem lines

    // 57600 is never written: the line keeps its rate.
    EXPECT_EQ(0, port.Configure(57600, -1, -1, -1));
    config = TerminalSettings();
    EXPECT_EQ(B19200, cfgetospeed(&config));
    EXPECT_EQ(0, port.Configure(38400, -1, -1, -1));
    config = TerminalSettings();
    EXPECT_EQ(B38400, cfgetospeed(&config));
    EXPECT_EQ(38400, port.Current().baud);
}

TEST_F(ComPortTest, MovesBytesBothWaysAndBoundsEveryWait) {
    std::unique_ptr<CComPort> port(Open());
    ASSERT_EQ(0, port->Status());
    unsigned char buffer[8] = {};

    // Nothing arriving: a primitive read gives up after a few milliseconds.
    auto start = Clock::now();
    EXPECT_EQ(kTimeout, port->ReadBytes(buffer, 4));
    EXPECT_EQ(0u, port->ByteCount());
    EXPECT_LT(MsSince(start), 50);

    // Part of the reply: what came is delivered.
    ASSERT_EQ(2, write(master, "ab", 2));
    EXPECT_EQ(kTimeout, port->ReadBytes(buffer, 4));
    EXPECT_EQ(2u, port->ByteCount());

    ASSERT_EQ(4, write(master, "ping", 4));
    EXPECT_EQ(0, port->Read(buffer, 4, 1000));
    EXPECT_EQ("ping", std::string(buffer, buffer + 4));
    EXPECT_LT(port->ElapsedMs(), 50);

    EXPECT_EQ(0, port->Write("pong", 0, 200, "\r"));
    EXPECT_EQ(5u, port->ByteCount());
    EXPECT_EQ("pong\r", Received(5));

    // A 200 ms reply window on a silent line costs barely more than 200 ms.
    start = Clock::now();
    EXPECT_EQ(kTimeout, port->Read(buffer, 4, 200));
    EXPECT_GE(port->ElapsedMs(), 200);
    EXPECT_LE(MsSince(start), 230);

    ASSERT_EQ(3, write(master, "xyz", 3));
    EXPECT_EQ(0, port->DiscardInput());
    EXPECT_EQ(kTimeout, port->ReadBytes(buffer, 1));
}

TEST_F(ComPortTest, AVanishedDeviceFailsEveryTransferAtOnce) {
    std::unique_ptr<CComPort> port(Open());
    ASSERT_EQ(0, port->Status());
    unsigned char buffer[4];
    close(master);
    master = -1;

    const auto start = Clock::now();
    EXPECT_EQ(kDeviceGone, port->Read(buffer, 4, -1));
    EXPECT_LT(MsSince(start), 100);
    EXPECT_EQ(kDeviceGone, port->Status());
    EXPECT_STREQ("Device removed or disconnected", port->StatusText(port->Status()));
    EXPECT_EQ(kDeviceGone, port->Write("x", 0, -1));
    EXPECT_EQ(kDeviceGone, port->GetByte());
}

TEST_F(ComPortTest, ADeviceHeldByAnotherPortIsInUseUntilReleased) {
    std::unique_ptr<CComPort> first(Open());
    ASSERT_EQ(0, first->Status());
    std::unique_ptr<CComPort> second(Open());
    EXPECT_EQ(kPortInUse, second->Status());
    EXPECT_STREQ("Port in use", second->StatusText(second->Status()));
    // The refused open must not release the holder's exclusive use.
    second.reset();
    EXPECT_EQ(kPortInUse, std::unique_ptr<CComPort>(Open())->Status());

    // Closing ends exclusive use even though the terminal stays open elsewhere.
    first.reset();
    EXPECT_EQ(0, std::unique_ptr<CComPort>(Open())->Status());
}

TEST(ComPortOpenTest, AMissingDeviceIsNotFound) {
    CComPort port(4, 9600, 'E', 8, 1, 0, 1, 0, 0, 0, "/dev/tarn-no-such-device");
    EXPECT_EQ(kPortNotFound, port.Status());
    EXPECT_STREQ("Port not found", port.StatusText(port.Status()));
    EXPECT_EQ(kPortNotFound, port.Write("x", 0, -1));
    EXPECT_EQ("/dev/ttyS4", CComPort(4, -1, -1, -1, -1, -1, -1, -1, -1, -1).DevicePath());

    EXPECT_STREQ("Undefined error", port.StatusText(-150));
    EXPECT_STREQ("???", port.StatusText(kNotYetOpened));
    EXPECT_STREQ("Timeout", port.StatusText(kTimeout));
    EXPECT_STREQ("Default parameters in error", port.StatusText(kDefaultParametersError));
    EXPECT_STREQ("Handshake line in use", port.StatusText(kHandshakeLineInUse));
}

TEST(ComPortOpenTest, AFileFolderFifoOrNonTerminalDeviceIsNotASerialDevice) {
    char folder[] = "/tmp/tarn-not-serial-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string file = std::string(folder) + "/port";
    const std::string fifo = std::string(folder) + "/fifo";
    std::ofstream(file) << "x";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));

    for (const std::string& path : {std::string("/dev/null"), std::string(folder), file, fifo}) {
        CComPort port(1, 9600, 'E', 8, 1, 0, 1, 0, 0, 0, path);
        EXPECT_EQ(kNotSerialDevice, port.Status()) << path;
        EXPECT_EQ(path + " is not a serial device", port.StatusText(port.Status()));
        EXPECT_EQ(kNotSerialDevice, port.Write("x", 0, -1)) << path;
    }
    std::ifstream written(file);
    EXPECT_EQ("x", std::string(std::istreambuf_iterator<char>(written), {}));
    // Without a device to name, the code has its own text.
    const CComPort missing(1, 9600, 'E', 8, 1, 0, 1, 0, 0, 0, "/dev/tarn-no-such-device");
    EXPECT_STREQ("Not a serial device", missing.StatusText(kNotSerialDevice));
    std::remove(file.c_str());
    std::remove(fifo.c_str());
    rmdir(folder);
}

// Opens path as an unprivileged user in a child process; the child's exit code is 0 when
// the port reports the permission failure with a text naming the device's group.
int OpenWithoutPermission(const std::string& path, const std::string& group) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(2);
        }
        CComPort port(0, 9600, 'E', 8, 1, 0, 1, 0, 0, 0, path);
        const std::string text = port.StatusText(port.Status());
        const bool named = text.find("\"" + group + "\"") != std::string::npos &&
                           text.find("log in again") != std::string::npos;
        _exit(port.Status() == kPermissionDenied && named ? 0 : 1);
    }
    int result = 0;
    waitpid(child, &result, 0);
    return WIFEXITED(result) ? WEXITSTATUS(result) : -1;
}

TEST(ComPortOpenTest, ADeviceTheUserMayNotOpenNamesTheGroupToJoin) {
    char path[] = "/tmp/tarn-device-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_EQ(0, chmod(path, 0));
    struct stat info {};
    ASSERT_EQ(0, stat(path, &info));
    const group* owner = getgrgid(info.st_gid);
    ASSERT_NE(nullptr, owner);
    EXPECT_EQ(0, OpenWithoutPermission(path, owner->gr_name));
    unlink(path);
}

}  // namespace
