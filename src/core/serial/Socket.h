#pragma once
// CSocket: a TCP connection as the network port needs it, every call bounded in time. The
// platform parts live in socket_posix.cpp (BSD sockets) and socket_win32.cpp (Winsock).

#include <memory>
#include <string>

enum class SocketResult {
    kDone,         // everything asked for went out, or some bytes came
    kTimeout,      // the wait ended first
    kClosed,       // the peer closed the connection, or it broke
    kRefused,      // connect: nothing listens at that port
    kNoAnswer,     // connect: the host did not answer within the wait
    kUnknownHost,  // connect: the name does not resolve
};

class CSocket {
public:
    virtual ~CSocket() = default;
    // Sends up to count bytes, waiting at most waitMs for room; *sent tells how many went.
    // kDone when all went, kTimeout when some are left, kClosed when the connection broke.
    virtual SocketResult Send(const unsigned char* data, unsigned count, unsigned* sent,
                              int waitMs) = 0;
    // Waits at most waitMs for bytes, then takes what has arrived, at most count; *got
    // tells how many. kDone when some came, kTimeout when none, kClosed at the end.
    virtual SocketResult Receive(unsigned char* buffer, unsigned count, unsigned* got,
                                 int waitMs) = 0;
};

// Connects to host:port within waitMs, the name lookup included, with no delay on small
// writes (the line's frames are small and every millisecond of a reply window counts).
// Null with *result telling why when it failed.
std::unique_ptr<CSocket> ConnectTcp(const std::string& host, unsigned port, int waitMs,
                                    SocketResult* result);
