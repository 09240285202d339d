#include "settings/PortFactory.h"

#include <utility>

#include "serial/ComPort.h"
#include "serial/NetworkPort.h"
#include "serial/RefusedPort.h"
#include "settings/PortMapping.h"
#include "settings/SettingsPath.h"

// The line settings of every connection besides rate and parity: 8 data bits, stop-bit
// code 1, DTR off, RTS on, no XON/XOFF, RTS/CTS or DTR/DSR handshaking. A device server's
// address opens the network port, a text of its scheme that is no address is refused by
// name, any other device opens the serial port.
std::unique_ptr<RS232> OpenSerialDevice(int portNumber, long baud, char parity,
                                        const std::string& devicePath) {
    const std::string device =
        devicePath.empty() ? DevicePathForPort(portNumber, SettingsFilePath()) : devicePath;
    const std::string refusal = NetworkAddressRefusal(device);
    if (!refusal.empty()) {
        // Built by appending: GCC 12 at -O3 takes a chain of + for an overlapping copy.
        std::string text;
        if (devicePath.empty()) {
            text.append("COM").append(std::to_string(portNumber + 1)).append(" is mapped to ");
        }
        text.append("'").append(ShownAddress(device)).append("'");
        text.append(devicePath.empty() ? ", which " : " ").append(refusal);
        return std::make_unique<CRefusedPort>(portNumber, text);
    }
    CNetworkAddress address;
    if (ParseNetworkAddress(device, &address) != 0) {
        return std::make_unique<CNetworkPort>(portNumber, address, baud, parity, 8, 1, 0, 1, 0, 0,
                                              0);
    }
    return std::make_unique<CComPort>(portNumber, baud, parity, 8, 1, 0, 1, 0, 0, 0, device);
}

namespace {

std::unique_ptr<RS232> OpenComPort(int portNumber, long baud, char parity) {
    return OpenSerialDevice(portNumber, baud, parity, {});
}

PortFactory& Installed() {
    static PortFactory factory = OpenComPort;
    return factory;
}

}  // namespace

void InstallPortFactory(PortFactory factory) {
    Installed() = factory ? std::move(factory) : PortFactory(OpenComPort);
}

std::unique_ptr<RS232> OpenPort(int portNumber, long baud, char parity) {
    return Installed()(portNumber, baud, parity);
}

CScopedPortFactory::CScopedPortFactory(PortFactory factory) : previous(Installed()) {
    InstallPortFactory(std::move(factory));
}

CScopedPortFactory::~CScopedPortFactory() {
    Installed() = std::move(previous);
}
