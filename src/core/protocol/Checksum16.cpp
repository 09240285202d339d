#include "protocol/Checksum16.h"

uint16_t Checksum16(const unsigned char* bytes, int count) {
    uint32_t sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += bytes[i];
    }
    return static_cast<uint16_t>(0xFFFF - (sum & 0xFFFF));
}
