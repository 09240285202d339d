// The Winsock TCP connection: a non-blocking socket waited on with select, so that every
// call returns within its wait.

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <string>

#include "serial/NameLookup.h"
#include "serial/Socket.h"

namespace {

using std::chrono::steady_clock;

// Winsock is started once for the process and stays up until it ends.
bool WinsockReady() {
    static const bool ready = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

steady_clock::time_point DeadlineIn(int waitMs) {
    return steady_clock::now() + std::chrono::milliseconds(waitMs > 0 ? waitMs : 0);
}

// Waits until s is readable (forWrite false) or writable or the deadline passes. Answers
// 1 when it is, 0 at the deadline, -1 on failure; *failed tells whether the socket
// reported an error (a refused or broken connection).
int WaitFor(SOCKET s, bool forWrite, steady_clock::time_point deadline, bool* failed = nullptr) {
    const auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - steady_clock::now());
    const long long us = left.count() > 0 ? left.count() : 0;
    timeval wait{static_cast<long>(us / 1000000), static_cast<long>(us % 1000000)};
    fd_set ready;
    fd_set errors;
    FD_ZERO(&ready);
    FD_ZERO(&errors);
    FD_SET(s, &ready);
    FD_SET(s, &errors);
    const int count =
        select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &errors, &wait);
    if (failed != nullptr) {
        *failed = count > 0 && FD_ISSET(s, &errors);
    }
    return count > 0 ? 1 : count == 0 ? 0 : -1;
}

bool WouldBlock() {
    const int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS;
}

class CWinsockSocket final : public CSocket {
public:
    explicit CWinsockSocket(SOCKET socket) : s(socket) {}
    ~CWinsockSocket() override { closesocket(s); }
    CWinsockSocket(const CWinsockSocket&) = delete;
    CWinsockSocket& operator=(const CWinsockSocket&) = delete;

    SocketResult Send(const unsigned char* data, unsigned count, unsigned* sent,
                      int waitMs) override {
        *sent = 0;
        const auto deadline = DeadlineIn(waitMs);
        while (*sent < count) {
            const int put = send(s, reinterpret_cast<const char*>(data + *sent),
                                 static_cast<int>(count - *sent), 0);
            if (put > 0) {
                *sent += static_cast<unsigned>(put);
                continue;
            }
            if (put < 0 && !WouldBlock()) {
                return SocketResult::kClosed;
            }
            bool failed = false;
            const int ready = WaitFor(s, true, deadline, &failed);
            if (ready < 0 || failed) {
                return SocketResult::kClosed;
            }
            if (ready == 0) {
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
            const int taken = recv(s, reinterpret_cast<char*>(buffer), static_cast<int>(count), 0);
            if (taken > 0) {
                *got = static_cast<unsigned>(taken);
                return SocketResult::kDone;
            }
            if (taken == 0 || !WouldBlock()) {
                return SocketResult::kClosed;
            }
            const int ready = WaitFor(s, false, deadline);
            if (ready < 0) {
                return SocketResult::kClosed;
            }
            if (ready == 0) {
                return SocketResult::kTimeout;
            }
        }
    }

private:
    SOCKET s;
};

// Tries one resolved address. Answers the connected socket, or INVALID_SOCKET with
// *result set.
SOCKET ConnectOne(const addrinfo& address, steady_clock::time_point deadline,
                  SocketResult* result) {
    *result = SocketResult::kNoAnswer;
    const SOCKET s = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s == INVALID_SOCKET) {
        return s;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    int error = 0;
    if (connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            bool failed = false;
            const int ready = WaitFor(s, true, deadline, &failed);
            int size = sizeof error;
            error = ready > 0 && getsockopt(s, SOL_SOCKET, SO_ERROR,
                                            reinterpret_cast<char*>(&error), &size) == 0
                        ? error
                        : WSAETIMEDOUT;
        }
    }
    if (error != 0) {
        closesocket(s);
        *result = error == WSAECONNREFUSED ? SocketResult::kRefused : SocketResult::kNoAnswer;
        return INVALID_SOCKET;
    }
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    *result = SocketResult::kDone;
    return s;
}

}  // namespace

std::unique_ptr<CSocket> ConnectTcp(const std::string& host, unsigned port, int waitMs,
                                    SocketResult* result) {
    const auto deadline = DeadlineIn(waitMs);
    *result = SocketResult::kNoAnswer;
    if (!WinsockReady()) {
        return nullptr;
    }
    addrinfo* addresses = nullptr;
    *result = LookUpName(host, port, deadline, &addresses);
    if (*result != SocketResult::kDone) {
        return nullptr;
    }
    *result = SocketResult::kNoAnswer;
    SOCKET s = INVALID_SOCKET;
    for (const addrinfo* address = addresses; address != nullptr && s == INVALID_SOCKET;
         address = address->ai_next) {
        SocketResult tried = SocketResult::kNoAnswer;
        s = ConnectOne(*address, deadline, &tried);
        // A refusal from any address says more than a silent one.
        if (s != INVALID_SOCKET || tried == SocketResult::kRefused) {
            *result = tried;
        }
    }
    freeaddrinfo(addresses);
    return s != INVALID_SOCKET ? std::make_unique<CWinsockSocket>(s) : nullptr;
}
