#pragma once
// The name lookup of a connection, bounded by the connect limit on every platform: the
// resolver runs on a thread of its own, and a lookup still under way at the deadline is
// left to end there unheard (what it finds is then freed). On Windows, Winsock must be
// started first.

#include <chrono>
#include <string>

#include "serial/Socket.h"

struct addrinfo;

// The addresses of host:port for a TCP connection, found before deadline: kDone with
// *addresses to free with freeaddrinfo, kUnknownHost when the name does not resolve,
// kNoAnswer when the lookup did not end in time.
SocketResult LookUpName(const std::string& host, unsigned port,
                        std::chrono::steady_clock::time_point deadline, addrinfo** addresses);
