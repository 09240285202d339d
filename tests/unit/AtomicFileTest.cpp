// The atomic file writer: the target is replaced only by a complete, flushed file, and
// every failure leaves the old file and no temporary file behind.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "files/AtomicFile.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
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

TEST_F(AtomicFileTest, CreatesAndReplacesWholeFiles) {
    ASSERT_TRUE(WriteFileAtomically(target, oldBytes.data(), oldBytes.size()));
    EXPECT_EQ(oldBytes, Contents(target));
    // A shorter file must not keep the old tail.
    ASSERT_TRUE(WriteFileAtomically(target, newBytes.data(), newBytes.size()));
    EXPECT_EQ(newBytes, Contents(target));
    ASSERT_TRUE(WriteFileAtomically(target, nullptr, 0));
    EXPECT_EQ(Bytes{}, Contents(target));
    EXPECT_EQ(std::vector<std::string>{"record.bin"}, folder.Names());
}

TEST_F(AtomicFileTest, KeepsThePermissionsOfTheFileItReplaces) {
    ASSERT_TRUE(WriteFileAtomically(target, oldBytes.data(), oldBytes.size()));
    ASSERT_EQ(0, ::chmod(target.c_str(), 0640));
    ASSERT_TRUE(WriteFileAtomically(target, newBytes.data(), newBytes.size()));
    struct stat info;
    ASSERT_EQ(0, ::stat(target.c_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777);
}

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

TEST_F(AtomicFileTest, AFailedFlushOfTheFolderIsReportedAsFailure) {
    CFailingSync failing(2);
    EXPECT_FALSE(WriteFileAtomically(target, newBytes.data(), newBytes.size()));
    EXPECT_EQ(std::vector<std::string>{"record.bin"}, folder.Names());
}

TEST_F(AtomicFileTest, ReadFileStartNeedsEnoughBytes) {
    ASSERT_TRUE(WriteFileAtomically(target, oldBytes.data(), oldBytes.size()));
    Bytes head(4);
    ASSERT_TRUE(ReadFileStart(target, head.data(), head.size()));
    EXPECT_EQ((Bytes{1, 2, 3, 4}), head);
    Bytes tooMany(7);
    EXPECT_FALSE(ReadFileStart(target, tooMany.data(), tooMany.size()));
    EXPECT_FALSE(ReadFileStart(folder.File("absent.bin"), head.data(), head.size()));
}

}  // namespace
