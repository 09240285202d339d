// BFS files. The input is a file's content, read into maps of 768, 64 and no channels.
// Built twice: with TARN_FUZZ_FIX_CHECKSUM set, a 98-byte input gets its checksum made
// right first, since random bytes almost never pass a 16-bit checksum.

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "protocol/Checksum16.h"
#include "records/BlankingMap.h"

namespace {

constexpr bool kFixChecksum = TARN_FUZZ_FIX_CHECKSUM;

void Read(const std::vector<unsigned char>& bytes, int channels) {
    std::istringstream file(std::string(bytes.begin(), bytes.end()), std::ios::binary);
    CBlankingMap map(channels);
    const BlockFileResult result = ReadBlockFile(file, map);
    const bool block = bytes.size() == kBlankingBlockSize;
    Require(block || result == BlockFileResult::wrongSize, "only 98 bytes are a BFS file");
    Require(!kFixChecksum || !block || result == BlockFileResult::ok,
            "a block with its checksum right is taken");
    if (result != BlockFileResult::ok) {
        Require(map.IsEqual(CBlankingMap(channels)), "a refused file changes no channel");
        return;
    }
    Require(std::equal(map.Bytes(), map.Bytes() + map.ByteLength(), bytes.begin()),
            "the map takes the file's first bytes");
    if (channels == kMaxChannels) {
        BlankingBlock written;
        map.WriteBlock(written.data());
        Require(std::equal(written.begin(), written.end(), bytes.begin()),
                "a full map writes back the file it read");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> bytes(data, data + size);
    if (kFixChecksum && size == kBlankingBlockSize) {
        PutBigEndian16(&bytes[kBlockMapBytes], Checksum16(bytes.data(), kBlockMapBytes));
    }
    for (int channels : {kMaxChannels, 64, 0}) {
        Read(bytes, channels);
    }
    return 0;
}
