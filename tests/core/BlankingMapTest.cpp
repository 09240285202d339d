// The blanking map: bit order, counting, value semantics, the 98-byte block and the
// reading and writing of BFS files.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "protocol/Checksum16.h"
#include "records/BlankingMap.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes BlockOf(const CBlankingMap& map) {
    Bytes block(kBlankingBlockSize);
    map.WriteBlock(block.data());
    return block;
}

Bytes BytesOf(const CBlankingMap& map) {
    return Bytes(map.Bytes(), map.Bytes() + map.ByteLength());
}

std::istringstream Stream(const Bytes& bytes) {
    return std::istringstream(std::string(bytes.begin(), bytes.end()), std::ios::binary);
}

// A stream that claims kBlankingBlockSize bytes but delivers fewer.
class CShortReadBuffer : public std::streambuf {
public:
    CShortReadBuffer() { setg(data, data, data + sizeof data); }

protected:
    pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode) override {
        position = dir == std::ios::end   ? kBlankingBlockSize + off
                   : dir == std::ios::cur ? position + off
                                          : off;
        return position;
    }

private:
    char data[40] = {};
    off_type position = 0;
};

TEST(BlankingMapTest, ChannelsMapToBitsMostSignificantFirst) {
    CBlankingMap map(64);
    EXPECT_EQ(64, map.Channels());
    EXPECT_EQ(8, map.ByteLength());
    EXPECT_EQ(Bytes(8, 0), BytesOf(map));
    map.SetBlanked(0, true);
    map.SetBlanked(15, true);
    EXPECT_EQ(0x80, map.Bytes()[0]);
    EXPECT_EQ(0x01, map.Bytes()[1]);
    map.SetBlanked(7, true);
    map.SetBlanked(8, true);
    EXPECT_EQ(0x81, map.Bytes()[0]);
    EXPECT_EQ(0x81, map.Bytes()[1]);
    map.SetBlanked(0, false);
    EXPECT_EQ(0x01, map.Bytes()[0]);
    EXPECT_TRUE(map.IsBlanked(15));
    EXPECT_FALSE(map.IsBlanked(14));
    // Channels outside the map are never blanked and cannot be set.
    map.SetBlanked(64, true);
    map.SetBlanked(-1, true);
    EXPECT_FALSE(map.IsBlanked(64));
    EXPECT_FALSE(map.IsBlanked(-1));
    EXPECT_EQ(3, map.CountBlanked(0));
}

TEST(BlankingMapTest, ChannelCountsAreKeptWithinTheBlock) {
    EXPECT_EQ(0, CBlankingMap(-8).ByteLength());
    EXPECT_EQ(kMaxChannels, CBlankingMap(1000).Channels());
    EXPECT_EQ(kBlockMapBytes, CBlankingMap(1000).ByteLength());
    // A count that is not a multiple of 8 has channels with no bit.
    CBlankingMap odd(12);
    EXPECT_EQ(1, odd.ByteLength());
    odd.SetBlanked(10, true);
    EXPECT_EQ(0, odd.CountBlanked(0));
}

TEST(BlankingMapTest, CountBlankedFromAChannel) {
    CBlankingMap map(128);
    for (int channel : {3, 64, 100, 127}) {
        map.SetBlanked(channel, true);
    }
    EXPECT_EQ(4, map.CountBlanked(0));
    EXPECT_EQ(3, map.CountBlanked(64));
    EXPECT_EQ(1, map.CountBlanked(127));
    EXPECT_EQ(0, map.CountBlanked(128));
    EXPECT_EQ(0, map.CountBlanked(500));
}

TEST(BlankingMapTest, MapsAreValues) {
    CBlankingMap map(64);
    map.SetBlanked(5, true);
    CBlankingMap copy;
    copy.Assign(map);
    EXPECT_TRUE(copy.IsEqual(map));
    copy.SetBlanked(6, true);
    EXPECT_FALSE(copy.IsEqual(map));
    EXPECT_FALSE(map.IsBlanked(6));
    // Same bytes but another channel count is another map.
    CBlankingMap wider(71);
    wider.SetBlanked(5, true);
    EXPECT_FALSE(wider.IsEqual(map));
    copy.Assign(copy);
    EXPECT_EQ(2, copy.CountBlanked(0));
    copy.Assign(CBlankingMap());
    EXPECT_EQ(0, copy.Channels());
    EXPECT_EQ(0, copy.ByteLength());
}

