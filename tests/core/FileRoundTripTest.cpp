// The PSF, BFS and settings files written and read back through the program's own
// operations, in a folder named in letters beyond ASCII and over a file saved before:
// every byte comes back as it was written, line ends included, and what cannot be a
// file of the kind is refused with the operator's text. These cases hold alike on
// every platform.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "files/Utf8Path.h"
#include "records/Psf.h"
#include "sequences/BlankingFileCommands.h"
#include "settings/SettingsFile.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Contents(const std::string& path) {
    std::ifstream file(Utf8Path(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class FileRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(std::filesystem::create_directory(Utf8Path(inFolder))); }

    CTempFolder folder;
    const std::string inFolder = folder.File("") +
                                 "K\xC3\xB6"
                                 "ln \xCE\xA9";
};

TEST_F(FileRoundTripTest, APsfFileHoldsTheImageByteForByte) {
    const std::string path = inFolder +
                             "/Stra\xC3\x9F"
                             "e.psf";
    CPsf psf;
    ASSERT_TRUE(psf.SaveToFile(path));
    // Fields whose bytes are line ends and the old end-of-file mark.
    psf.SetScanNumber(0x0A);
    psf.SetReserved(0x0D);
    psf.SetAnalogZeroValue(1, 0x0D0A);
    psf.SetAnalogNull(2, 0x1A0A);
    ASSERT_TRUE(psf.SaveToFile(path));
    EXPECT_EQ(Bytes(psf.Image(), psf.Image() + kPsfImageSize), Contents(path));
    CPsf loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    EXPECT_EQ(Bytes(psf.Image(), psf.Image() + kPsfImageSize),
              Bytes(loaded.Image(), loaded.Image() + kPsfImageSize));
}

TEST_F(FileRoundTripTest, ABfsFileHoldsTheBlockByteForByte) {
    const std::string path = inFolder + "/Feld \xC3\xA9t\xC3\xA9.bfs";
    CBlankingMap map(kMaxChannels);
    ASSERT_EQ("", SaveBlankingFile(path, map));
    const unsigned char pattern[] = {0x0A, 0x0D, 0x0D, 0x0A, 0x1A, 0x00, 0x0A};
    std::copy(std::begin(pattern), std::end(pattern), map.Bytes());
    ASSERT_EQ("", SaveBlankingFile(path, map));
    Bytes block(kBlankingBlockSize);
    map.WriteBlock(block.data());
    EXPECT_EQ(block, Contents(path));
    CBlankingMap read(kMaxChannels);
    ASSERT_EQ("", ReadBlankingFile(path, read));
    EXPECT_EQ(Bytes(map.Bytes(), map.Bytes() + map.ByteLength()),
              Bytes(read.Bytes(), read.Bytes() + read.ByteLength()));
}

TEST_F(FileRoundTripTest, ASettingsFileKeepsItsLineEnds) {
    const std::string path = inFolder + "/tarn.INI";
    { std::ofstream(Utf8Path(path), std::ios::binary) << "[Options]\r\nSave=1\n"; }
    CSettingsFile file(path);
    file.WriteString("Options", "Save", "0");
    ASSERT_EQ(1, file.Save());
    const std::string expected = "[Options]\r\nSave=0\n";
    EXPECT_EQ(Bytes(expected.begin(), expected.end()), Contents(path));
    EXPECT_EQ(0, CSettingsFile(path).GetInt("Options", "Save", -1));
}

TEST_F(FileRoundTripTest, WhatCannotBeAFileOfTheKindIsRefused) {
    CBlankingMap map(kMaxChannels);
    map.SetBlanked(3, true);
    const CBlankingMap before = map;
    EXPECT_EQ("Size of file is incorrect.", ReadBlankingFile(inFolder, map));
    const std::string missing = inFolder + "/absent.bfs";
    EXPECT_EQ("Error opening file '" + missing + "'\nNo such file or directory",
              ReadBlankingFile(missing, map));
    EXPECT_EQ(Bytes(before.Bytes(), before.Bytes() + before.ByteLength()),
              Bytes(map.Bytes(), map.Bytes() + map.ByteLength()));

    CPsf psf;
    psf.SetScanNumber(7);
    EXPECT_FALSE(psf.LoadFromFile(inFolder));
    EXPECT_FALSE(psf.LoadFromFile(inFolder + "/absent.psf"));
    EXPECT_EQ(7, psf.GetScanNumber());

    EXPECT_TRUE(CSettingsFile(inFolder).EntryNames("Options").empty());
}

}  // namespace
