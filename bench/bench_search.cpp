// Times a whole controller search on the in-process simulated line, in virtual time:
// the suspend broadcast at three rates, the pause, and 45 pings. Prints the search's
// duration beside the protocol's own floor of 45 pings x 200 ms.

#include <cstdio>
#include <memory>

#include "SimLine.h"
#include "SimPort.h"
#include "protocol/ControllerLink.h"
#include "serial/Clock.h"

int main() {
    CScopedVirtualClock clock(0);
    CSimLine line;
    line.AddController('A', 0);
    line.AddController('C', 2);
    line.AddController('H', 1);
    CControllerLink link(std::make_unique<CSimPort>(line, *clock, 9600, 'E'), 'A');

    ControllerTable table{};
    const uint32_t searchStart = TickCount();
    link.FindControllers(&table);
    const uint32_t search = TicksSince(searchStart);

    const uint32_t bracketStart = TickCount();
    link.SuspendAll(160);
    DelayMs(250);
    const uint32_t bracket = TicksSince(bracketStart);

    constexpr double floorMs = 45 * 200.0;
    std::printf("controller search (45 pings), virtual time: %u ms\n", search);
    std::printf("protocol floor 45 x 200 ms:                 %.0f ms\n", floorMs);
    std::printf("ratio to the floor:                         %.3f\n", search / floorMs);
    std::printf("suspend broadcast and pause:                %u ms (floor 730 ms)\n", bracket);
    return 0;
}
