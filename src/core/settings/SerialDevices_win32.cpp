// The COM ports present on Windows, as the system lists them in the registry
// (HARDWARE\DEVICEMAP\SERIALCOMM: the driver's device name -> "COMn").

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "settings/SerialDevices.h"

namespace {

constexpr char kPortsKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr char kComPrefix[] = "COM";

}  // namespace

std::vector<CSerialDevice> ListSerialDevices(const std::string&) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<std::pair<long, CSerialDevice>> found;
    for (DWORD index = 0;; ++index) {
        char name[MAX_PATH];
        DWORD nameLength = sizeof name;
        char port[64] = {};
        DWORD portSize = sizeof port - 1;  // room for a terminator the registry may omit
        DWORD type = 0;
        const LONG result = RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(port), &portSize);
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        const std::string portName(port);
        if (result != ERROR_SUCCESS || type != REG_SZ || portName.rfind(kComPrefix, 0) != 0) {
            continue;
        }
        const long number = std::strtol(portName.c_str() + sizeof kComPrefix - 1, nullptr, 10);
        found.push_back({number, {"\\\\.\\" + portName, std::string(name, nameLength)}});
    }
    RegCloseKey(key);
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<CSerialDevice> devices;
    for (auto& [number, device] : found) {
        devices.push_back(std::move(device));
    }
    return devices;
}
