#include "serial/TermiosSettings.h"

#include <cctype>

#include "serial/RS232.h"

namespace {

struct Speed {
    long baud;
    speed_t code;
};

constexpr Speed kSpeeds[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},     {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400},
};

struct WordSize {
    int bits;
    tcflag_t flag;
};

constexpr WordSize kWordSizes[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};

constexpr tcflag_t kParityFlags = PARENB | PARODD | CMSPAR;

}  // namespace

PortSettings SettingsOfTermios(const termios& config) {
    PortSettings settings;
    const speed_t speed = cfgetospeed(&config);
    for (const Speed& s : kSpeeds) {
        if (s.code == speed) {
            settings.baud = s.baud;
        }
    }
    const tcflag_t parity = config.c_cflag & kParityFlags;
    if ((parity & PARENB) == 0) {
        settings.parity = 'N';
    } else if ((parity & CMSPAR) != 0) {
        settings.parity = (parity & PARODD) != 0 ? 'M' : 'S';
    } else {
        settings.parity = (parity & PARODD) != 0 ? 'O' : 'E';
    }
    for (const WordSize& w : kWordSizes) {
        if ((config.c_cflag & CSIZE) == w.flag) {
            settings.wordLength = w.bits;
        }
    }
    settings.stopBits = (config.c_cflag & CSTOPB) != 0 ? 2 : 0;
    settings.xonXoff = (config.c_iflag & IXON) != 0 ? 1 : 0;
    return settings;
}

int ApplySettingsToTermios(const PortSettings& settings, termios& config) {
    if (settings.baud != -1 && WritesBaudRate(settings.baud)) {
        const Speed* found = nullptr;
        for (const Speed& s : kSpeeds) {
            if (s.baud == settings.baud) {
                found = &s;
            }
        }
        if (found == nullptr) {
            return kIllegalBaudRate;
        }
        cfsetispeed(&config, found->code);
        cfsetospeed(&config, found->code);
    }

    // Raw mode resets parity and word length; they stay as they were unless asked for.
    const tcflag_t keptFrame = config.c_cflag & (kParityFlags | CSIZE);
    cfmakeraw(&config);
    config.c_iflag &= ~(IXON | IXOFF | IXANY);
    config.c_cflag &= ~(kParityFlags | CSIZE | CRTSCTS);
    config.c_cflag |= keptFrame | CLOCAL | CREAD;
    // With non-blocking reads, VMIN 1 makes a read of 0 bytes mean a hang-up only.
    config.c_cc[VMIN] = 1;
    config.c_cc[VTIME] = 0;

    tcflag_t parity = config.c_cflag & kParityFlags;
    switch (std::toupper(static_cast<unsigned char>(settings.parity))) {
        case 'N':
            parity = 0;
            break;
        case 'O':
            parity = PARENB | PARODD;
            break;
        case 'E':
            parity = PARENB;
            break;
        case 'M':
            parity = PARENB | CMSPAR | PARODD;
            break;
        case 'S':
            parity = PARENB | CMSPAR;
            break;
    }
    config.c_cflag = (config.c_cflag & ~kParityFlags) | parity;

    for (const WordSize& w : kWordSizes) {
        if (w.bits == settings.wordLength) {
            config.c_cflag = (config.c_cflag & ~CSIZE) | w.flag;
        }
    }

    if (settings.stopBits == 0) {
        config.c_cflag &= ~CSTOPB;
    } else if (settings.stopBits == 1 || settings.stopBits == 2) {
        config.c_cflag |= CSTOPB;
    }

    if (settings.xonXoff != 0) {
        config.c_iflag |= IXON | IXOFF;
    }
    return 0;
}
