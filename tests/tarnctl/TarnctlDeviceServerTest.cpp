// tarnctl through device servers that misbehave: a line that does not follow a rate
// change, a raw server at one rate, a connection lost in the middle of a command. The
// exit status tells the outcome and no controller is left suspended.

#include <gtest/gtest.h>

#include "DeviceServerFaults.h"
#include "TarnctlRun.h"
#include "sequences/LostConnection.h"

namespace {

// Controllers at each searched rate: A at 9600, H at 19200, C at 38400.
void AddOnePerRate(CTarnctlLine& ctl) {
    ctl.line.AddController('A', 0);
    ctl.line.AddController('H', 1)->Psf().SetMeasMode(1, 'C');
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

// No controller is left suspended or in alignment mode.
void ExpectLeftAsFound(CTarnctlLine& ctl) {
    for (int i = 0; i < ctl.line.ControllerCount(); ++i) {
        EXPECT_FALSE(ctl.line.Controller(i).IsSuspended()) << ctl.line.Controller(i).Id();
        EXPECT_FALSE(ctl.line.Controller(i).InAlignmentMode()) << ctl.line.Controller(i).Id();
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
        {"follows no change",
         {{9600, 19200, 38400}},
         "",
         3,
         "tarnctl: search: The device server did not change the line's rate to 9600, 19200 and "
         "38400 baud: no controller was searched at those rates.\n",
         "A@9600"},
        {"raw at 19200", {{}, 19200}, "H@19200\n", 0, "", "A@9600"},
    };
    const CTempFolder saved;
    const std::string backup = saved.File("backup");
    {
        CTarnctlLine clean;
        AddOnePerRate(clean);
        ASSERT_EQ(clean.Run({"backup", backup}).status, 0);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTarnctlLine ctl;
        AddOnePerRate(ctl);
        const CScopedPortFactory server = FaultyServer(ctl, c.faults);
        const CtlRun run = ctl.Run({"search"});
        EXPECT_EQ(run.out, c.found);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, c.told);
        ExpectLeftAsFound(ctl);

        // A controller at a rate the line does not take is refused before anything is
        // sent; talking at the line's rate would reach another controller.
        const std::string before = AllLetters(ctl);
        const CtlRun get = ctl.Run({"psf", "get", c.refused});
        EXPECT_EQ(get.status, 3);
        EXPECT_EQ(get.err, std::string("tarnctl: ") + c.refused + ": " +
                               CDeviceServerFaultPort::kKeptText + "\n");
        EXPECT_EQ(AllLetters(ctl), before);

        // A backup passes over no rate in silence, and a restore gives nothing to a
        // controller at a rate the line does not take.
        std::string told = c.told;
        if (!told.empty()) {
            told.replace(told.find("search"), 6, "backup");
            told += "tarnctl: backup not made (not every rate was searched); ";
        }
        const CtlRun made = ctl.Run({"backup", saved.File(c.name)});
        EXPECT_EQ(made.status, c.status);
        EXPECT_EQ(made.err.substr(0, told.size()), told);
        // The hold's suspend and resume go out whether the rate was set or not.
        const auto commands = [&] {
            std::string letters = Letters(*ctl.line.Find(c.refused[0]));
            std::erase_if(letters, [](char letter) { return letter == 'V' || letter == 'v'; });
            return letters;
        };
        const std::string heard = commands();
        const CtlRun restored = ctl.Run({"restore", backup});
        EXPECT_EQ(restored.status, 3);
        EXPECT_NE(restored.out.find(std::string(c.refused) + " not restored\n"), std::string::npos);
        EXPECT_NE(restored.err.find(std::string("tarnctl: ") + c.refused + ": " +
                                    CDeviceServerFaultPort::kKeptText + "\n"),
                  std::string::npos);
        EXPECT_EQ(commands(), heard);
        ExpectLeftAsFound(ctl);
    }
}

// The first port the command opens loses its connection at the write lossAt; the ports
// opened after it are healthy, or do not open at all with reconnectFails.
CScopedPortFactory LosingServer(CTarnctlLine& ctl, int lossAt, bool reconnectFails, int* opened) {
    *opened = 0;
    return CScopedPortFactory(
        [&ctl, lossAt, reconnectFails, opened](int portNumber, long baud, char parity) {
            auto sim = std::make_unique<CSimPort>(ctl.line, *ctl.clock, baud, parity, portNumber);
            if ((*opened)++ > 0 && reconnectFails) {
                sim->SetStatus(kPortNotFound);
            }
            DeviceServerFaults faults;
            faults.writesBeforeLoss = *opened == 1 ? lossAt : -1;
            return std::make_unique<CDeviceServerFaultPort>(std::move(sim), faults);
        });
}

// The connection lost at every write of a command in turn: the command ends with exit 3
// and the message naming the server, a search lists nothing or (lost during the resume)
// the whole list, and the closing steps and the resume sent over a new connection leave
// no controller suspended or in alignment mode. When the new connection fails too, the operator is
// told.
TEST(TarnctlDeviceServerTest, AConnectionLostAtAnyWriteEndsWith3AndLeavesNobodySuspended) {
    const CTempFolder saved;
    const std::vector<std::vector<std::string>> commands = {
        {"search"},
        {"psf", "get", "H@19200"},
        {"scan", "H@19200", "--count", "3"},
        {"diag", "H@19200"},
        {"part-number", "H@19200", "000123", "--date-code", "1107"},
        {"blanking", "get", "H@19200", "-o", saved.File("H.bfs")},
        {"blanking", "put", "H@19200", saved.File("H.bfs")},
        {"backup", saved.File("backup")},
        {"restore", saved.File("backup")}};
    const std::string lost = std::string("tarnctl: ") + CDeviceServerFaultPort::kLostText + "\n";
    constexpr int kMostWrites = 400;  // bounds the sweep of a command that would not end
    for (const auto& words : commands) {
        SCOPED_TRACE(words[0]);
        std::string whole;
        {
            CTarnctlLine clean;
            AddOnePerRate(clean);
            const CtlRun run = clean.Run(words);
            ASSERT_EQ(run.status, 0) << run.err;
            whole = run.out;
        }
        int lossAt = 0;
        for (; lossAt < kMostWrites; ++lossAt) {
            CTarnctlLine ctl;
            AddOnePerRate(ctl);
            int opened = 0;
            const CScopedPortFactory server = LosingServer(ctl, lossAt, false, &opened);
            const CtlRun run = ctl.Run(words);
            if (run.status == 0) {
                break;  // the command needed no more writes than that
            }
            SCOPED_TRACE("lost at write " + std::to_string(lossAt) + ": " + run.err);
            EXPECT_EQ(run.status, 3);
            EXPECT_NE(run.err.find(lost), std::string::npos);
            EXPECT_EQ(run.err.find("may still be suspended"), std::string::npos);
            EXPECT_EQ(opened, 2);
            if (words[0] == "search") {
                EXPECT_TRUE(run.out.empty() || run.out == whole) << run.out;
            }
            ExpectLeftAsFound(ctl);
        }
        EXPECT_GE(lossAt, 3);
        EXPECT_LT(lossAt, kMostWrites);
    }

    // Lost after the suspends, and no new connection: the operator hears that the
    // controllers may still be suspended, and the next search resumes them.
    CTarnctlLine ctl;
    AddOnePerRate(ctl);
    int opened = 0;
    {
        const CScopedPortFactory server = LosingServer(ctl, 3, true, &opened);
        const CtlRun run = ctl.Run({"search"});
        EXPECT_EQ(run.status, 3);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, lost + "tarnctl: " + kMayStaySuspended + "\n");
        EXPECT_TRUE(ctl.line.Find('C')->IsSuspended());
    }
    EXPECT_EQ(ctl.Run({"search"}).out, "A@9600\nC@38400\nH@19200\n");
    ExpectLeftAsFound(ctl);
}

TEST(TarnctlDeviceServerTest, AnAddressWithAPasswordIsRefusedWithoutShowingIt) {
    CTarnctlLine ctl;
    const CtlRun run = ctl.Run({"diag", "C@19200", "--device", "rfc2217://user:secret@h:4001"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err,
              "tarnctl: Unable to open rfc2217://h:4001:\n'rfc2217://h:4001' carries a user name "
              "or password, which a device server does not take; the form is "
              "rfc2217://host:port\n");
}

}  // namespace
