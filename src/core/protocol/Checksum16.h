#pragma once
// The 16-bit checksum of the controller frames, the PSF image and the BFS file:
// the one's complement of the 16-bit sum of the bytes, stored high byte first.

#include <cstdint>

// A count of 0 or less gives 0xFFFF.
uint16_t Checksum16(const unsigned char* bytes, int count);

// Stores value at out[0] (high byte) and out[1] (low byte).
inline void PutBigEndian16(unsigned char* out, uint32_t value) {
    out[0] = static_cast<unsigned char>((value >> 8) & 0xFF);
    out[1] = static_cast<unsigned char>(value & 0xFF);
}

inline uint16_t GetBigEndian16(const unsigned char* in) {
    return static_cast<uint16_t>((in[0] << 8) | in[1]);
}

inline void PutBigEndian32(unsigned char* out, uint32_t value) {
    PutBigEndian16(out, value >> 16);
    PutBigEndian16(out + 2, value);
}

inline uint32_t GetBigEndian32(const unsigned char* in) {
    return (static_cast<uint32_t>(GetBigEndian16(in)) << 16) | GetBigEndian16(in + 2);
}
