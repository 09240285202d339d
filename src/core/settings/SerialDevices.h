#pragma once
// The serial devices present on this computer, for choosing which device a COM port
// opens: USB adapters (ttyUSB, ttyACM) and built-in ports (ttyS). A device with a stable
// name under serial/by-id is offered by that name, which survives replugging and the
// order in which adapters are found. On Windows (SerialDevices_win32.cpp): the COM ports
// the system lists, as \.\COMn, each with its driver's device name.

#include <string>
#include <vector>

struct CSerialDevice {
    std::string path;    // the name to store: the by-id link when there is one
    std::string device;  // the device node it stands for, e.g. /dev/ttyUSB0
};

// Lists the devices under devFolder ("/dev" on a real system): adapters first, then the
// built-in ports, each group in numeric order. On Windows devFolder is not used, and the
// ports come in the order of their numbers.
std::vector<CSerialDevice> ListSerialDevices(const std::string& devFolder = "/dev");
