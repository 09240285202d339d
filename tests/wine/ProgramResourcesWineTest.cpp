// tarnctl.exe as Windows reads it before starting it: a manifest that asks for the UTF-8
// code page and long paths, the program's icon, and version information naming the
// program's version.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::wstring TarnctlPath() {
    std::string exe = TARNCTL_EXE;
    std::replace(exe.begin(), exe.end(), '/', '\\');
    return L"Z:" + std::wstring(exe.begin(), exe.end());
}

TEST(ProgramResourcesWineTest, TarnctlCarriesItsManifestIconAndVersion) {
    const std::wstring path = TarnctlPath();
    const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, found);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    const std::string manifest(bytes, SizeofResource(module, found));
    const HICON icon = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    EXPECT_NE(nullptr, icon);
    if (icon != nullptr) {
        DestroyIcon(icon);
    }
    FreeLibrary(module);
    EXPECT_NE(std::string::npos, manifest.find(">UTF-8</activeCodePage>"));
    EXPECT_NE(std::string::npos, manifest.find(">true</longPathAware>"));

    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
    wchar_t* version = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                               reinterpret_cast<void**>(&version), &length));
    EXPECT_EQ(std::wstring(TARN_VERSION_TEXT), std::wstring(version));
}

}  // namespace
