// tarnctl through device servers that misbehave: a line that does not follow a rate
// change, a raw server at one rate, a connection lost in the middle of a command. The
// exit status tells the outcome and no controller is left suspended.

#include <gtest/gtest.h>

#include "DeviceServerFaults.h"
#include "TarnctlRun.h"

namespace {

// Controllers at each searched rate: A at 9600, H at 19200, C at 38400.
void AddOnePerRate(CTarnctlLine& ctl) {
    ctl.line.AddController('A', 0);
    ctl.line.AddController('H', 1);
    ctl.line.AddController('C', 2);
}

// Every port the command opens stands behind faults.
CScopedPortFactory FaultyServer(CTarnctlLine& ctl, const DeviceServerFaults& faults) {
    return CScopedPortFactory([&ctl, faults](int portNumber, long baud, char parity) {
        const long lineBaud = faults.fixedBaud != 0 ? faults.fixedBaud : baud;
        return std::make_unique<CDeviceServerFaultPort>(
            std::make_unique<CSimPort>(ctl.line, *ctl.clock, lineBaud, parity, portNumber), faults);
    });
}

void ExpectNoneSuspended(CTarnctlLine& ctl) {
    for (int i = 0; i < ctl.line.ControllerCount(); ++i) {
        EXPECT_FALSE(ctl.line.Controller(i).IsSuspended()) << ctl.line.Controller(i).Id();
    }
}

// The frames every controller heard, controller after controller.
std::string AllLetters(CTarnctlLine& ctl) {
    std::string letters;
    for (int i = 0; i < ctl.line.ControllerCount(); ++i) {
        letters += Letters(ctl.line.Controller(i)) + "|";
    }
    return letters;
}

TEST(TarnctlDeviceServerTest, ARateTheLineDoesNotTakeIsNeitherSearchedNorUsed) {
    struct Case {
        const char* name;
        DeviceServerFaults faults;
        const char* found;
        int status;
        const char* told;
        const char* refused;  // a controller address the line cannot reach
    };
    const Case cases[] = {
        {"keeps 9600",
         {{19200, 38400}},
         "A@9600\n",
         3,
         "tarnctl: search: The device server did not change the line's rate to 19200 and 38400 "
         "baud: no controller was searched at those rates.\n",
         "C@38400"},
        {"refuses 19200",
         {{19200}},
         "A@9600\nC@38400\n",
         3,
         "tarnctl: search: The device server did not change the line's rate to 19200 baud: no "
         "controller was searched at that rate.\n",
         "H@19200"},
        {"raw at 19200", {{}, 19200}, "H@19200\n", 0, "", "A@9600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTarnctlLine ctl;
        AddOnePerRate(ctl);
        const CScopedPortFactory server = FaultyServer(ctl, c.faults);
        const CtlRun run = ctl.Run({"search"});
        EXPECT_EQ(run.out, c.found);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, c.told);
        ExpectNoneSuspended(ctl);

        // A controller at a rate the line does not take is refused before anything is
        // sent; talking at the line's rate would reach another controller.
        const std::string before = AllLetters(ctl);
        const CtlRun get = ctl.Run({"psf", "get", c.refused});
        EXPECT_EQ(get.status, 3);
        EXPECT_EQ(get.err, std::string("tarnctl: ") + c.refused + ": " +
                               CDeviceServerFaultPort::kKeptText + "\n");
        EXPECT_EQ(AllLetters(ctl), before);
    }
}

}  // namespace
