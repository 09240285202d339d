#pragma once
// SimSetup: what tarnsim serves, as its command line or its configuration file gives it:
// the controllers on the line, the faults they commit, the object moving through their
// beams, and where to link the device. An option is a name and a value; the value is a
// list of fields separated by commas, the first ones by position, the rest key=value.

#include <cstdint>
#include <string>
#include <vector>

#include "SimController.h"
#include "SimFault.h"
#include "SimLine.h"

struct SimChannelError {
    SimSide side;
    int board;    // 1..12
    int channel;  // 1..64
};

// Channels first..last, 0-based, inclusive.
struct SimChannelRange {
    int first;
    int last;
};

struct SimControllerSetup {
    char id = 'A';
    int baudIndex = 0;
    int parityIndex = 2;
    int emitterBoards = 1;
    int receiverBoards = 1;
    std::vector<SimChannelError> errors;
    std::vector<SimChannelRange> blocked;
    uint32_t partNumber = 0;
    uint16_t dateCode = 0;
    // Measurement modes 1 and 2 of its PSF: first blocked beam and total blocked beams,
    // so that measurement scans show the moving object.
    char measureModes[2] = {'A', 'E'};
};

// A fault for every controller that has the ID.
struct SimFaultSetup {
    char id;
    SimFault fault;
};

struct SimSetup {
    std::vector<SimControllerSetup> controllers;
    std::vector<SimFaultSetup> faults;
    int objectWidth = 8;  // channels; 0: no moving object
    uint32_t objectPeriodMs = 6000;
    std::string link;  // where to put a symbolic link to the device; empty: none
    bool trace = false;
};

// Takes one option: name without its leading dashes ("controller", "fault", "object",
// "link", "trace", "config"), and its value. Answers 1, or 0 with error set.
int TakeSetupOption(SimSetup& setup, const std::string& name, const std::string& value,
                    std::string& error);
// Takes the options of a configuration file: one a line, the name, blanks and the value;
// '#' starts a comment. A file does not name another file.
int ReadSetupFile(SimSetup& setup, const std::string& path, std::string& error);
// Takes the command line after the program name: --name value or --name=value, and
// --trace alone.
int TakeSetupArguments(SimSetup& setup, const std::vector<std::string>& arguments,
                       std::string& error);

// The demonstration line, for a setup that names no controller: A at 9600 with two
// emitter and two receiver boards, and C at 38400 with one of each.
void AddDefaultControllers(SimSetup& setup);

// Puts the controllers and their faults on line. Answers 1, or 0 with error set (too
// many controllers, a channel the controller does not have, a fault for no controller).
int BuildLine(const SimSetup& setup, CSimLine& line, std::string& error);
