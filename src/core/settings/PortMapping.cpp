#include "settings/PortMapping.h"

#include "serial/ComPort.h"
#include "settings/SettingsFile.h"

namespace {
constexpr char kPortsSection[] = "Ports";

std::string PortEntry(int portNumber) {
    return "COM" + std::to_string(portNumber + 1);
}
}  // namespace

std::string DevicePathForPort(int portNumber, const std::string& settingsPath) {
    const CSettingsFile settings(settingsPath);
    const std::string mapped = settings.GetString(kPortsSection, PortEntry(portNumber), "");
    return mapped.empty() ? DefaultDevicePath(portNumber) : mapped;
}

int MapPortToDevice(int portNumber, const std::string& devicePath,
                    const std::string& settingsPath) {
    CSettingsFile settings(settingsPath);
    return settings.WriteString(kPortsSection, PortEntry(portNumber), devicePath) != 0 &&
                   settings.Save() != 0
               ? 1
               : 0;
}
