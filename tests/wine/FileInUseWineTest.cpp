// Replacing a file that another program holds open, under wine: the writer waits a moment
// for it, and a file held longer is reported in use with the old contents intact and
// nothing left behind.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "files/AtomicFile.h"
#include "files/FileErrorText.h"

namespace {

class FileInUseWineTest : public ::testing::Test {
protected:
    FileInUseWineTest() {
        std::filesystem::create_directories(folder);
        Write("old contents");
    }
    ~FileInUseWineTest() override { std::filesystem::remove_all(folder); }

    bool Write(const std::string& text, FileWriteError* error = nullptr) {
        return WriteFileAtomically(target.string(),
                                   reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                                   error);
    }
    std::string Read() const {
        std::vector<unsigned char> bytes;
        EXPECT_TRUE(ReadFileStart(target.string(), 1000, &bytes));
        return std::string(bytes.begin(), bytes.end());
    }
    // The folder holds the target alone: no temporary file was left.
    size_t FilesInFolder() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                 std::filesystem::directory_iterator()));
    }
    // Opens the target as a program that shares neither writing nor deleting does.
    HANDLE Hold() const {
        return CreateFileW(target.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    std::filesystem::path folder = std::filesystem::temp_directory_path() / "tarn-in-use-test";
    std::filesystem::path target = folder / "line3.PSF";
};

TEST_F(FileInUseWineTest, AFileHeldAMomentIsReplacedAndOneHeldLongerIsReportedInUse) {
    // Held for 300 ms: the write waits and then replaces it.
    HANDLE held = Hold();
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::thread release([held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        CloseHandle(held);
    });
    EXPECT_TRUE(Write("new contents"));
    release.join();
    EXPECT_EQ("new contents", Read());
    EXPECT_EQ(1u, FilesInFolder());

    // Held through the whole wait: in use, the old file intact, no temporary file left.
    held = Hold();
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const auto start = std::chrono::steady_clock::now();
    FileWriteError error;
    EXPECT_FALSE(Write("newer contents", &error));
    const auto waited = std::chrono::steady_clock::now() - start;
    CloseHandle(held);
    EXPECT_EQ("The file is in use by another program.", FileErrorText(error.errorNumber));
    EXPECT_GE(waited, std::chrono::milliseconds(1900));
    EXPECT_LT(waited, std::chrono::milliseconds(4000));
    EXPECT_EQ("new contents", Read());
    EXPECT_EQ(1u, FilesInFolder());
}

}  // namespace
