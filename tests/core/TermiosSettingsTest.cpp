// The line settings written into and read from a POSIX terminal configuration.

#include <gtest/gtest.h>

#include <termios.h>

#include "serial/RS232.h"
#include "serial/TermiosSettings.h"

namespace {

// A cooked terminal at 9600 baud, 7 data bits, odd parity, with flow control.
termios CookedTerminal() {
    termios config{};
    config.c_iflag = ICRNL | IXON | IXANY;
    config.c_oflag = OPOST;
    config.c_lflag = ICANON | ECHO | ISIG;
    config.c_cflag = CS7 | PARENB | PARODD | CRTSCTS;
    cfsetispeed(&config, B9600);
    cfsetospeed(&config, B9600);
    return config;
}

PortSettings Settings(long baud, int parity, int wordLength, int stopBits, int xonXoff = 0) {
    PortSettings settings;
    settings.Adjust(baud, parity, wordLength, stopBits, -1, -1, xonXoff, -1, -1);
    return settings;
}

TEST(TermiosSettingsTest, WritesARawLineWithTheRequestedFrame) {
    termios config = CookedTerminal();
    ASSERT_EQ(0, ApplySettingsToTermios(Settings(19200, 'e', 8, 1), config));
    EXPECT_EQ(B19200, cfgetospeed(&config));
    EXPECT_EQ(B19200, cfgetispeed(&config));
    EXPECT_EQ(static_cast<tcflag_t>(PARENB), config.c_cflag & (PARENB | PARODD | CMSPAR));
    EXPECT_EQ(static_cast<tcflag_t>(CS8), config.c_cflag & CSIZE);
    EXPECT_NE(0u, config.c_cflag & CSTOPB);  // stop-bit code 1 means two stop bits
    EXPECT_EQ(static_cast<tcflag_t>(CLOCAL | CREAD), config.c_cflag & (CLOCAL | CREAD));
    EXPECT_EQ(0u, config.c_cflag & CRTSCTS);
    EXPECT_EQ(0u, config.c_iflag & (IXON | IXOFF | IXANY | ICRNL));
    EXPECT_EQ(0u, config.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_EQ(1, config.c_cc[VMIN]);
    EXPECT_EQ(0, config.c_cc[VTIME]);

    const PortSettings read = SettingsOfTermios(config);
    EXPECT_EQ(19200, read.baud);
    EXPECT_EQ('E', read.parity);
    EXPECT_EQ(8, read.wordLength);
    EXPECT_EQ(2, read.stopBits);
    EXPECT_EQ(-1, read.dtr);
    EXPECT_EQ(0, read.xonXoff);
}

TEST(TermiosSettingsTest, MapsEveryParityAndWordLength) {
    const struct {
        char letter;
        tcflag_t flags;
    } parities[] = {{'N', 0},
                    {'O', PARENB | PARODD},
                    {'E', PARENB},
                    {'M', PARENB | PARODD | CMSPAR},
                    {'S', PARENB | CMSPAR}};
    for (const auto& p : parities) {
        termios config = CookedTerminal();
        ASSERT_EQ(0, ApplySettingsToTermios(Settings(-1, p.letter, -1, -1), config));
        EXPECT_EQ(p.flags, config.c_cflag & (PARENB | PARODD | CMSPAR)) << p.letter;
        EXPECT_EQ(p.letter, SettingsOfTermios(config).parity);
    }
    for (int bits = 5; bits <= 8; ++bits) {
        termios config = CookedTerminal();
        ASSERT_EQ(0, ApplySettingsToTermios(Settings(-1, 'N', bits, 0), config));
        EXPECT_EQ(bits, SettingsOfTermios(config).wordLength);
        EXPECT_EQ(0, SettingsOfTermios(config).stopBits);
    }
}

TEST(TermiosSettingsTest, UnknownValuesLeaveTheLineAsItWas) {
    termios config = CookedTerminal();
    ASSERT_EQ(0, ApplySettingsToTermios(Settings(57600, '?', 9, 3, 1), config));
    const PortSettings read = SettingsOfTermios(config);
    EXPECT_EQ(9600, read.baud);  // above 19200 only 38400 is written
    EXPECT_EQ('O', read.parity);
    EXPECT_EQ(7, read.wordLength);
    EXPECT_EQ(0, read.stopBits);
    EXPECT_EQ(1, read.xonXoff);
    EXPECT_EQ(static_cast<tcflag_t>(IXON | IXOFF), config.c_iflag & (IXON | IXOFF | IXANY));

    ASSERT_EQ(0, ApplySettingsToTermios(Settings(38400, -1, -1, -1), config));
    EXPECT_EQ(38400, SettingsOfTermios(config).baud);
    EXPECT_EQ(kIllegalBaudRate, ApplySettingsToTermios(Settings(12345, -1, -1, -1), config));
    EXPECT_EQ(kIllegalBaudRate, ApplySettingsToTermios(Settings(0, -1, -1, -1), config));
}

}  // namespace
