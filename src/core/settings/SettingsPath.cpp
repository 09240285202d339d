#include "settings/SettingsPath.h"

#include <cstdlib>
#include <limits>
#include <string_view>
#include <system_error>
#include <vector>

#include "files/AtomicFile.h"
#include "files/Utf8Path.h"

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
std::string Utf8Of(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

// Where older versions kept the file, which a standard user may not write any more.
std::string WindowsFolderPath() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return Utf8Of({folder, length}) + "\\" + kFileName;
}

std::string DefaultPath() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    const std::string old = WindowsFolderPath();
    if (appData == nullptr || *appData == L'\0') {
        return old.empty() ? kFileName : old;
    }
    const std::string path = Utf8Of(appData) + "\\tarn\\" + kFileName;
    return old.empty() ? path : AdoptSettingsFile(path, old);
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

std::string AdoptSettingsFile(const std::string& path, const std::string& oldPath) {
    std::error_code error;
    std::vector<unsigned char> bytes;
    if (std::filesystem::exists(Utf8Path(path), error) ||
        !ReadFileStart(oldPath, std::numeric_limits<size_t>::max(), &bytes)) {
        return path;
    }
    std::filesystem::create_directories(Utf8Path(path).parent_path(), error);
    return WriteFileAtomically(path, bytes.data(), bytes.size()) ? path : oldPath;
}
