#pragma once
// Which device a COM port number opens. The settings file's section "Ports" maps a port
// to any device ("COM2=/dev/ttyUSB0"); an unmapped port opens its usual device
// (DefaultDevicePath: COMn is /dev/ttySn-1 on Linux, \\.\COMn on Windows).

#include <string>

// portNumber is 0-based (0 is COM1); settingsPath is the settings file to read.
std::string DevicePathForPort(int portNumber, const std::string& settingsPath);

// Maps COM portNumber + 1 to devicePath in the settings file and saves it; 1 on success.
int MapPortToDevice(int portNumber, const std::string& devicePath, const std::string& settingsPath);
