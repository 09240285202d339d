#pragma once
// A watchdog for a test that could hang the event loop: if the object still lives after
// the given time, the whole test program ends with a failure naming what hung, so that a
// hang fails the suite instead of stopping it. Nothing in the test thread can notice a
// loop that never returns to it, hence the thread of its own.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

class CWatchdog {
public:
    CWatchdog(std::chrono::seconds limit, std::string what)
        : thread([this, limit, what = std::move(what)] {
              std::unique_lock<std::mutex> lock(mutex);
              if (!done.wait_for(lock, limit, [this] { return finished; })) {
                  std::fprintf(stderr, "watchdog: %s did not finish within %lld s\n", what.c_str(),
                               static_cast<long long>(limit.count()));
                  std::fflush(stderr);
                  std::_Exit(EXIT_FAILURE);
              }
          }) {}
    ~CWatchdog() {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            finished = true;
        }
        done.notify_one();
        thread.join();
    }
    CWatchdog(const CWatchdog&) = delete;
    CWatchdog& operator=(const CWatchdog&) = delete;

private:
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::thread thread;  // last: it starts once the rest is made
};
