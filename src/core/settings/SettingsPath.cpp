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
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>
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

// A folder of the user's profile as the shell knows it (the environment may say
// otherwise, or nothing); empty when the shell cannot tell.
std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR folder = nullptr;
    std::string path;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &folder))) {
        path = Utf8Of(folder);
    }
    CoTaskMemFree(folder);
    return path;
}

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(Utf8Path(path), error);
}

// Where older versions kept the file: the Windows folder. Windows redirected a standard
// user's writes there to the user's VirtualStore, so the copy there is the one the user
// last saw and is taken first.
std::string OldPath() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    const std::string windows = Utf8Of({folder, length});
    const std::string local = KnownFolder(FOLDERID_LocalAppData);
    if (!local.empty() && windows.size() > 2 && windows[1] == ':') {
        const std::string redirected =
            local + "\\VirtualStore" + windows.substr(2) + "\\" + kFileName;
        if (Exists(redirected)) {
            return redirected;
        }
    }
    return windows + "\\" + kFileName;
}

std::string DefaultPath() {
    const std::string appData = KnownFolder(FOLDERID_RoamingAppData);
    const std::string old = OldPath();
    if (appData.empty()) {
        return old.empty() ? kFileName : old;
    }
    const std::string path = appData + "\\tarn\\" + kFileName;
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
