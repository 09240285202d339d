#pragma once
// tarnctl's command line: the command, its operands and the options that every command
// takes, and the controller address ID@RATE.

#include <string>
#include <vector>

// What an invocation asked for. Empty texts and 0 mean "not given".
struct CtlOptions {
    std::string command;
    std::vector<std::string> operands;
    int portIndex = -1;  // --port COMn: n - 1
    std::string device;  // --device PATH
    char parity = 0;     // --parity E|O|N|M|S
    std::string output;  // -o FILE
    std::string dateCode;
    char newId = 0;         // psf put --id
    int newBaudIndex = -1;  // psf put --rate
    int count = 1;          // scan --count
    bool json = false;
    bool csv = false;
    bool quiet = false;
    bool verbose = false;
    bool help = false;
};

// Parses argv[1..argc-1]. 1 when the line is well formed; else 0 with *error set.
int ParseOptions(int argc, const char* const* argv, CtlOptions* options, std::string* error);

// A controller on the line: its ID letter and the baud index of its rate.
struct CtlTarget {
    char id = 0;
    int baudIndex = 0;
};

// "C@19200" (also "c@19200"): an ID from A to O at 9600, 19200 or 38400. 1 when text is
// such an address.
int ParseTarget(const std::string& text, CtlTarget* target);
// "C@19200".
std::string TargetText(const CtlTarget& target);
