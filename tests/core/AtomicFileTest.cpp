// The atomic file writer: the target is replaced only by a complete, flushed file, and
// every failure leaves the old file and no temporary file behind; the reader refuses what
// is not a regular file. These cases hold alike on every platform.

#include <gtest/gtest.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "files/AtomicFile.h"
#include "files/Utf8Path.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Contents(const std::string& path) {
    std::ifstream file(Utf8Path(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Makes the n-th flush (counted from 1) fail with EIO while the object lives.
class CFailingSync {
public:
    explicit CFailingSync(int n) {
        failAt = n;
        calls = 0;
        previous = SetFileSyncFunction(&Sync);
    }
    ~CFailingSync() { SetFileSyncFunction(previous); }
    CFailingSync(const CFailingSync&) = delete;
    CFailingSync& operator=(const CFailingSync&) = delete;

private:
    static int Sync(int) {
        if (++calls == failAt) {
            errno = EIO;
            return -1;
        }
        return 0;
    }
    static inline int failAt = 0;
    static inline int calls = 0;
    FileSyncFunction previous;
};

class AtomicFileTest : public ::testing::Test {
protected:
    CTempFolder folder;
    const std::string target = folder.File("record.bin");
    const Bytes oldBytes{1, 2, 3, 4, 5, 6};
    const Bytes newBytes{9, 8, 7};
};

// Line ends and the old end-of-file mark, which a file written as text would change.
const Bytes kTextControlBytes{0x0A, 0x0D, 0x0A, 0x0D, 0x0D, 0x0A, 0x1A, 0x00, 0x0A};

TEST_F(AtomicFileTest, CreatesAndReplacesWholeFiles) {
    ASSERT_TRUE(WriteFileAtomically(target, oldBytes.data(), oldBytes.size()));
    EXPECT_EQ(oldBytes, Contents(target));
    // A shorter file must not keep the old tail.
    ASSERT_TRUE(WriteFileAtomically(target, newBytes.data(), newBytes.size()));
    EXPECT_EQ(newBytes, Contents(target));
    ASSERT_TRUE(WriteFileAtomically(target, nullptr, 0));
    EXPECT_EQ(Bytes{}, Contents(target));
    ASSERT_TRUE(WriteFileAtomically(target, kTextControlBytes.data(), kTextControlBytes.size()));
    EXPECT_EQ(kTextControlBytes, Contents(target));
    EXPECT_EQ(std::vector<std::string>{"record.bin"}, folder.Names());
}

TEST_F(AtomicFileTest, WritesAndReadsInAFolderNamedInAnyLetters) {
    const std::string inFolder = folder.File("") +
                                 "Pr\xC3\xBC"
                                 "fstand \xCE\xA9";
    ASSERT_TRUE(std::filesystem::create_directory(Utf8Path(inFolder)));
    const std::string file = inFolder + "/M\xC3\xA4rz.bin";
    ASSERT_TRUE(WriteFileAtomically(file, oldBytes.data(), oldBytes.size()));
    ASSERT_TRUE(WriteFileAtomically(file, kTextControlBytes.data(), kTextControlBytes.size()));
    EXPECT_EQ(kTextControlBytes, Contents(file));
    Bytes read;
    ASSERT_TRUE(ReadFileStart(file, 100, &read));
    EXPECT_EQ(kTextControlBytes, read);
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(Utf8Path(inFolder)),
                               std::filesystem::directory_iterator()));
}

