// Save To File and Read From File on the file side: the saved bytes, the messages for
// each failure, a failed save that keeps the old file, and a file of 768 channels fitted
// to a smaller controller.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "protocol/Checksum16.h"
#include "sequences/BlankingFileCommands.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(BlankingFileCommandsTest, SavedMapOf64ChannelsReadsBackWithoutChannelsBeyond) {
    CTempFolder folder;
    CBlankingMap map(64);
    map.SetBlanked(0, true);
    map.SetBlanked(63, true);
    const std::string path = folder.File("a.bfs");
    EXPECT_EQ(SaveBlankingFile(path, map), "");

    const Bytes saved = ReadAll(path);
    ASSERT_EQ(saved.size(), 98u);
    EXPECT_EQ(saved[0], 0x80);
    EXPECT_EQ(saved[7], 0x01);
    EXPECT_EQ(Bytes(saved.begin() + 8, saved.begin() + 96), Bytes(88, 0));
    EXPECT_EQ(GetBigEndian16(&saved[96]), Checksum16(saved.data(), 96));

    CBlankingMap fileMap;
    EXPECT_EQ(ReadBlankingFile(path, fileMap), "");
    EXPECT_EQ(fileMap.Channels(), 768);
    EXPECT_FALSE(BlanksBeyond(fileMap, 64));
    EXPECT_TRUE(FitToController(fileMap, 64).IsEqual(map));
}

TEST(BlankingFileCommandsTest, FileOf768ChannelsIsCutToTheControllersChannels) {
    CTempFolder folder;
    CBlankingMap wide(768);
    wide.SetBlanked(5, true);
    wide.SetBlanked(127, true);
    wide.SetBlanked(700, true);
    const std::string path = folder.File("wide.bfs");
    ASSERT_EQ(SaveBlankingFile(path, wide), "");

    CBlankingMap fileMap;
    ASSERT_EQ(ReadBlankingFile(path, fileMap), "");
    EXPECT_TRUE(BlanksBeyond(fileMap, 128));
    EXPECT_FALSE(BlanksBeyond(fileMap, 768));
    const CBlankingMap fitted = FitToController(fileMap, 128);
    EXPECT_EQ(fitted.Channels(), 128);
    EXPECT_EQ(fitted.CountBlanked(0), 2);
    EXPECT_TRUE(fitted.IsBlanked(5));
    EXPECT_TRUE(fitted.IsBlanked(127));
    EXPECT_TRUE(FitToController(fileMap, 768).IsEqual(wide));
}

TEST(BlankingFileCommandsTest, RefusedFilesGiveTheirMessagesAndLeaveTheMapAlone) {
    CTempFolder folder;
    CBlankingMap fileMap(768);
    fileMap.SetBlanked(3, true);
    const CBlankingMap before = fileMap;

    const std::string missing = folder.File("missing.bfs");
    EXPECT_EQ(ReadBlankingFile(missing, fileMap),
              "Error opening file '" + missing + "'\n" + std::strerror(ENOENT));

    const std::string shortFile = folder.File("short.bfs");
    WriteAll(shortFile, Bytes(97, 0));
    EXPECT_EQ(ReadBlankingFile(shortFile, fileMap), "Size of file is incorrect.");

    const std::string badSum = folder.File("bad.bfs");
    Bytes block(98, 0);
    block[96] = 0x12;
    WriteAll(badSum, block);
    EXPECT_EQ(ReadBlankingFile(badSum, fileMap), "Checksum in file is invalid.");
    EXPECT_TRUE(fileMap.IsEqual(before));
}

TEST(BlankingFileCommandsTest, SaveThatCannotCreateItsFileTellsWhy) {
    CTempFolder folder;
    const std::string path = folder.File("no-such-folder/a.bfs");
    EXPECT_EQ(SaveBlankingFile(path, CBlankingMap(64)),
              "Error opening file '" + path + "'\n" + std::strerror(ENOENT));
}

TEST(BlankingFileCommandsTest, FailedWriteKeepsTheOldFileAndTellsWhy) {
    CTempFolder folder;
    const std::string path = folder.File("old.bfs");
    WriteAll(path, Bytes{1, 2, 3});
    const FileSyncFunction previous = SetFileSyncFunction([](int) {
        errno = ENOSPC;
        return -1;
    });
    const std::string message = SaveBlankingFile(path, CBlankingMap(64));
    SetFileSyncFunction(previous);
    EXPECT_EQ(message,
              std::string("Error writing blanking fields to file.\n") + std::strerror(ENOSPC));
    EXPECT_EQ(ReadAll(path), (Bytes{1, 2, 3}));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"old.bfs"});
}

}  // namespace
