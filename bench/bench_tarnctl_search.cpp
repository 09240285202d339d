// Times tarnctl search in real time through the operating system's serial port, against
// the simulated controllers served on a pseudo-terminal: until the results are printed
// (the search itself) and until the command ends (with the resume of the line). Prints
// both beside the protocol's floor of 45 x 200 ms + 3 x 160 ms + 250 ms.

#include <chrono>
#include <cstdio>
#include <sstream>
#include <streambuf>
#include <string>

#include "SearchLine.h"
#include "Tarnctl.h"

namespace {

using Clock = std::chrono::steady_clock;

// A stream buffer that notes when the first result character arrives.
class CTimedBuffer : public std::stringbuf {
public:
    explicit CTimedBuffer(Clock::time_point start) : start(start) {}
    double FirstMs() const { return firstMs; }

protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        Note();
        return std::stringbuf::xsputn(text, count);
    }
    int_type overflow(int_type c) override {
        Note();
        return std::stringbuf::overflow(c);
    }

private:
    void Note() {
        if (firstMs < 0) {
            firstMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
    }
    Clock::time_point start;
    double firstMs = -1;
};

}  // namespace

int main() {
    CSearchBenchLine bench;
    if (!bench.Open()) {
        return 1;
    }
    CPtyServer& server = bench.Server();
    const std::string device = server.DevicePath();
    const char* argv[] = {"tarnctl", "--device", device.c_str(), "search"};
    const auto start = Clock::now();
    CTimedBuffer buffer(start);
    std::ostream out(&buffer);
    std::ostringstream err;
    const int status = RunTarnctl(4, argv, out, err);
    const double totalMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    server.Stop();

    constexpr double floorMs = 45 * 200.0 + 3 * 160.0 + 250.0;
    std::printf("tarnctl search on %s, real time (exit status %d)\n", device.c_str(), status);
    std::printf(
        "  until the results:     %7.0f ms, floor %.0f ms, %+.2f %% (target: within 3 %%)\n",
        buffer.FirstMs(), floorMs, (buffer.FirstMs() / floorMs - 1.0) * 100.0);
    std::printf(
        "  whole command:         %7.0f ms, with the resume of 3 controllers and the "
        "broadcast resume (floor %.0f ms)\n",
        totalMs, floorMs + 6 * 160.0);
    std::printf("  found: %s", buffer.str().empty() ? "nothing\n" : "\n");
    std::printf("%s%s", buffer.str().c_str(), err.str().c_str());
    return 0;
}
