// The POSIX serial port: a terminal device in raw mode, opened non-blocking and waited on
// with poll, so that every call returns within a short bounded time.

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#ifdef TIOCGICOUNT
#include <linux/serial.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "serial/ComPort.h"
#include "serial/TermiosSettings.h"

namespace {

using std::chrono::steady_clock;

// How long a primitive read waits for the bytes asked for. A timed read overruns its
// limit by at most one such wait, so a 200 ms reply window costs at most about 205 ms.
constexpr std::chrono::milliseconds kReadWait{5};
// How long a primitive write waits for room in the output queue.
constexpr std::chrono::milliseconds kWriteWait{200};

constexpr const char* kPermissionFormat =
    "Permission denied: join group \"%s\", which owns %s, then log in again";
constexpr const char* kNotSerialFormat = "%s is not a serial device";

int OpenFailure(int error) {
    switch (error) {
        case EISDIR:
            return kNotSerialDevice;
        case ENOENT:
        case ENOTDIR:
        case ENXIO:
        case ENODEV:
        case EIO:  // a serial device node without hardware behind it
            return kPortNotFound;
        case EBUSY:        // exclusive mode of another holder
        case EWOULDBLOCK:  // the lock of another holder
            return kPortInUse;
        case EACCES:
        case EPERM:
            return kPermissionDenied;
        default:
            return kGeneralError;
    }
}

template <typename... Args>
std::string Formatted(const char* format, Args... args) {
    const int length = std::snprintf(nullptr, 0, format, args...);
    std::string text(static_cast<size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

// Says more than the status table about an open failure, naming the device; empty when
// there is nothing to add.
std::string OpenFailureText(int failure, const std::string& path) {
    if (failure == kNotSerialDevice) {
        return Formatted(kNotSerialFormat, path.c_str());
    }
    if (failure != kPermissionDenied) {
        return {};
    }
    // Names the group whose members may open the device.
    struct stat info {};
    const group* owner = stat(path.c_str(), &info) == 0 ? getgrgid(info.st_gid) : nullptr;
    return owner == nullptr ? std::string()
                            : Formatted(kPermissionFormat, owner->gr_name, path.c_str());
}

// Waits until fd has one of events or the deadline passes. Answers the events that came
// (0 at the deadline), or -1 with errno set.
int WaitFor(int fd, short events, steady_clock::time_point deadline) {
    for (;;) {
        const auto left = deadline - steady_clock::now();
        if (left <= steady_clock::duration::zero()) {
            return 0;
        }
        pollfd entry{fd, events, 0};
        const int ready =
            poll(&entry, 1,
                 static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count()));
        if (ready > 0) {
            return entry.revents;
        }
        if (ready < 0 && errno != EINTR) {
            return -1;
        }
    }
}

bool HungUp(int events) {
    return (events & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// state 0 clears the line, 1 sets it, anything else leaves it.
void SetModemLine(int fd, int line, int state) {
    if (state == 0 || state == 1) {
        // A device without modem lines (a pseudo-terminal) refuses; that is no error.
        ioctl(fd, state == 1 ? TIOCMBIS : TIOCMBIC, &line);
    }
}

}  // namespace

struct CComPort::Device {
    int fd = -1;
    bool exclusive = false;  // this descriptor put the terminal into exclusive mode
    termios config{};
#ifdef TIOCGICOUNT
    serial_icounter_struct counts{};  // the line error counters last seen
#endif

    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device() {
        if (fd < 0) {
            return;
        }
        // Exclusive mode outlives this descriptor while another one is open on the
        // terminal, and would refuse the next open.
        if (exclusive) {
            ioctl(fd, TIOCNXCL);
        }
        close(fd);
    }
};

void CComPort::DeviceDeleter::operator()(Device* d) const {
    delete d;
}

CComPort::Device* CComPort::NewDevice() {
    return new Device;
}

std::string DefaultDevicePath(int portNumber) {
    return "/dev/ttyS" + std::to_string(portNumber);
}

int CComPort::OpenDevice() {
    const int fd = open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int failure = fd < 0 ? OpenFailure(errno) : 0;
    if (fd >= 0) {
        device->fd = fd;
        if (!isatty(fd)) {
            // A file, a FIFO or /dev/null would take the requests and never answer.
            failure = kNotSerialDevice;
        } else if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
            // Root passes exclusive mode, so the lock is what keeps a second program out.
            failure = OpenFailure(errno);
        }
    }
    if (failure != 0) {
        statusDetail = OpenFailureText(failure, devicePath);
        return failure;
    }
    device->exclusive = true;
#ifdef TIOCGICOUNT
    ioctl(fd, TIOCGICOUNT, &device->counts);  // a device without counters keeps zeros
#endif
    return 0;
}

int CComPort::ReadSettings() {
    if (tcgetattr(device->fd, &device->config) != 0) {
        return Failure(errno);
    }
    current = SettingsOfTermios(device->config);
    return 0;
}

int CComPort::WriteSettings() {
    termios config = device->config;
    const int result = ApplySettingsToTermios(current, config);
    if (result != 0) {
        return result;
    }
    // tcsetattr reports success when any part of the request applied, and the C library
    // answers EINVAL when the device changed the parity or word length (a pseudo-terminal
    // always keeps 8 data bits without parity). So what the device took is read back, and
    // only the speed is held to the request.
    if (tcsetattr(device->fd, TCSANOW, &config) != 0 && errno != EINVAL) {
        return Failure(errno);
    }
    termios applied{};
    if (tcgetattr(device->fd, &applied) != 0) {
        return Failure(errno);
    }
    device->config = applied;
    if (cfgetospeed(&applied) != cfgetospeed(&config)) {
        return kIllegalBaudRate;
    }
    SetModemLine(device->fd, TIOCM_RTS, current.rts);
    SetModemLine(device->fd, TIOCM_DTR, current.dtr);
    return 0;
}

int CComPort::Failure(long platformError) {
    switch (platformError) {
        case EIO:
        case ENXIO:
        case ENODEV:
            return Gone();
        default:
            return kGeneralError;
    }
}

int CComPort::ReadBytes(unsigned char* buffer, unsigned count) {
    byteCount = 0;
    if (status < 0) {
        return status;
    }
    const auto deadline = steady_clock::now() + kReadWait;
    while (byteCount < count) {
        const ssize_t got = read(device->fd, buffer + byteCount, count - byteCount);
        if (got > 0) {
            byteCount += static_cast<unsigned>(got);
            continue;
        }
        if (got == 0) {
            return Gone();  // with VMIN 1 an empty read means the line hung up
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            return Failure(errno);
        }
        const int events = WaitFor(device->fd, POLLIN, deadline);
        if (events < 0) {
            return Failure(errno);
        }
        if (events == 0) {
            return kTimeout;
        }
        if ((events & POLLIN) == 0 && HungUp(events)) {
            return Gone();
        }
    }
    return 0;
}

int CComPort::WriteBytes(const unsigned char* buffer, unsigned count) {
    byteCount = 0;
    if (status < 0) {
        return status;
    }
    const auto deadline = steady_clock::now() + kWriteWait;
    while (byteCount < count) {
        const ssize_t put = write(device->fd, buffer + byteCount, count - byteCount);
        if (put > 0) {
            byteCount += static_cast<unsigned>(put);
            continue;
        }
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0 && errno != EAGAIN) {
            return Failure(errno);
        }
        const int events = WaitFor(device->fd, POLLOUT, deadline);
        if (events < 0) {
            return Failure(errno);
        }
        if (events == 0) {
            return kTimeout;
        }
        if ((events & POLLOUT) == 0 && HungUp(events)) {
            return Gone();
        }
    }
    return 0;
}

int CComPort::DiscardInput() {
    if (status < 0) {
        return status;
    }
    return tcflush(device->fd, TCIFLUSH) == 0 ? 0 : Failure(errno);
}

int CComPort::DiscardOutput() {
    if (status < 0) {
        return status;
    }
    return tcflush(device->fd, TCOFLUSH) == 0 ? 0 : Failure(errno);
}

int CComPort::SetBreak(bool on) {
    return ioctl(device->fd, on ? TIOCSBRK : TIOCCBRK) == 0 ? 0 : Failure(errno);
}

unsigned CComPort::NewLineErrors() {
#ifdef TIOCGICOUNT
    serial_icounter_struct counts{};
    if (ioctl(device->fd, TIOCGICOUNT, &counts) != 0) {
        return 0;
    }
    const serial_icounter_struct& last = device->counts;
    unsigned errors = 0;
    errors |= counts.buf_overrun != last.buf_overrun ? kInputOverflowError : 0u;
    errors |= counts.overrun != last.overrun ? kOverrunError : 0u;
    errors |= counts.parity != last.parity ? kParityError : 0u;
    errors |= counts.frame != last.frame ? kFramingError : 0u;
    errors |= counts.brk != last.brk ? kBreakError : 0u;
    device->counts = counts;
    return errors;
#else
    return 0;
#endif
}
