// tarnctl: the controllers from the command line.

#include <iostream>
#include <string>
#include <vector>

#include "CtlArguments.h"
#include "CtlStop.h"
#include "Tarnctl.h"

int main(int argc, char** argv) {
    InstallStopHandler();
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    pointers.push_back(nullptr);
    return RunTarnctl(static_cast<int>(arguments.size()), pointers.data(), std::cout, std::cerr);
}