TEST_F(AtomicFileTest, AReadOnlyFileIsRefusedAtOpen) {
#ifndef _WIN32
    if (geteuid() == 0) {
        // The file faults test refuses the save to an unprivileged user.
        GTEST_SKIP() << "root may write read-only files";
    }
#endif
    ASSERT_TRUE(WriteFileAtomically(target, oldBytes.data(), oldBytes.size()));
    namespace fs = std::filesystem;
    fs::permissions(target,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    FileWriteError error;
    EXPECT_FALSE(WriteFileAtomically(target, newBytes.data(), newBytes.size(), &error));
    EXPECT_TRUE(error.atOpen);
    EXPECT_EQ(EACCES, error.errorNumber);
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(oldBytes, Contents(target));
    EXPECT_EQ(std::vector<std::string>{"record.bin"}, folder.Names());
}

#ifdef _WIN32
TEST_F(AtomicFileTest, KeepsTheAttributesOfTheFileItReplaces) {
    ASSERT_TRUE(WriteFileAtomically(target, oldBytes.data(), oldBytes.size()));
    const std::wstring wide = Utf8Path(target).wstring();
    ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(WriteFileAtomically(target, newBytes.data(), newBytes.size()));
    EXPECT_NE(0u, ::GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(newBytes, Contents(target));
}
#else
TEST_F(AtomicFileTest, KeepsThePermissionsOfTheFileItReplaces) {
    ASSERT_TRUE(WriteFileAtomically(target, oldBytes.data(), oldBytes.size()));
    ASSERT_EQ(0, ::chmod(target.c_str(), 0640));
    ASSERT_TRUE(WriteFileAtomically(target, newBytes.data(), newBytes.size()));
    struct stat info;
    ASSERT_EQ(0, ::stat(target.c_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777);
}
#endif

TEST_F(AtomicFileTest, AMissingFolderFailsAtOpen) {
    FileWriteError error;
    EXPECT_FALSE(WriteFileAtomically(folder.File("absent/record.bin"), newBytes.data(),
                                     newBytes.size(), &error));
    EXPECT_TRUE(error.atOpen);
    EXPECT_EQ(ENOENT, error.errorNumber);
}

TEST_F(AtomicFileTest, AFailedRenameLeavesTheTargetAndNoTemporaryFile) {
    const std::string directory = folder.File("taken");
    std::filesystem::create_directory(directory);
    FileWriteError error;
    EXPECT_FALSE(WriteFileAtomically(directory, newBytes.data(), newBytes.size(), &error));
    EXPECT_FALSE(error.atOpen);
    EXPECT_NE(0, error.errorNumber);
    EXPECT_TRUE(std::filesystem::is_directory(directory));
    EXPECT_EQ(std::vector<std::string>{"taken"}, folder.Names());
}

TEST_F(AtomicFileTest, AFailedFlushOfTheFileKeepsTheOldFile) {
    ASSERT_TRUE(WriteFileAtomically(target, oldBytes.data(), oldBytes.size()));
    CFailingSync failing(1);
    FileWriteError error;
    EXPECT_FALSE(WriteFileAtomically(target, newBytes.data(), newBytes.size(), &error));
    EXPECT_FALSE(error.atOpen);
    EXPECT_EQ(EIO, error.errorNumber);
    EXPECT_EQ(oldBytes, Contents(target));
    EXPECT_EQ(std::vector<std::string>{"record.bin"}, folder.Names());
}

TEST_F(AtomicFileTest, AFailedFlushOfTheFolderAfterACompleteFileIsNoFailure) {
    CFailingSync failing(2);
    EXPECT_TRUE(WriteFileAtomically(target, newBytes.data(), newBytes.size()));
    EXPECT_EQ(newBytes, Contents(target));
    EXPECT_EQ(std::vector<std::string>{"record.bin"}, folder.Names());
}

TEST_F(AtomicFileTest, ReadFileStartReadsUpToItsLimit) {
    ASSERT_TRUE(WriteFileAtomically(target, oldBytes.data(), oldBytes.size()));
    Bytes read;
    ASSERT_TRUE(ReadFileStart(target, 4, &read));
    EXPECT_EQ((Bytes{1, 2, 3, 4}), read);
    ASSERT_TRUE(ReadFileStart(target, 7, &read));
    EXPECT_EQ(oldBytes, read);
}

// A read that fails after the file's first bytes came in gives none of them back, and
// tells why; an interrupted read is resumed.
TEST_F(AtomicFileTest, ReadFileStartGivesNothingBackFromAReadThatFailsPartWay) {
    ASSERT_TRUE(WriteFileAtomically(target, oldBytes.data(), oldBytes.size()));
    static int calls;
    const auto oneByteThenFail = [](int, unsigned char* out, size_t) -> long {
        errno = ++calls == 1 ? EINTR : EIO;
        *out = 1;
        return calls == 2 ? 1 : -1;
    };
    calls = 0;
    const FileReadFunction previous = SetFileReadFunction(oneByteThenFail);
    Bytes read;
    FileReadError error;
    const bool ok = ReadFileStart(target, 100, &read, &error);
    SetFileReadFunction(previous);
    EXPECT_FALSE(ok);
    EXPECT_EQ(3, calls);
    EXPECT_EQ(Bytes{}, read);
    EXPECT_EQ(EIO, error.errorNumber);
    EXPECT_FALSE(error.notRegular);
}

TEST_F(AtomicFileTest, ReadFileStartRefusesMissingFilesAndFolders) {
    Bytes read{1};
    FileReadError error;
    EXPECT_FALSE(ReadFileStart(folder.File("absent.bin"), 10, &read, &error));
    EXPECT_FALSE(error.notRegular);
    EXPECT_EQ(ENOENT, error.errorNumber);
    EXPECT_EQ(Bytes{}, read);
    error = {};
    EXPECT_FALSE(ReadFileStart(folder.File(""), 10, &read, &error));
    EXPECT_TRUE(error.notRegular);
}

}  // namespace
