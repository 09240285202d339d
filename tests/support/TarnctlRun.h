#pragma once
// Runs tarnctl in-process against a line of simulated controllers on the virtual clock,
// with a settings file of its own, and keeps what it printed and answered.

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "SimLine.h"
#include "SimPort.h"
#include "Tarnctl.h"
#include "TempFolder.h"
#include "serial/Clock.h"
#include "settings/PortFactory.h"
#include "settings/SettingsPath.h"

struct CtlRun {
    int status;
    std::string out;
    std::string err;
};

class CTarnctlLine {
public:
    CTarnctlLine()
        : factory([this](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
              return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
          }) {
        OverrideSettingsFilePath(folder.File("tarn.INI"));
    }
    ~CTarnctlLine() { OverrideSettingsFilePath(""); }
    CTarnctlLine(const CTarnctlLine&) = delete;
    CTarnctlLine& operator=(const CTarnctlLine&) = delete;

    // tarnctl with these words after the program's name.
    CtlRun Run(const std::vector<std::string>& words) {
        std::vector<std::string> args{"tarnctl"};
        args.insert(args.end(), words.begin(), words.end());
        std::vector<const char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(arg.c_str());
        }
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunTarnctl(static_cast<int>(argv.size()), argv.data(), out, err);
        return {status, out.str(), err.str()};
    }

    CScopedVirtualClock clock{1000};
    CSimLine line;
    CTempFolder folder;

private:
    CScopedPortFactory factory;
};

// The command letters of the frames a controller got, in order.
inline std::string Letters(const CSimController& controller) {
    std::string letters;
    for (const SimReceivedFrame& frame : controller.Received()) {
        letters += static_cast<char>(frame.bytes[2]);
    }
    return letters;
}
