// tarnctl.exe started as Windows starts it, under wine: file names beyond the ANSI code
// page reach the command whole, and a backup into such a folder keeps every file there.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "UnixTarnsim.h"
#include "records/Psf.h"

namespace fs = std::filesystem;

namespace {

// Runs tarnctl.exe with the wide command line arguments, for at most limitMs; its exit
// status, or -1.
DWORD RunTarnctl(const std::wstring& arguments, DWORD limitMs = 30000) {
    std::string exe = TARNCTL_EXE;
    std::replace(exe.begin(), exe.end(), '/', '\\');
    std::wstring command = L"\"Z:" + fs::path(exe).wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return static_cast<DWORD>(-1);
    }
    DWORD status = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, limitMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &status);
    } else {
        TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

TEST(TarnctlArgumentsWineTest, ANonAsciiFileNameReachesTheCommandWhole) {
    // Greek and CJK letters: no ANSI code page holds them all.
    const fs::path folder = fs::temp_directory_path() / L"tarn-\u03a9-\u6e2c\u8a66";
    fs::create_directories(folder);
    const fs::path file = folder / L"line\u03a9.PSF";
    const std::u8string utf8 = file.u8string();
    CPsf psf;
    ASSERT_TRUE(psf.SaveToFile(std::string(utf8.begin(), utf8.end())));
    const std::wstring quoted = L"\"" + file.wstring() + L"\"";
    // Equal files: 0; a file not found would answer otherwise.
    const DWORD status = RunTarnctl(L"psf diff " + quoted + L" " + quoted);
    fs::remove_all(folder);
    EXPECT_EQ(0u, status);
}

// The summary, the PSF, the blanking map and the diagnostics all land in the folder named,
// and nothing beside it: the partial folder of the backup is renamed to it, not left.
TEST(TarnctlArgumentsWineTest, ABackupIntoANonAsciiFolderKeepsEveryFileThere) {
    CUnixTarnsim tarnsim("--object none --controller A,9600", 7);
    ASSERT_TRUE(tarnsim.Serving());
    const fs::path parent = fs::temp_directory_path() / L"tarn-backup-\u03a9";
    fs::remove_all(parent);
    fs::create_directories(parent);
    const fs::path folder = parent / L"Sicherung-\u00c4-\u6e2c\u8a66";
    const DWORD status =
        RunTarnctl(L"--device \\\\.\\COM7 backup \"" + folder.wstring() + L"\"", 120000);
    std::error_code error;
    std::vector<std::wstring> inside;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; ++entry) {
        inside.push_back(entry->path().filename().wstring());
    }
    const auto beside = std::distance(fs::directory_iterator(parent), fs::directory_iterator());
    fs::remove_all(parent);
    EXPECT_EQ(0u, status);
    EXPECT_EQ(1, beside);
    EXPECT_EQ(4u, inside.size());
    EXPECT_NE(inside.end(), std::find(inside.begin(), inside.end(), L"summary.txt"));
}

}  // namespace
