#pragma once
// CBlankingMap: the blanked channels of one controller, one bit per channel, channel 0
// in the most significant bit of byte 0; a set bit means the controller ignores that
// beam. The same bits, padded to 96 bytes and followed by their checksum, form the
// 98-byte blanking block that the blanking frames carry and a BFS file holds.

#include <array>
#include <istream>
#include <string>
#include <vector>

#include "files/AtomicFile.h"

constexpr int kMaxChannels = 768;
constexpr int kBlockMapBytes = kMaxChannels / 8;
constexpr int kBlankingBlockSize = kBlockMapBytes + 2;
using BlankingBlock = std::array<unsigned char, kBlankingBlockSize>;

class CBlankingMap {
public:
    // An empty map: no channels, no bytes.
    CBlankingMap() = default;
    // A map of channels channels, none blanked. The count is kept within 0..768, the most
    // a blanking block holds; the map has channels / 8 bytes.
    explicit CBlankingMap(int channels);

    // Copies other's channel count and bits.
    void Assign(const CBlankingMap& other) { *this = other; }
    bool IsEqual(const CBlankingMap& other) const;

    int Channels() const { return channels; }
    int ByteLength() const { return static_cast<int>(bits.size()); }
    unsigned char* Bytes() { return bits.data(); }
    const unsigned char* Bytes() const { return bits.data(); }

    // Channels outside the map's bytes are never blanked and cannot be set.
    bool IsBlanked(int channel) const;
    void SetBlanked(int channel, bool blanked);
    // Blanked channels from channel from up to the last one; 0 when from is past the end.
    int CountBlanked(int from) const;

    // Writes the block that sends or saves this map to the kBlankingBlockSize bytes at
    // out: the map's bytes, zeros up to 96, then the checksum of all 96, high byte first.
    void WriteBlock(unsigned char* out) const;
    // Takes the first ByteLength() map bytes of the kBlankingBlockSize bytes at block,
    // but only when the block's checksum matches; otherwise the map is unchanged. True
    // when taken.
    bool ReadBlock(const unsigned char* block);

private:
    int channels = 0;
    std::vector<unsigned char> bits;
};

// Why a BFS file was refused; kBlockFileTexts holds the message shown for each.
enum class BlockFileResult { ok, wrongSize, readError, badChecksum };
inline constexpr std::array<const char*, 4> kBlockFileTexts = {
    "", "Size of file is incorrect.", "Error reading file", "Checksum in file is invalid."};
inline const char* BlockFileText(BlockFileResult result) {
    return kBlockFileTexts[static_cast<int>(result)];
}

// Reads one BFS file from an open binary stream: exactly kBlankingBlockSize bytes whose checksum
// matches. On success the map takes the file's bits (all 96 bytes for a 768-channel
// map); on any refusal the map is unchanged.
BlockFileResult ReadBlockFile(std::istream& file, CBlankingMap& map);

// Writes map's block as the whole BFS file at path, replacing any old file only once
// the new one is complete.
bool WriteBlockFile(const std::string& path, const CBlankingMap& map,
                    FileWriteError* error = nullptr);
