#include "settings/SerialDevices.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <map>
#include <string_view>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// Device name prefixes in the order they are offered: adapters before built-in ports.
constexpr std::array<std::string_view, 3> kPrefixes = {"ttyUSB", "ttyACM", "ttyS"};

// The group of a device name and its number, or a group past the end for other names.
std::pair<size_t, long> SortKey(const std::string& name) {
    for (size_t group = 0; group < kPrefixes.size(); ++group) {
        const std::string_view prefix = kPrefixes[group];
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                        [](unsigned char c) { return std::isdigit(c) != 0; })) {
            return {group, std::stol(name.substr(prefix.size()))};
        }
    }
    return {kPrefixes.size(), 0};
}

// The entries of folder, none when it cannot be read; never throws.
std::vector<fs::path> FolderEntries(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        entries.push_back(it->path());
    }
    return entries;
}

// The device node a name stands for, following links; the name itself when it cannot.
std::string Resolved(const fs::path& path) {
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    return error ? path.string() : target.string();
}

// by-id link target (the device node) -> the link itself.
std::map<std::string, std::string> StableNames(const fs::path& devFolder) {
    std::map<std::string, std::string> names;
    for (const fs::path& link : FolderEntries(devFolder / "serial" / "by-id")) {
        names.emplace(Resolved(link), link.string());
    }
    return names;
}

}  // namespace

std::vector<CSerialDevice> ListSerialDevices(const std::string& devFolder) {
    const std::map<std::string, std::string> stable = StableNames(devFolder);
    std::vector<std::pair<std::pair<size_t, long>, CSerialDevice>> found;
    for (const fs::path& entry : FolderEntries(devFolder)) {
        const auto key = SortKey(entry.filename().string());
        if (key.first == kPrefixes.size()) {
            continue;
        }
        const std::string device = entry.string();
        const auto link = stable.find(Resolved(entry));
        found.push_back({key, {link != stable.end() ? link->second : device, device}});
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<CSerialDevice> devices;
    for (auto& [key, device] : found) {
        devices.push_back(std::move(device));
    }
    return devices;
}
