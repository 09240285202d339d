#pragma once
// The texts of tarnctl --help and tarnctl COMMAND --help.

#include <string_view>

struct CtlCommandHelp {
    std::string_view name;
    std::string_view usage;  // one line
    std::string_view text;   // what it does, its operands and options
};

// The general help: every command in a line, and the common options.
std::string_view GeneralHelp();
// The help of command, or nullptr when there is no such command.
const CtlCommandHelp* CommandHelp(std::string_view command);
