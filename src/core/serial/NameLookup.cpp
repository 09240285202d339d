#include "serial/NameLookup.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#endif

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// What the resolver's thread and the waiting connect share.
struct CLookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    int error = 0;
    addrinfo* addresses = nullptr;
};

}  // namespace

SocketResult LookUpName(const std::string& host, unsigned port,
                        std::chrono::steady_clock::time_point deadline, addrinfo** addresses) {
    auto lookup = std::make_shared<CLookup>();
    std::thread([lookup, host, service = std::to_string(port)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo* found = nullptr;
        const int error = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        const std::lock_guard<std::mutex> lock(lookup->mutex);
        if (lookup->abandoned) {
            if (found != nullptr) {
                freeaddrinfo(found);
            }
            return;
        }
        lookup->error = error;
        lookup->addresses = found;
        lookup->done = true;
        lookup->finished.notify_one();
    }).detach();
    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->finished.wait_until(lock, deadline, [&] { return lookup->done; })) {
        lookup->abandoned = true;
        return SocketResult::kNoAnswer;
    }
    if (lookup->error != 0) {
        return SocketResult::kUnknownHost;
    }
    *addresses = lookup->addresses;
    return SocketResult::kDone;
}
