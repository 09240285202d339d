#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <utility>

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr size_t kFloodBlock = 65536;

// Sends all of data unless the connection breaks or keepGoing says no; false then.
template <typename KeepGoing>
bool SendAll(int fd, const unsigned char* data, size_t size, KeepGoing keepGoing) {
    while (size > 0 && keepGoing()) {
        pollfd entry{fd, POLLOUT, 0};
        if (poll(&entry, 1, 50) <= 0) {
            continue;
        }
        const ssize_t put = send(fd, data, size, MSG_NOSIGNAL);
        if (put <= 0) {
            return false;
        }
        data += put;
        size -= static_cast<size_t>(put);
    }
    return size == 0;
}

}  // namespace

CLoopbackFlooder::CLoopbackFlooder(Bytes opening, size_t answerAfter, Bytes answer, Bytes pattern,
                                   int limitMs)
    : listener(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        listen(listener, 1) == 0 &&
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    thread = std::thread(&CLoopbackFlooder::Serve, this, std::move(opening), answerAfter,
                         std::move(answer), std::move(pattern), limitMs);
}

CLoopbackFlooder::~CLoopbackFlooder() {
    stop = true;
    thread.join();
    close(listener);
}

void CLoopbackFlooder::Serve(Bytes opening, size_t answerAfter, Bytes answer, Bytes pattern,
                             int limitMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(limitMs);
    const auto keepGoing = [&] { return !stop && SteadyClock::now() < deadline; };
    int fd = -1;
    while (fd < 0 && keepGoing()) {
        pollfd entry{listener, POLLIN, 0};
        if (poll(&entry, 1, 50) > 0) {
            fd = accept(listener, nullptr, nullptr);
        }
    }
    if (fd < 0) {
        return;
    }
    bool open = SendAll(fd, opening.data(), opening.size(), keepGoing);
    size_t heard = 0;
    while (open && heard < answerAfter && keepGoing()) {
        pollfd entry{fd, POLLIN, 0};
        unsigned char chunk[256];
        const ssize_t got = poll(&entry, 1, 50) > 0 ? recv(fd, chunk, sizeof chunk, 0) : -1;
        open = got != 0;
        heard += got > 0 ? static_cast<size_t>(got) : 0;
    }
    open = open && SendAll(fd, answer.data(), answer.size(), keepGoing);
    Bytes block;
    while (!pattern.empty() && block.size() < kFloodBlock) {
        block.insert(block.end(), pattern.begin(), pattern.end());
    }
    while (open && !block.empty() && keepGoing()) {
        open = SendAll(fd, block.data(), block.size(), keepGoing);
        unsigned char ignored[256];
        while (recv(fd, ignored, sizeof ignored, MSG_DONTWAIT) > 0) {
        }
    }
    close(fd);
}

long ResidentBytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}
