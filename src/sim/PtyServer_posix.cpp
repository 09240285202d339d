#include "PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <deque>
#include <utility>
#include <vector>

#include "MovingObject.h"
#include "serial/TermiosSettings.h"

namespace {

// The rate the terminal side starts at, before the program sets its own.
constexpr speed_t kInitialSpeed = B9600;

int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// One burst: its start in seconds, who sent it, its rate and its bytes.
void TraceBurst(std::FILE* out, const SimBurst& burst, bool fromHost) {
    const char sender[2] = {burst.sender, 0};
    std::fprintf(out, "%11.6f  %-5s %6ld ", static_cast<double>(burst.startUs) / 1e6,
                 fromHost ? "host" : (burst.sender == 0 ? "noise" : sender), burst.format.baud);
    for (unsigned char byte : burst.bytes) {
        std::fprintf(out, " %02X", byte);
    }
    std::fputc('\n', out);
}

}  // namespace

CPtyServer::CPtyServer(CSimLine& line, CMovingObject* object) : line(line), object(object) {}

CPtyServer::~CPtyServer() {
    Stop();
}

int CPtyServer::Open() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        return errno;
    }
    char name[PATH_MAX] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        return errno;
    }
    if (const int failure = ptsname_r(master, name, sizeof name); failure != 0) {
        return failure;
    }
    devicePath = name;
    terminal = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (terminal < 0) {
        return errno;
    }
    // Raw at once: a terminal in its default mode would echo the replies back to the
    // controllers and turn their CR bytes into LF before the program has set anything.
    termios config{};
    if (tcgetattr(terminal, &config) != 0) {
        return errno;
    }
    cfmakeraw(&config);
    config.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&config, kInitialSpeed);
    if (tcsetattr(terminal, TCSANOW, &config) != 0) {
        return errno;
    }
    return pipe2(wake, O_NONBLOCK | O_CLOEXEC) == 0 ? 0 : errno;
}

uint64_t CPtyServer::NowUs() const {
    return static_cast<uint64_t>((SteadyNs() - startNs) / 1000);
}

SimLineFormat CPtyServer::HostFormat() const {
    termios config{};
    const long baud = tcgetattr(terminal, &config) == 0 ? SettingsOfTermios(config).baud : -1;
    return {baud, '?'};
}

int CPtyServer::Serve() {
    startNs = SteadyNs();
    pollfd waits[2] = {{master, POLLIN, 0}, {wake[0], POLLIN, 0}};
    while (!stopping) {
        const SimLineFormat format = HostFormat();
        const uint64_t now = NowUs();
        const int error = ReadFromHost(now, format);
        if (error != 0) {
            return error;
        }
        if (object != nullptr) {
            object->Place(line, now);
        }
        line.RunUntil(now);
        DeliverToHost(now, format);
        Settle(now);

        const uint64_t next = line.NextEventUs();
        timespec wait{};
        if (next != kNever) {
            const uint64_t left = next > NowUs() ? next - NowUs() : 0;
            wait.tv_sec = static_cast<time_t>(left / 1000000);
            wait.tv_nsec = static_cast<long>(left % 1000000) * 1000;
        }
        if (ppoll(waits, 2, next == kNever ? nullptr : &wait, nullptr) < 0 && errno != EINTR) {
            return errno;
        }
        // The master side hangs up only when no terminal-side descriptor is open, which
        // the kept one prevents; should it happen anyway, waiting on would spin.
        if ((waits[0].revents & POLLIN) == 0 && (waits[0].revents & (POLLHUP | POLLERR)) != 0) {
            return EIO;
        }
    }
    return 0;
}

int CPtyServer::ReadFromHost(uint64_t nowUs, const SimLineFormat& format) {
    unsigned char buffer[4096];
    for (;;) {
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got > 0) {
            line.HostSend(nowUs, buffer, static_cast<unsigned>(got), format);
        } else if (got < 0 && errno == EAGAIN) {
            return 0;
        } else if (got == 0 || errno != EINTR) {
            return got == 0 ? EIO : errno;
        }
    }
}

void CPtyServer::DeliverToHost(uint64_t nowUs, const SimLineFormat& format) {
    std::deque<unsigned char> arrived;
    const SimLineErrors errors = line.TakeForHost(nowUs, format, arrived);
    if (trace != nullptr && errors.framing > 0) {
        std::fprintf(trace, "%11.6f  host  %6ld  %u bytes lost: sent at another rate\n",
                     static_cast<double>(nowUs) / 1e6, format.baud, errors.framing);
    }
    if (arrived.empty()) {
        return;
    }
    // What the terminal's input queue cannot take is lost, as in a receiver overrun.
    const std::vector<unsigned char> bytes(arrived.begin(), arrived.end());
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = write(master, bytes.data() + written, bytes.size() - written);
        if (put > 0) {
            written += static_cast<size_t>(put);
        } else if (put == 0 || errno != EINTR) {
            break;
        }
    }
}

void CPtyServer::Settle(uint64_t nowUs) {
    if (trace != nullptr) {
        // The bursts about to be forgotten, in the order they started.
        std::vector<std::pair<const SimBurst*, bool>> ended;
        for (const SimBurst& burst : line.HostBursts()) {
            if (burst.endUs < nowUs) {
                ended.emplace_back(&burst, true);
            }
        }
        for (const SimBurst& burst : line.ReplyBursts()) {
            if (burst.endUs < nowUs) {
                ended.emplace_back(&burst, false);
            }
        }
        std::sort(ended.begin(), ended.end(),
                  [](const auto& a, const auto& b) { return a.first->startUs < b.first->startUs; });
        for (const auto& [burst, fromHost] : ended) {
            TraceBurst(trace, *burst, fromHost);
        }
        std::fflush(trace);
    }
    line.ForgetTraffic(nowUs);
}

void CPtyServer::Start() {
    thread = std::thread([this] { Serve(); });
}

void CPtyServer::RequestStop() {
    stopping = true;
    if (wake[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t ignored = write(wake[1], &byte, 1);
    }
}

void CPtyServer::Stop() {
    RequestStop();
    if (thread.joinable()) {
        thread.join();
    }
    Close();
}

void CPtyServer::Close() {
    CloseFd(master);
    CloseFd(terminal);
    CloseFd(wake[0]);
    CloseFd(wake[1]);
}
