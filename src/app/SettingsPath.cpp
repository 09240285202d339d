#include "app/SettingsPath.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

constexpr const char* kFileName = "tarn.INI";

std::string& Override() {
    static std::string path;
    return path;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

#ifdef _WIN32
std::string DefaultPath() {
    char folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return kFileName;
    }
    return std::string(folder, length) + "\\" + kFileName;
}
#else
std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        const passwd* user = getpwuid(getuid());
        if (user != nullptr && user->pw_dir != nullptr) {
            home = user->pw_dir;
        }
    }
    return home;
}

std::string DefaultPath() {
    std::string folder = Environment("XDG_CONFIG_HOME");
    // Relative values are invalid for this variable and are ignored.
    if (folder.empty() || folder.front() != '/') {
        folder = HomeFolder() + "/.config";
    }
    return folder + "/tarn/" + kFileName;
}
#endif

}  // namespace

std::string SettingsFilePath() {
    if (!Override().empty()) {
        return Override();
    }
    const std::string fromEnvironment = Environment("TARN_SETTINGS");
    return fromEnvironment.empty() ? DefaultPath() : fromEnvironment;
}

void OverrideSettingsFilePath(const std::string& path) {
    Override() = path;
}
