// Times a whole controller search in real time through a port: the suspend broadcast at
// three rates with 160 ms after each, the 250 ms pause, and 45 pings. Prints it beside the
// protocol's own floor of 45 x 200 ms + 3 x 160 ms + 250 ms.
//
//   bench_search_port            serves simulated controllers on a pseudo-terminal (POSIX)
//   bench_search_port --ser2net  the same, through the serial-to-network proxy serving the
//                                pseudo-terminal on a loopback port
//   bench_search_port DEVICE     searches the line behind DEVICE, such as a COM port that
//                                wine maps to tarnsim (scripts/bench-windows.sh)

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "protocol/ControllerLink.h"
#include "serial/Clock.h"
#include "serial/ComPort.h"
#ifndef _WIN32
#include "BenchPort.h"
#include "SearchLine.h"
#endif

namespace {

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

int Search(std::unique_ptr<RS232> port, const std::string& route) {
    CControllerLink link(std::move(port), 'A');

    ControllerTable table{};
    const auto start = std::chrono::steady_clock::now();
    link.SuspendAll(160);
    DelayMs(250);
    const double bracket = MsSince(start);
    link.FindControllers(&table);
    const double total = MsSince(start);

    constexpr double floorMs = 45 * 200.0 + 3 * 160.0 + 250.0;
    std::printf("controller search on %s, real time\n", route.c_str());
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

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
    CBenchPort bench(argc, argv);
#endif
    if (argc > 1) {
        const std::string device = argv[1];
        auto port = std::make_unique<CComPort>(0, 9600, 'E', 8, 1, 0, 1, 0, 0, 0, device);
        if (port->Status() != 0) {
            std::fprintf(stderr, "cannot open %s: %s\n", device.c_str(),
                         port->StatusText(port->Status()));
            return 1;
        }
        return Search(std::move(port), device);
    }
#ifdef _WIN32
    std::fprintf(stderr, "usage: bench_search_port DEVICE\n");
    return 2;
#else
    CSearchBenchLine line;
    if (!line.Open()) {
        return 1;
    }
    CPtyServer& server = line.Server();
    auto port = bench.Open(server.DevicePath(), 9600);
    if (port == nullptr) {
        return 1;
    }
    const int result = Search(std::move(port), bench.Route(server.DevicePath()));
    server.Stop();
    return result;
#endif
}
