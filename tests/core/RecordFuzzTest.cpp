// Random input into the three parsers of outside data: the PSF image, the diagnostics
// reply and the BFS file. Each buffer is exactly as long as the input, so the sanitizers
// catch any read past it. The second harness of each fixes the checksum or the frame
// bytes so that random input gets past the first check and reaches the decoding.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "protocol/Checksum16.h"
#include "protocol/Diagnostics.h"
#include "records/BlankingMap.h"
#include "records/Psf.h"

namespace {

constexpr int kRounds = 20000;

// A heap buffer of exactly size random bytes.
std::unique_ptr<unsigned char[]> RandomBytes(std::mt19937& random, size_t size) {
    auto bytes = std::make_unique<unsigned char[]>(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<unsigned char>(random());
    }
    return bytes;
}

TEST(RecordFuzzTest, UnpackTakesOnlyImagesThatPackBackTheSame) {
    std::mt19937 random(1);
    for (int round = 0; round < kRounds; ++round) {
        auto image = RandomBytes(random, kPsfImageSize);
        if (round % 2 == 1) {
            PutBigEndian16(&image[kPsfChecksumOffset], Checksum16(image.get(), kPsfChecksumOffset));
        }
        CPsf psf;
        const bool taken = psf.Unpack(image.get());
        ASSERT_EQ(round % 2 == 1, taken) << "round " << round;
        if (taken) {
            psf.Pack();
            ASSERT_TRUE(std::equal(image.get(), image.get() + kPsfImageSize, psf.Image()));
        }
    }
}

TEST(RecordFuzzTest, DecodeAcceptsExactlyTheWellFormedReplies) {
    std::mt19937 random(2);
    for (int round = 0; round < kRounds; ++round) {
        const size_t size = random() % 130;
        auto reply = RandomBytes(random, size);
        bool wellFormed = false;
        if (round % 2 == 1 && size > 10) {
            const unsigned boards = random() % 15;
            reply[0] = 0x1C;
            reply[2] = random() % 2 ? 'i' : 'j';
            reply[10] = static_cast<unsigned char>(boards);
            const size_t end = 11 + 8 * boards;
            if (end < size) {
                reply[end] = 0x0A;
                wellFormed = boards <= kMaxBoards;
            }
        }
        CDiagnostics record;
        const int answer = record.Decode(reply.get(), static_cast<int>(size));
        if (round % 2 == 1) {
            ASSERT_EQ(wellFormed ? 1 : 0, answer) << "round " << round;
        }
        if (answer == 1) {
            ASSERT_LE(record.BoardCount(), kMaxBoards);
            ASSERT_LE(record.State(), 2);
            for (int board = 1; board <= kMaxBoards; ++board) {
                ASSERT_LE(record.BoardError(board), kChannelsPerBoard);
                record.ChannelText(board);
            }
        } else {
            ASSERT_EQ(kStateNotRead, record.State());
        }
        record.StateText(record);
    }
}

TEST(RecordFuzzTest, ReadBlockFileTakesOnlyWholeCheckedBlocks) {
    std::mt19937 random(3);
    for (int round = 0; round < kRounds; ++round) {
        const size_t size = round % 2 == 1 ? kBlankingBlockSize : random() % 200;
        auto bytes = RandomBytes(random, size);
        if (round % 2 == 1) {
            PutBigEndian16(&bytes[kBlockMapBytes], Checksum16(bytes.get(), kBlockMapBytes));
        }
        std::istringstream file(std::string(bytes.get(), bytes.get() + size), std::ios::binary);
        CBlankingMap map(kMaxChannels);
        const BlockFileResult result = ReadBlockFile(file, map);
        if (round % 2 == 1) {
            ASSERT_EQ(BlockFileResult::ok, result);
            ASSERT_TRUE(std::equal(bytes.get(), bytes.get() + kBlockMapBytes, map.Bytes()));
        } else if (result != BlockFileResult::ok) {
            ASSERT_EQ(0, map.CountBlanked(0));
        }
    }
}

}  // namespace
