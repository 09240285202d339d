// Where the Windows program finds its settings file on first start: the copy of the old
// program's settings that Windows redirected into the user's VirtualStore is the one
// adopted, before the copy in the Windows folder itself.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "settings/SettingsFile.h"
#include "settings/SettingsPath.h"

namespace fs = std::filesystem;

namespace {

fs::path Known(REFKNOWNFOLDERID id) {
    PWSTR folder = nullptr;
    fs::path path;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &folder))) {
        path = folder;
    }
    CoTaskMemFree(folder);
    return path;
}

fs::path WindowsFolder() {
    wchar_t folder[MAX_PATH];
    return fs::path(std::wstring(folder, GetWindowsDirectoryW(folder, MAX_PATH)));
}

TEST(SettingsPathWineTest, TheVirtualStoreCopyOfTheOldSettingsIsAdoptedFirst) {
    const fs::path fresh = Known(FOLDERID_RoamingAppData) / "tarn" / "tarn.INI";
    const fs::path windows = WindowsFolder() / "tarn.INI";
    const fs::path redirected = Known(FOLDERID_LocalAppData) / "VirtualStore" /
                                WindowsFolder().relative_path() / "tarn.INI";
    ASSERT_FALSE(fs::exists(fresh));
    fs::create_directories(redirected.parent_path());
    std::ofstream(windows, std::ios::binary) << "[Communication]\r\nPort=3\r\n";
    std::ofstream(redirected, std::ios::binary) << "[Communication]\r\nPort=5\r\n";

    const std::string path = SettingsFilePath();
    const int port = CSettingsFile(path).GetInt("Communication", "Port", 0);
    fs::remove(fresh);
    fs::remove(windows);
    fs::remove(redirected);
    EXPECT_EQ(fresh.string(), path);
    EXPECT_EQ(5, port);
}

}  // namespace
