#pragma once
// The port factory: every serial port the program opens is made here. The program opens
// the operating system's serial port; tests install a factory that hands out the
// simulated controllers' in-process port or a scripted one.

#include <functional>
#include <memory>
#include <string>

#include "serial/RS232.h"

// Makes a port for COM portNumber + 1 at baud with parity (8 data bits, one stop bit,
// DTR off, RTS on, no handshaking). The caller reads the port's Status(): 0 means open.
using PortFactory = std::function<std::unique_ptr<RS232>(int portNumber, long baud, char parity)>;

// The port at devicePath (a serial device or a device server's address), with the line
// settings above; an empty devicePath opens what the settings file maps COM
// portNumber + 1 to.
std::unique_ptr<RS232> OpenSerialDevice(int portNumber, long baud, char parity,
                                        const std::string& devicePath);

// Installs factory for the whole process; an empty one restores the serial-port factory.
void InstallPortFactory(PortFactory factory);
// Makes a port with the installed factory; never null.
std::unique_ptr<RS232> OpenPort(int portNumber, long baud, char parity);

// Installs a factory for the lifetime of the object and restores the previous one.
class CScopedPortFactory {
public:
    explicit CScopedPortFactory(PortFactory factory);
    ~CScopedPortFactory();
    CScopedPortFactory(const CScopedPortFactory&) = delete;
    CScopedPortFactory& operator=(const CScopedPortFactory&) = delete;

private:
    PortFactory previous;
};