TEST(BlankingMapTest, BlocksArePaddedToNinetySixBytesAndChecksummed) {
    CBlankingMap map(64);
    map.SetBlanked(0, true);
    map.SetBlanked(63, true);
    const Bytes block = BlockOf(map);
    EXPECT_EQ(BytesOf(map), Bytes(block.begin(), block.begin() + 8));
    EXPECT_EQ(Bytes(88, 0), Bytes(block.begin() + 8, block.begin() + 96));
    EXPECT_EQ(Checksum16(block.data(), 96), GetBigEndian16(&block[96]));

    Bytes empty(96, 0);
    empty.push_back(0xFF);
    empty.push_back(0xFF);
    EXPECT_EQ(empty, BlockOf(CBlankingMap(kMaxChannels)));
    EXPECT_EQ(empty, BlockOf(CBlankingMap()));
}

TEST(BlankingMapTest, ReadBlockChecksFirstAndTakesTheMapsOwnBytes) {
    CBlankingMap full(kMaxChannels);
    for (int channel = 0; channel < kMaxChannels; channel += 7) {
        full.SetBlanked(channel, true);
    }
    Bytes block = BlockOf(full);
    CBlankingMap small(64);
    small.SetBlanked(1, true);
    const CBlankingMap before = small;
    block[97] ^= 1;
    EXPECT_FALSE(small.ReadBlock(block.data()));
    EXPECT_TRUE(small.IsEqual(before));
    block[97] ^= 1;
    ASSERT_TRUE(small.ReadBlock(block.data()));
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 8), BytesOf(small));
}

TEST(BlankingMapTest, ReadBlockFileRefusesWithItsTexts) {
    CBlankingMap saved(kMaxChannels);
    saved.SetBlanked(700, true);
    const Bytes good = BlockOf(saved);
    CBlankingMap map(kMaxChannels);
    map.SetBlanked(2, true);
    const CBlankingMap before = map;

    for (size_t size : {97u, 99u, 0u}) {
        Bytes bytes = good;
        bytes.resize(size);
        auto stream = Stream(bytes);
        const BlockFileResult result = ReadBlockFile(stream, map);
        EXPECT_EQ(BlockFileResult::wrongSize, result) << size;
        EXPECT_STREQ("Size of file is incorrect.", BlockFileText(result));
    }
    Bytes corrupt = good;
    corrupt[10] ^= 0x40;
    auto corruptStream = Stream(corrupt);
    const BlockFileResult checksum = ReadBlockFile(corruptStream, map);
    EXPECT_EQ(BlockFileResult::badChecksum, checksum);
    EXPECT_STREQ("Checksum in file is invalid.", BlockFileText(checksum));

    CShortReadBuffer shortBuffer;
    std::istream shortStream(&shortBuffer);
    const BlockFileResult shortRead = ReadBlockFile(shortStream, map);
    EXPECT_EQ(BlockFileResult::readError, shortRead);
    EXPECT_STREQ("Error reading file", BlockFileText(shortRead));
    EXPECT_TRUE(map.IsEqual(before));

    auto goodStream = Stream(good);
    ASSERT_EQ(BlockFileResult::ok, ReadBlockFile(goodStream, map));
    EXPECT_TRUE(map.IsEqual(saved));
}

TEST(BlankingMapTest, WrittenFilesAreOneBlockAndReadBack) {
    CTempFolder folder;
    const std::string path = folder.File("fields.bfs");
    CBlankingMap map(64);
    map.SetBlanked(9, true);
    ASSERT_TRUE(WriteBlockFile(path, map));
    std::ifstream file(path, std::ios::binary);
    const Bytes contents{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(BlockOf(map), contents);
    file.clear();
    CBlankingMap back(64);
    ASSERT_EQ(BlockFileResult::ok, ReadBlockFile(file, back));
    EXPECT_TRUE(back.IsEqual(map));

    FileWriteError error;
    EXPECT_FALSE(WriteBlockFile(folder.File("absent/fields.bfs"), map, &error));
    EXPECT_TRUE(error.atOpen);
}

}  // namespace
