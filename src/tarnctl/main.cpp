// tarnctl: the controllers from the command line.

#include <iostream>

#include "CtlStop.h"
#include "Tarnctl.h"

int main(int argc, char** argv) {
    InstallStopHandler();
    return RunTarnctl(argc, argv, std::cout, std::cerr);
}
