#include "records/Psf.h"

#include <cstring>
#include <vector>

#include "files/AtomicFile.h"
#include "protocol/Checksum16.h"

CPsf::CPsf() {
    for (int field = 0; field < kPsfFieldCount; ++field) {
        fields[field] = kPsfLayout[field].defaultValue;
    }
}

void CPsf::CopyFrom(const CPsf& other) {
    fields = other.fields;
}

int32_t CPsf::Get(int field) const {
    return field >= 0 && field < kPsfFieldCount ? fields[field] : 0;
}

void CPsf::Set(int field, int32_t value) {
    if (field < 0 || field >= kPsfFieldCount) {
        return;
    }
    fields[field] = kPsfLayout[field].width == 1 ? (value & 0xFF) : value;
}

void CPsf::SetParityIndex(int index) {
    SetSerialSettings((GetSerialSettings() & ~0x0F) | (index & 0x0F));
}

void CPsf::SetBaudIndex(int index) {
    SetSerialSettings((GetSerialSettings() & ~0xF0) | ((index << 4) & 0xF0));
}

uint16_t CPsf::Pack() {
    image.fill(0);
    for (int field = 0; field < kPsfFieldCount; ++field) {
        const PsfFieldLayout& layout = kPsfLayout[field];
        const uint32_t value = static_cast<uint32_t>(fields[field]);
        if (layout.width == 1) {
            image[layout.offset] = static_cast<unsigned char>(value & 0xFF);
        } else {
            PutBigEndian16(&image[layout.offset], value);
        }
    }
    const uint16_t checksum = Checksum16(image.data(), kPsfChecksumOffset);
    PutBigEndian16(&image[kPsfChecksumOffset], checksum);
    return checksum;
}

bool CPsf::Unpack(const unsigned char* source) {
    if (Checksum16(source, kPsfChecksumOffset) != GetBigEndian16(source + kPsfChecksumOffset)) {
        return false;
    }
    // memmove: the source may be this record's own image.
    std::memmove(image.data(), source, kPsfImageSize);
    for (int field = 0; field < kPsfFieldCount; ++field) {
        const PsfFieldLayout& layout = kPsfLayout[field];
        fields[field] =
            layout.width == 1 ? image[layout.offset] : GetBigEndian16(&image[layout.offset]);
    }
    return true;
}

bool CPsf::SaveToFile(const std::string& path, FileWriteError* error) {
    Pack();
    return WriteFileAtomically(path, image.data(), image.size(), error);
}

bool CPsf::ReadFileContent(const unsigned char* data, size_t size) {
    return size >= kPsfImageSize && Unpack(data);
}

bool CPsf::LoadFromFile(const std::string& path) {
    std::vector<unsigned char> loaded;
    return ReadFileStart(path, kPsfImageSize, &loaded) &&
           ReadFileContent(loaded.data(), loaded.size());
}
