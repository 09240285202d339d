// The POSIX TCP connection: a non-blocking socket waited on with poll, so that every call
// returns within its wait.

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <string>

#include "serial/NameLookup.h"
#include "serial/Socket.h"

namespace {

using std::chrono::steady_clock;

// Waits until fd has one of events or the deadline passes. Answers the events that came
// (0 at the deadline), or -1 with errno set.
int WaitFor(int fd, short events, steady_clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - steady_clock::now());
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (ready > 0) {
            return entry.revents;
        }
        if (ready == 0) {
            return 0;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

steady_clock::time_point DeadlineIn(int waitMs) {
    return steady_clock::now() + std::chrono::milliseconds(waitMs > 0 ? waitMs : 0);
}

class CPosixSocket final : public CSocket {
public:
    explicit CPosixSocket(int descriptor) : fd(descriptor) {}
    ~CPosixSocket() override { close(fd); }
    CPosixSocket(const CPosixSocket&) = delete;
    CPosixSocket& operator=(const CPosixSocket&) = delete;

    SocketResult Send(const unsigned char* data, unsigned count, unsigned* sent,
                      int waitMs) override {
        *sent = 0;
        const auto deadline = DeadlineIn(waitMs);
        while (*sent < count) {
            const ssize_t put = send(fd, data + *sent, count - *sent, MSG_NOSIGNAL);
            if (put > 0) {
                *sent += static_cast<unsigned>(put);
                continue;
            }
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                return SocketResult::kClosed;
            }
            const int events = WaitFor(fd, POLLOUT, deadline);
            if (events < 0 || (events & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
                return SocketResult::kClosed;
            }
            if (events == 0) {
                return SocketResult::kTimeout;
            }
        }
        return SocketResult::kDone;
    }

    SocketResult Receive(unsigned char* buffer, unsigned count, unsigned* got,
                         int waitMs) override {
        *got = 0;
        const auto deadline = DeadlineIn(waitMs);
        for (;;) {
            const ssize_t taken = recv(fd, buffer, count, 0);
            if (taken > 0) {
                *got = static_cast<unsigned>(taken);
                return SocketResult::kDone;
            }
            if (taken == 0) {
                return SocketResult::kClosed;
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                return SocketResult::kClosed;
            }
            const int events = WaitFor(fd, POLLIN, deadline);
            if (events < 0) {
                return SocketResult::kClosed;
            }
            if (events == 0) {
                return SocketResult::kTimeout;
            }
        }
    }

private:
    int fd;
};

// Tries one resolved address. Answers the connected descriptor, or -1 with *result set.
int ConnectOne(const addrinfo& address, steady_clock::time_point deadline, SocketResult* result) {
    *result = SocketResult::kNoAnswer;
    const int fd = socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          address.ai_protocol);
    if (fd < 0) {
        return -1;
    }
    int error = 0;
    if (connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            const int events = WaitFor(fd, POLLOUT, deadline);
            socklen_t size = sizeof error;
            error = events > 0 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0
                        ? error
                        : ETIMEDOUT;
        }
    }
    if (error != 0) {
        close(fd);
        *result = error == ECONNREFUSED ? SocketResult::kRefused : SocketResult::kNoAnswer;
        return -1;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    *result = SocketResult::kDone;
    return fd;
}

}  // namespace

std::unique_ptr<CSocket> ConnectTcp(const std::string& host, unsigned port, int waitMs,
                                    SocketResult* result) {
    const auto deadline = DeadlineIn(waitMs);
    addrinfo* addresses = nullptr;
    *result = LookUpName(host, port, deadline, &addresses);
    if (*result != SocketResult::kDone) {
        return nullptr;
    }
    *result = SocketResult::kNoAnswer;
    int fd = -1;
    for (const addrinfo* address = addresses; address != nullptr && fd < 0;
         address = address->ai_next) {
        SocketResult tried = SocketResult::kNoAnswer;
        fd = ConnectOne(*address, deadline, &tried);
        // A refusal from any address says more than a silent one.
        if (fd >= 0 || tried == SocketResult::kRefused) {
            *result = tried;
        }
    }
    freeaddrinfo(addresses);
    return fd >= 0 ? std::make_unique<CPosixSocket>(fd) : nullptr;
}
