#include "app/PortMapping.h"

#include "app/SettingsFile.h"
#include "serial/ComPort.h"

std::string DevicePathForPort(int portNumber, const std::string& settingsPath) {
    const CSettingsFile settings(settingsPath);
    const std::string mapped =
        settings.GetString("Ports", "COM" + std::to_string(portNumber + 1), "");
    return mapped.empty() ? DefaultDevicePath(portNumber) : mapped;
}
