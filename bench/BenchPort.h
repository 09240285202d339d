#pragma once
// The port a benchmark runs on: the operating system's serial port on the simulator's
// pseudo-terminal, or, with the option --ser2net, the network port through the
// serial-to-network proxy serving that pseudo-terminal on a loopback port.

#include <memory>
#include <string>

#include "Ser2net.h"
#include "serial/RS232.h"

class CBenchPort {
public:
    // Takes --ser2net out of the arguments when it is there.
    CBenchPort(int& argc, char** argv);

    // Opens the port on device at baud (even parity, 8 data bits, as every command opens
    // it); prints why and answers null when it cannot.
    std::unique_ptr<RS232> Open(const std::string& device, long baud);
    // What the port goes through, for the printed heading.
    std::string Route(const std::string& device) const;

private:
    bool throughProxy = false;
    std::unique_ptr<CSer2net> proxy;
};
