// Times a whole controller search in real time through the operating system's serial port,
// against the simulated controllers served on a pseudo-terminal: the suspend broadcast at
// three rates with 160 ms after each, the 250 ms pause, and 45 pings. Prints it beside the
// protocol's own floor of 45 x 200 ms + 3 x 160 ms + 250 ms. With --ser2net the search
// goes through the serial-to-network proxy serving the pseudo-terminal on a loopback port.

#include <chrono>
#include <cstdio>
#include <memory>

#include "BenchPort.h"
#include "SearchLine.h"
#include "protocol/ControllerLink.h"
#include "serial/Clock.h"

namespace {

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    CBenchPort bench(argc, argv);
    CSearchBenchLine line;
    if (!line.Open()) {
        return 1;
    }
    CPtyServer& server = line.Server();
    auto port = bench.Open(server.DevicePath(), 9600);
    if (port == nullptr) {
        return 1;
    }
    CControllerLink link(std::move(port), 'A');

    ControllerTable table{};
    const auto start = std::chrono::steady_clock::now();
    link.SuspendAll(160);
    DelayMs(250);
    const double bracket = MsSince(start);
    link.FindControllers(&table);
    const double total = MsSince(start);
    server.Stop();

    constexpr double floorMs = 45 * 200.0 + 3 * 160.0 + 250.0;
    std::printf("controller search on %s, real time\n", bench.Route(server.DevicePath()).c_str());
    std::printf("  suspend broadcast and pause: %7.0f ms (floor 730 ms)\n", bracket);
    std::printf("  45 pings:                    %7.0f ms (floor 9000 ms)\n", total - bracket);
    std::printf("  whole search:                %7.0f ms\n", total);
    std::printf("  protocol floor:              %7.0f ms\n", floorMs);
    std::printf(
        "  over the floor:              %7.2f %% (target: within 3 %%, 5 %% through ser2net)\n",
        (total / floorMs - 1.0) * 100.0);
    std::printf("  found:");
    for (char id = kFirstId; id <= kLastId; ++id) {
        int baudIndex = 0;
        if (FindBaudIndex(table, id, &baudIndex)) {
            std::printf(" %c at %ld", id, CControllerLink::BaudRateOf(baudIndex));
        }
    }
    std::printf("\n");
    return 0;
}
