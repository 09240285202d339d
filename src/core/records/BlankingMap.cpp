#include "records/BlankingMap.h"

#include <algorithm>

#include "protocol/Checksum16.h"

namespace {

// True when the checksum at offset 96 matches the 96 map bytes before it.
bool BlockChecksumValid(const unsigned char* block) {
    return Checksum16(block, kBlockMapBytes) == GetBigEndian16(block + kBlockMapBytes);
}

}  // namespace

CBlankingMap::CBlankingMap(int channelCount)
    : channels(std::clamp(channelCount, 0, kMaxChannels)), bits(channels / 8, 0) {}

bool CBlankingMap::IsEqual(const CBlankingMap& other) const {
    return channels == other.channels && bits == other.bits;
}

bool CBlankingMap::IsBlanked(int channel) const {
    return channel >= 0 && channel / 8 < ByteLength() &&
           (bits[channel / 8] & (0x80 >> (channel % 8)));
}

void CBlankingMap::SetBlanked(int channel, bool blanked) {
    if (channel < 0 || channel / 8 >= ByteLength()) {
        return;
    }
    const unsigned char mask = static_cast<unsigned char>(0x80 >> (channel % 8));
    bits[channel / 8] = blanked ? (bits[channel / 8] | mask) : (bits[channel / 8] & ~mask);
}

int CBlankingMap::CountBlanked(int from) const {
    int count = 0;
    for (int channel = std::max(from, 0); channel < channels; ++channel) {
        count += IsBlanked(channel) ? 1 : 0;
    }
    return count;
}

void CBlankingMap::WriteBlock(unsigned char* out) const {
    std::fill_n(std::copy(bits.begin(), bits.end(), out), kBlockMapBytes - ByteLength(), 0);
    PutBigEndian16(out + kBlockMapBytes, Checksum16(out, kBlockMapBytes));
}

bool CBlankingMap::ReadBlock(const unsigned char* block) {
    if (!BlockChecksumValid(block)) {
        return false;
    }
    std::copy(block, block + ByteLength(), bits.begin());
    return true;
}

BlockFileResult ReadBlockFile(std::istream& file, CBlankingMap& map) {
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    file.seekg(0, std::ios::beg);
    if (size != kBlankingBlockSize) {
        return BlockFileResult::wrongSize;
    }
    BlankingBlock block;
    file.read(reinterpret_cast<char*>(block.data()), kBlankingBlockSize);
    if (file.gcount() != kBlankingBlockSize) {
        return BlockFileResult::readError;
    }
    return map.ReadBlock(block.data()) ? BlockFileResult::ok : BlockFileResult::badChecksum;
}

bool WriteBlockFile(const std::string& path, const CBlankingMap& map, FileWriteError* error) {
    BlankingBlock block;
    map.WriteBlock(block.data());
    return WriteFileAtomically(path, block.data(), block.size(), error);
}
